#pragma once
// The icon reader: 1-, 4- and 8-bit bitmap icons of 8 to 64 pixels from a Windows icon file.
// tIconHandler checks the directory and holds one icon image (colour table, colour bitmap and
// transparency mask); tIcoFileFormatReader takes its pixels into a TPixelGraphic, either as 24
// bits with the masked pixels in the transparent colour (mode 1) or as palette indices (mode 0).
#include "imaging/format_registry.h"
#include "imaging/pixel_graphic.h"

#include <vector>

// Output mode of the reader: 1 gives 24 bits with transparency, 0 indexed pixels.
extern int IconReaderMode;             // 1
extern TColor IconTransparentColor;    // 0xFFFFFF

struct TIconDirectory {
    int Count = 0;  // 0 when the directory is not valid
    int Type = 0;   // 1 icon, 2 cursor
};

struct TIconEntryInfo {
    int Width = 0;
    int Height = 0;
    int BitCount = 0;
};

class tIconHandler {
public:
    // The directory at Base; the stream position is kept.
    TIconDirectory ReadDirectory(QIODevice& Stream, qint64 Base) const;
    // Width, height (the information header's height halved) and bit count; zeros when the
    // index is out of range or the entry cannot be read.
    TIconEntryInfo GetEntryInfo(QIODevice& Stream, qint64 Base, int Index) const;
    // The same for every entry, the directory checked once: empty when it is not valid.
    std::vector<TIconEntryInfo> GetEntryInfos(QIODevice& Stream, qint64 Base) const;
    // Loads one entry; false (and no image) when the entry is refused. The position is kept.
    bool LoadImage(QIODevice& Stream, qint64 Base, int Index);
    void Release();

    int Width() const { return ImageWidth; }
    int Height() const { return ImageHeight; }
    int BitsPerPixel() const { return Bits; }
    int Colors() const { return Bits ? 1 << Bits : 0; }
    int ColorIndex(int x, int y) const;
    // The table colour of the pixel, or the transparent colour where its mask bit is set.
    TColor Color(int x, int y) const;
    TColor TableColor(int i) const;
    TColor TransparentColor = 0xFFFFFF;

private:
    std::vector<uint8_t> Pixels;  // colour bitmap then mask, rows bottom-up
    std::vector<TColor> Table;
    int ImageWidth = 0;
    int ImageHeight = 0;
    int Bits = 0;
    int ColorRowBytes = 0;
    int MaskRowBytes = 0;
};

// The registered reader object is shared by every thread that loads: each call works on a
// handler of its own.
class tIcoFileFormatReader : public TFileFormatReader {
public:
    tIcoFileFormatReader();
    QString ClassName() const override { return QStringLiteral("tIcoFileFormatReader"); }
    bool IsFormat(const uint8_t* Header) const override;
    void Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) override;
    void GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) override;
};

// Appends the icon reader to the registry.
void RegisterIcoReader();

#pragma once
// The BMP format: Windows (40-byte) and OS/2 (12-byte) bitmaps of 1, 4, 8, 16, 24 and 32 bits,
// uncompressed, RLE8, RLE4 or with bit-field masks, bottom-up or top-down; written as
// uncompressed Windows bitmaps of the graphic's own pixel format.
#include "imaging/format_registry.h"

class TBMPFileFormatReader : public TFileFormatReader {
public:
    TBMPFileFormatReader();
    QString ClassName() const override { return QStringLiteral("TBMPFileFormatReader"); }
    bool IsFormat(const uint8_t* Header) const override;
    void Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) override;
    void GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) override;
};

class TDIBFileFormatReader : public TBMPFileFormatReader {
public:
    TDIBFileFormatReader() { Extension = QStringLiteral("dib"); }
    QString ClassName() const override { return QStringLiteral("TDIBFileFormatReader"); }
};

class TRLEFileFormatReader : public TBMPFileFormatReader {
public:
    TRLEFileFormatReader() { Extension = QStringLiteral("rle"); }
    QString ClassName() const override { return QStringLiteral("TRLEFileFormatReader"); }
};

class TBMPFileFormatWriter : public TFileFormatWriter {
public:
    TBMPFileFormatWriter();
    QString ClassName() const override { return QStringLiteral("TBMPFileFormatWriter"); }
    void Write(QIODevice& Stream, TPixelGraphic& Graphic) override;
};

class TDIBFileFormatWriter : public TBMPFileFormatWriter {
public:
    TDIBFileFormatWriter() {
        Extension = QStringLiteral("dib");
        ShowInFilter = false;
    }
    QString ClassName() const override { return QStringLiteral("TDIBFileFormatWriter"); }
};

// Reads a packed DIB (header, palette, pixels) at the stream's position into the graphic; the
// 12-byte OS/2 header when CoreHeader, the 40-byte Windows header otherwise.
void ReadPackedDib(QIODevice& Stream, TPixelGraphic& Graphic, bool CoreHeader);
// Whether the packed DIB at the stream's position has the 12-byte OS/2 header (true) or the
// 40-byte Windows header (false), told by its header size field, as on the clipboard and in
// metafile records; other header sizes are refused. The stream's position is kept.
bool PackedDibHasCoreHeader(QIODevice& Stream);

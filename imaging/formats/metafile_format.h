#pragma once
// Readers of Windows metafiles (WMF) and enhanced metafiles (EMF): the metafile is played onto a
// white canvas of its own size (fitted into 130 pixels when the graphic asks for a preview), its
// longer side at most MetafileMaxSide pixels.
#include "imaging/format_registry.h"

#include <QByteArray>

class TMetafile;

// The longest side, in pixels, a metafile is drawn at: a metafile is a drawing that scales to any
// size, and its declared extent can be anything up to 2^31 pixels, so a larger one is drawn at
// this size with its shape kept. Enough for a gallery's largest pictures; at most 48 MB of pixels.
constexpr int MetafileMaxSide = 4096;

class tWMFFileFormatReader : public TFileFormatReader {
public:
    tWMFFileFormatReader();
    QString ClassName() const override { return QStringLiteral("tWMFFileFormatReader"); }
    bool IsFormat(const uint8_t* Header) const override;
    // Data that is no metafile raises EPGUnknownFileFormat and leaves the graphic as it was.
    void Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) override;
    // Raises EPixelGraphic "Invalid Metafile" for a file that is no metafile.
    void GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) override;

protected:
    bool Enhanced = false;

private:
    // Loads the stream from its position; Placeable tells whether a WMF had its own header.
    // State stays local to the call: a reader object serves the GUI and the preview thread alike.
    bool LoadMetafile(QIODevice& Stream, TMetafile& Metafile, bool& Placeable) const;
};

class tEMFFileFormatReader : public tWMFFileFormatReader {
public:
    tEMFFileFormatReader();
    QString ClassName() const override { return QStringLiteral("tEMFFileFormatReader"); }
    bool IsFormat(const uint8_t* Header) const override;
};

// The 22-byte placeable header made up for a WMF without one (width and height in pixels).
QByteArray MakePlaceableHeader(int Width, int Height, int UnitsPerInch);
// The size a metafile is drawn at: fitted into 130 pixels under the preview flag, and with its
// longer side at most MetafileMaxSide.
void FitMetafileSize(int& Width, int& Height, bool Preview);
// Appends the WMF and then the EMF reader to FileFormatReaders.
void RegisterMetafileReaders();

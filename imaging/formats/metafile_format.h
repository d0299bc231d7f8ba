#pragma once
// Readers of Windows metafiles (WMF) and enhanced metafiles (EMF): the metafile is played onto a
// white canvas of its own size (fitted into 130 pixels when the graphic asks for a preview).
#include "imaging/format_registry.h"

#include <QByteArray>

class TMetafile;

class tWMFFileFormatReader : public TFileFormatReader {
public:
    tWMFFileFormatReader();
    QString ClassName() const override { return QStringLiteral("tWMFFileFormatReader"); }
    bool IsFormat(const uint8_t* Header) const override;
    // Never raises for a file that is no metafile: the graphic is then left as it was.
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
// The size a metafile is drawn at: fitted into 130 pixels under the preview flag, and within the
// image size limit.
void FitMetafileSize(int& Width, int& Height, bool Preview);
// Appends the WMF and then the EMF reader to FileFormatReaders.
void RegisterMetafileReaders();

#pragma once
// GIF in the imaging library's format registry by way of the GIF codec: a reader that loads the
// first frame of a GIF, as shown on its logical screen, into a TPixelGraphic, and a writer that
// stores a TPixelGraphic of 256 colours as a one-frame GIF.
#include "imaging/format_registry.h"

class TGIFFileFormatReader : public TFileFormatReader {
public:
    TGIFFileFormatReader();
    QString ClassName() const override { return QStringLiteral("TGIFFileFormatReader"); }
    bool IsFormat(const uint8_t* Header) const override;
    void Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) override;
    void GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) override;
};

class TGIFFileFormatWriter : public TFileFormatWriter {
public:
    TGIFFileFormatWriter();
    QString ClassName() const override { return QStringLiteral("TGIFFileFormatWriter"); }
    void Write(QIODevice& Stream, TPixelGraphic& Graphic) override;
};

// Appends one reader and one writer to the registry (once per registry; start-up calls it after
// the core formats and before RegisterGifReader).
void RegisterGIFFileFormat();

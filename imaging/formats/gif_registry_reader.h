#pragma once
// The imaging library's own GIF reader: decodes one chosen image of a GIF file straight into a
// TPixelGraphic with a decoder of its own, working on the whole file held in memory, and reports
// file information. It stands behind the codec's reader in the registry.
#include "imaging/format_registry.h"

class tGifFileFormatReader : public TFileFormatReader {
public:
    tGifFileFormatReader();
    QString ClassName() const override { return QStringLiteral("tGifFileFormatReader"); }
    bool IsFormat(const uint8_t* Header) const override;
    // Never raises: a file that is not a GIF, a missing image or damaged data leave the graphic as
    // far as decoding got.
    void Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) override;
    void GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) override;
};

// Appends the reader as the last reader of the registry (start-up calls it after every other
// registration, in particular after RegisterGIFFileFormat).
void RegisterGifReader();

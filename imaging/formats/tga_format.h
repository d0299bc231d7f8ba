#pragma once
// The Targa reader (colour-mapped, true-colour and grey; uncompressed or run-length encoded; 8, 16,
// 24 or 32 bits; any of the four origins) and writer (8-bit colour-mapped or 24-bit true-colour,
// uncompressed, bottom-left origin). Targa files have no signature: the extension finds them.
#include "imaging/format_registry.h"

class TTGAFileFormatReader : public TFileFormatReader {
public:
    TTGAFileFormatReader();
    QString ClassName() const override { return QStringLiteral("TTGAFileFormatReader"); }
    void Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) override;
    void GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) override;
};

class TTGAFileFormatWriter : public TFileFormatWriter {
public:
    TTGAFileFormatWriter();
    QString ClassName() const override { return QStringLiteral("TTGAFileFormatWriter"); }
    void Write(QIODevice& Stream, TPixelGraphic& Graphic) override;
};

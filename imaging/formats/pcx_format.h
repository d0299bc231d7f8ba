#pragma once
// The Paintbrush reader: 1 bit in one plane, 4 bits as four 1-bit planes, 8 bits with the
// 256-colour palette at the end of the file and 24 bits as three 8-bit planes, run-length encoded.
#include "imaging/format_registry.h"

class TPCXFileFormatReader : public TFileFormatReader {
public:
    TPCXFileFormatReader();
    QString ClassName() const override { return QStringLiteral("TPCXFileFormatReader"); }
    bool IsFormat(const uint8_t* Header) const override;
    void Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) override;
    void GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) override;
};

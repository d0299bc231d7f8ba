#pragma once
// The PNG format on the system's libpng: every colour type and bit depth is read (interlaced or
// not, transparency composited onto a background, 16-bit samples stripped to 8); graphics are
// written non-interlaced as RGB, grey (pGray256) or palette PNGs.
#include "imaging/format_registry.h"

class TPNGFileFormatReader : public TFileFormatReader {
public:
    TPNGFileFormatReader();
    QString ClassName() const override { return QStringLiteral("TPNGFileFormatReader"); }
    bool IsFormat(const uint8_t* Header) const override;
    void Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) override;
    void GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) override;
};

class TPNGFileFormatWriter : public TFileFormatWriter {
public:
    TPNGFileFormatWriter();
    QString ClassName() const override { return QStringLiteral("TPNGFileFormatWriter"); }
    void Write(QIODevice& Stream, TPixelGraphic& Graphic) override;
};

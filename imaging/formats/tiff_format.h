#pragma once
// The TIFF reader (baseline files in either byte order: strips, uncompressed or PackBits;
// bilevel, grey, palette, RGB, RGB with an extra sample, CMYK) and writer (one image directory
// with a fixed tag list, strips of at most 32767 bytes, optional PackBits, CMYK, WhiteIsZero and
// Motorola byte order). Both exist for "tif" and "tiff".
#include "imaging/format_registry.h"

class TTIFFileFormatReader : public TFileFormatReader {
public:
    TTIFFileFormatReader();
    QString ClassName() const override { return QStringLiteral("TTIFFileFormatReader"); }
    bool IsFormat(const uint8_t* Header) const override;
    void Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) override;
    void GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) override;
};

class TTIFFFileFormatReader : public TTIFFileFormatReader {
public:
    TTIFFFileFormatReader() { Extension = QStringLiteral("tiff"); }
    QString ClassName() const override { return QStringLiteral("TTIFFFileFormatReader"); }
};

class TTIFFileFormatWriter : public TFileFormatWriter {
public:
    TTIFFileFormatWriter();
    QString ClassName() const override { return QStringLiteral("TTIFFileFormatWriter"); }
    void Write(QIODevice& Stream, TPixelGraphic& Graphic) override;
    // File header with a placeholder for the first directory's offset.
    void WriteHeader(QIODevice& Stream, TPixelGraphic& Graphic) override;
    // One image directory with its data, linked into the placeholder left by the step before.
    void WriteImage(QIODevice& Stream, TPixelGraphic& Graphic) override;

private:
    qint64 FileStart = 0;        // all offsets in the file are relative to it
    qint64 NextOffsetField = 0;  // where the next directory's offset goes
    bool BigEndian = false;
};

class TTIFFFileFormatWriter : public TTIFFileFormatWriter {
public:
    TTIFFFileFormatWriter() { Extension = QStringLiteral("tiff"); }
    QString ClassName() const override { return QStringLiteral("TTIFFFileFormatWriter"); }
};

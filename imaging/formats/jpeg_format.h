#pragma once
// The JPEG format: readers and writers for the registry ("jpg", "jpeg", "jif") on the system's
// libjpeg, and a direct loader that decodes at 1/1, 1/2, 1/4 or 1/8 scale for thumbnails.
#include "imaging/format_registry.h"
#include "imaging/pixel_graphic.h"

#include <functional>

class TJPGFileFormatReader : public TFileFormatReader {
public:
    TJPGFileFormatReader();
    QString ClassName() const override { return QStringLiteral("TJPGFileFormatReader"); }
    bool IsFormat(const uint8_t* Header) const override;
    void Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) override;
    void GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) override;
};

class TJPEGFileFormatReader : public TJPGFileFormatReader {
public:
    TJPEGFileFormatReader() { Extension = QStringLiteral("jpeg"); }
    QString ClassName() const override { return QStringLiteral("TJPEGFileFormatReader"); }
};

class TJIFFileFormatReader : public TJPGFileFormatReader {
public:
    TJIFFileFormatReader() { Extension = QStringLiteral("jif"); }
    QString ClassName() const override { return QStringLiteral("TJIFFileFormatReader"); }
};

class TJPGFileFormatWriter : public TFileFormatWriter {
public:
    TJPGFileFormatWriter();
    QString ClassName() const override { return QStringLiteral("TJPGFileFormatWriter"); }
    void Write(QIODevice& Stream, TPixelGraphic& Graphic) override;
};

class TJPEGFileFormatWriter : public TJPGFileFormatWriter {
public:
    TJPEGFileFormatWriter() {
        Extension = QStringLiteral("jpeg");
        ShowInFilter = false;
    }
    QString ClassName() const override { return QStringLiteral("TJPEGFileFormatWriter"); }
};

class TJIFFileFormatWriter : public TJPGFileFormatWriter {
public:
    TJIFFileFormatWriter() {
        Extension = QStringLiteral("jif");
        ShowInFilter = false;
    }
    QString ClassName() const override { return QStringLiteral("TJIFFileFormatWriter"); }
};

// Largest number of pixels a JPEG may decode to: the library's own limit.
constexpr int64_t PGJpegMaxPixels = TPixelGraphic::MaxPixels;

// Thumbnail loading: reads the header once, asks ChooseScale (given the full width and height)
// for the scale denominator (1, 2, 4 or 8; other values count as 1), and decodes at that scale
// into Graphic (8-bit grey or 24-bit), with the fast integer DCT when FastDct. Warnings follow
// Graphic's warning mode. Failures raise EPGJPGFileFormatReaderWriter ("JPG: ...").
struct TPGJpegScaledInfo {
    int FullWidth = 0;
    int FullHeight = 0;
    int ScaleDenominator = 1;
};
TPGJpegScaledInfo LoadJpegScaled(QIODevice& Stream, TPixelGraphic& Graphic,
                                 const std::function<int(int FullWidth, int FullHeight)>& ChooseScale, bool FastDct);
TPGJpegScaledInfo LoadJpegFileScaled(const QString& FileName, TPixelGraphic& Graphic,
                                     const std::function<int(int FullWidth, int FullHeight)>& ChooseScale,
                                     bool FastDct);
// The same with a fixed denominator.
TPGJpegScaledInfo LoadJpegFileScaled(const QString& FileName, TPixelGraphic& Graphic, int ScaleDenominator,
                                     bool FastDct);

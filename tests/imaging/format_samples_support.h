#pragma once
// Sample files of every format, written by tests/imaging/make_format_samples.py (Pillow and
// hand-built files), and Pillow as the oracle for our decoders and for the files our writers make.
#include "tests/imaging/imaging_test_support.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace format_samples {

inline QString sourceDir() { return qEnvironmentVariable("LUMENFOLD_SOURCE_DIR"); }

// The samples of one format, written once per test program into a temporary directory.
inline QString samplesOf(const QString& format) {
    static std::map<QString, std::unique_ptr<QTemporaryDir>> written;
    auto& dir = written[format];
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        QString output;
        const QString script = sourceDir() + "/tests/imaging/make_format_samples.py";
        const bool ok = imaging_test::runPython(
            QStringLiteral("import runpy, sys\nsys.argv = sys.argv[1:]\nrunpy.run_path(sys.argv[0], run_name='__main__')"),
            {script, dir->path(), format}, output);
        EXPECT_TRUE(ok) << "sample generator failed (Pillow is required): " << output.toStdString();
    }
    return dir->path() + "/";
}

// An RGB image: width, height and 3 bytes a pixel, top row first.
struct RgbImage {
    int Width = 0;
    int Height = 0;
    QByteArray Pixels;
    TColor at(int x, int y) const {
        const auto* p = reinterpret_cast<const uint8_t*>(Pixels.constData()) + (size_t(y) * size_t(Width) + size_t(x)) * 3;
        return pgRGB(p[0], p[1], p[2]);
    }
};

// Reads the binary PPM that the generator writes beside each lossless sample.
inline RgbImage readPpm(const QString& path) {
    RgbImage image;
    const QByteArray data = imaging_test::readFile(path);
    int fields = 0, pos = 2, values[3] = {};
    if (!data.startsWith("P6")) return image;
    while (fields < 3 && pos < data.size()) {
        while (pos < data.size() && std::isspace(uint8_t(data[pos]))) ++pos;
        int v = 0;
        while (pos < data.size() && std::isdigit(uint8_t(data[pos]))) v = v * 10 + (data[pos++] - '0');
        values[fields++] = v;
    }
    image.Width = values[0];
    image.Height = values[1];
    image.Pixels = data.mid(pos + 1, qsizetype(image.Width) * image.Height * 3);
    return image;
}

// Pillow's decode of any image file, as RGB.
inline RgbImage pillowDecode(const QString& path) {
    const QString ppm = path + ".pillow.ppm";
    QString output;
    const bool ok = imaging_test::runPython(
        QStringLiteral("import sys\nfrom PIL import Image\nImage.open(sys.argv[1]).convert('RGB').save(sys.argv[2], 'PPM')"),
        {path, ppm}, output);
    EXPECT_TRUE(ok) << output.toStdString();
    return readPpm(ppm);
}

// Number of pixels of the graphic that differ from the RGB image (every pixel when sizes differ).
inline int64_t mismatches(const TPixelGraphic& g, const RgbImage& expected) {
    if (g.GetWidth() != expected.Width || g.GetHeight() != expected.Height)
        return std::max<int64_t>(1, int64_t(expected.Width) * expected.Height);
    int64_t wrong = 0;
    for (int y = 0; y < expected.Height; ++y)
        for (int x = 0; x < expected.Width; ++x)
            if (g.GetPixelColor(x, y) != expected.at(x, y)) ++wrong;
    return wrong;
}

}  // namespace format_samples

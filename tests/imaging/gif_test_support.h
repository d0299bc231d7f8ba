#pragma once
// Helpers of the GIF codec tests: byte streams, frames built by hand and warnings collected.
#include "imaging/formats/gif_image.h"
#include "tests/imaging/imaging_test_support.h"

#include <QBuffer>
#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace gif_test {

struct Warnings {
    QStringList Messages;
    std::vector<const void*> Senders;
    void attach(TGIFImage& image) {
        image.OnWarning = [this](const void* sender, uint8_t, const QString& message) {
            Messages << message;
            Senders.push_back(sender);
        };
    }
};

inline QByteArray saveImage(TGIFImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.SaveToStream(buffer);
    return bytes;
}

inline void loadImage(TGIFImage& image, const QByteArray& bytes) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    image.LoadFromStream(buffer);
}

// A deterministic pattern of indices below 2^bits.
inline std::vector<uint8_t> patternPixels(int width, int height, int bits, unsigned seed = 7) {
    std::vector<uint8_t> pixels(size_t(width) * size_t(height));
    const int colours = 1 << bits;
    for (size_t i = 0; i < pixels.size(); ++i) {
        seed = seed * 1103515245u + 12345u;
        // Runs of equal pixels mixed with noise give the string table real work.
        pixels[i] = uint8_t(((i / 3) % 5 == 0 ? (seed >> 16) : (i / 7)) % unsigned(colours));
    }
    return pixels;
}

// Adds a frame with the given pixels; its colours go into the local table unless global is set,
// when they go into the image's global table.
inline TGIFSubImage* addFrame(TGIFImage& image, int width, int height, int bits, const std::vector<uint8_t>& pixels,
                              bool global = false, int left = 0, int top = 0) {
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetLeft(left);
    frame->SetTop(top);
    frame->SetWidth(width);
    frame->SetHeight(height);
    frame->NewImage();
    std::copy(pixels.begin(), pixels.end(), frame->Data.begin());
    TGIFColorMap& map = global ? static_cast<TGIFColorMap&>(image.Header().GlobalColorMap) : frame->ColorMap;
    if (map.Count == 0)
        for (int i = 0; i < (1 << bits); ++i)
            map.Add(gifRGB(uint8_t(i * 37 + 5), uint8_t(255 - i * 11), uint8_t(i * 71 % 256)));
    TGIFSubImage* raw = frame.get();
    image.Add(frame.release());
    return raw;
}

using imaging_test::python;
using imaging_test::runPython;

}  // namespace gif_test

#pragma once
// Shared body of the format fuzz targets: one reader probes the input, then is given it as a
// stream, for the first and the second image (multi-image formats), first for the file information
// and then to read the image. Only the library's own errors (EPixelGraphic and its family) are
// expected; anything else (a crash, a sanitizer report, another exception) is a finding. Warnings
// are ignored so that no message box is asked for.
#include "imaging/format_registry.h"
#include "imaging/imaging_init.h"
#include "imaging/pixel_graphic.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace fuzzing {

// Every image is read whatever size it declares, so that the readers' own pixel caps and size
// checks decide; the fuzzer's memory limit catches a small input that costs much. Only the
// conversion below, the fuzzer's own extra work, is kept to pictures of at most this many pixels.
constexpr int64_t MaxConvertedPixels = int64_t(1) << 22;

inline void fuzzImage(TFileFormatReader& reader, QByteArray& input, int index) {
    QBuffer stream(&input);
    stream.open(QIODevice::ReadOnly);
    TPGGraphicInfo info;
    try {
        reader.GetInfo(stream, index, info);
    } catch (const EPixelGraphic&) {
        // a damaged header: Read must refuse it the same way
    }
    stream.seek(0);
    TPixelGraphic graphic;
    graphic.SetWarningMode(0);
    try {
        reader.Read(stream, graphic, index);
    } catch (const EPixelGraphic&) {
    }
    // Whatever was read must be safe to use: convert it as saving to a paletted format would.
    // (Pixels past a short palette's end raise "Invalid palette index" when their colour is asked.)
    if (!graphic.GetEmpty() && graphic.GetWidth() * int64_t(graphic.GetHeight()) <= MaxConvertedPixels) {
        TPixelGraphic reduced;
        reduced.SetSize(graphic.GetWidth(), graphic.GetHeight(), PixelFormat8Bit);
        reduced.ReduceColorsFrom(graphic, 252, true);
        try {
            reduced.StretchFrom(graphic);
        } catch (const EPixelGraphic&) {
        }
    }
}

inline void fuzzReader(TFileFormatReader& reader, const uint8_t* data, size_t size) {
    static const bool initialised = [] {
        InitImagingLibrary();
        return true;
    }();
    (void)initialised;
    uint8_t probe[TFileFormatReader::ProbeSize] = {};
    for (size_t i = 0; i < sizeof probe && i < size; ++i) probe[i] = data[i];
    (void)reader.IsFormat(probe);
    QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    for (int index = 0; index < 2; ++index) fuzzImage(reader, input, index);
}

}  // namespace fuzzing

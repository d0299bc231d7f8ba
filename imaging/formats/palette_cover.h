#pragma once
// Indexed pixels of a damaged file may point past the palette the file gave (a colour map
// shorter than its pixel values). The palette is lengthened to the largest index used, the new
// entries black, so that every pixel has a colour.
#include "imaging/pixel_graphic.h"

#include <algorithm>

// The largest index in a row of 1, 4 or 8 bits per pixel, whole bytes at a time (a last byte's
// unused bits are masked off).
inline int LargestPackedIndex(const uint8_t* row, int width, TPGPixelFormat format) {
    if (format == PixelFormat8Bit) return width > 0 ? *std::max_element(row, row + width) : 0;
    const int bits = format == PixelFormat1Bit ? 1 : 4;
    const int64_t usedBits = int64_t(width) * bits;
    const int64_t whole = usedBits / 8;
    uint8_t any = 0, high = 0, low = 0;
    for (int64_t i = 0; i < whole; ++i) {
        any |= row[i];
        high = std::max<uint8_t>(high, row[i] >> 4);
        low = std::max<uint8_t>(low, row[i] & 0x0F);
    }
    if (usedBits % 8) {
        const uint8_t last = uint8_t(row[whole] & (0xFF << (8 - usedBits % 8)));
        any |= last;
        high = std::max<uint8_t>(high, last >> 4);
        low = std::max<uint8_t>(low, last & 0x0F);
    }
    return format == PixelFormat1Bit ? (any ? 1 : 0) : std::max(high, low);
}

inline void CoverPaletteIndices(TPixelGraphic& Graphic) {
    const TPGPixelFormat format = Graphic.GetPixelFormat();
    if (format == PixelFormat24Bit || Graphic.GetEmpty() || Graphic.GetPaletteCount() >= Graphic.GetMaxColors()) return;
    int largest = 0;
    const int width = Graphic.GetWidth(), height = Graphic.GetHeight();
    // The rows lie evenly spaced; the scan stops at the largest index the format holds.
    const uint8_t* first = Graphic.GetScanLine(0);
    const ptrdiff_t stride = height > 1 ? Graphic.GetScanLine(1) - first : 0;
    const int most = Graphic.GetMaxColors() - 1;
    for (int y = 0; y < height && largest < most; ++y)
        largest = std::max(largest, LargestPackedIndex(first + stride * y, width, format));
    const int count = Graphic.GetPaletteCount();
    if (largest < count) return;
    Graphic.SetPaletteCount(largest + 1);
    for (int i = count; i <= largest; ++i) Graphic.SetPaletteColor(i, 0);
}

// Covers the indices on every way out of a reader, also when decoding raises halfway.
class TPaletteCoverScope {
public:
    explicit TPaletteCoverScope(TPixelGraphic& Graphic) : Graphic(Graphic) {}
    ~TPaletteCoverScope() {
        try {
            CoverPaletteIndices(Graphic);
        } catch (...) {
            // Lengthening a palette raises nothing; the reader's own error, if any, is what matters.
        }
    }
    TPaletteCoverScope(const TPaletteCoverScope&) = delete;
    TPaletteCoverScope& operator=(const TPaletteCoverScope&) = delete;

private:
    TPixelGraphic& Graphic;
};

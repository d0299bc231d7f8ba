#pragma once
// Indexed pixels of a damaged file may point past the palette the file gave (a colour map
// shorter than its pixel values). The palette is lengthened to the largest index used, the new
// entries black, so that every pixel has a colour.
#include "imaging/pixel_graphic.h"

#include <algorithm>

inline void CoverPaletteIndices(TPixelGraphic& Graphic) {
    const TPGPixelFormat format = Graphic.GetPixelFormat();
    if (format == PixelFormat24Bit || Graphic.GetEmpty() || Graphic.GetPaletteCount() >= Graphic.GetMaxColors()) return;
    int largest = 0;
    const int width = Graphic.GetWidth();
    for (int y = 0; y < Graphic.GetHeight(); ++y) {
        const uint8_t* row = Graphic.GetScanLine(y);
        for (int x = 0; x < width; ++x) {
            largest = std::max(largest, pgPackedIndex(row, x, format));
        }
    }
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

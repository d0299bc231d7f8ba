#pragma once
// Reads the colours of a picture's pixels, whatever its pixel format: indexed pixels go through a
// table of the palette made once, instead of a palette lookup per pixel.
#include "imaging/pixel_graphic.h"

#include <algorithm>
#include <vector>

class TPixelColours {
public:
    // What an index past the palette reads as: the first entry (black when there is none), or
    // the failure GetPixelColor gives.
    enum class PastPalette { FirstEntry, Raise };

    TPixelColours(const TPixelGraphic& Source, PastPalette Past) : Source(Source), Past(Past) {
        if (Source.GetPixelFormat() != PixelFormat24Bit)
            for (int i = 0; i < Source.GetPaletteCount(); ++i) Palette.push_back(Source.GetPaletteColor(i));
        if (Palette.empty() && Past == PastPalette::FirstEntry) Palette.push_back(0);
    }

    void Read(const uint8_t* Row, int X, int& R, int& G, int& B) const {
        if (Source.GetPixelFormat() == PixelFormat24Bit) {
            const uint8_t* p = Row + size_t(X) * 3;
            B = p[0];
            G = p[1];
            R = p[2];
            return;
        }
        const TColor c = Colour(pgPackedIndex(Row, X, Source.GetPixelFormat()));
        R = pgRed(c);
        G = pgGreen(c);
        B = pgBlue(c);
    }

    // Row Y as blue, green, red bytes (Bgr holds at least three bytes a pixel).
    void ReadRow(int Y, std::vector<uint8_t>& Bgr) const {
        const int width = Source.GetWidth();
        const uint8_t* row = Source.GetScanLine(Y);
        const TPGPixelFormat format = Source.GetPixelFormat();
        if (format == PixelFormat24Bit) {
            std::copy(row, row + size_t(width) * 3, Bgr.begin());
            return;
        }
        for (int x = 0; x < width; ++x) {
            const TColor c = Colour(pgPackedIndex(row, x, format));
            Bgr[size_t(x) * 3] = pgBlue(c);
            Bgr[size_t(x) * 3 + 1] = pgGreen(c);
            Bgr[size_t(x) * 3 + 2] = pgRed(c);
        }
    }

private:
    TColor Colour(int Index) const {
        if (size_t(Index) < Palette.size()) return Palette[size_t(Index)];
        return Past == PastPalette::Raise ? Source.GetPaletteColor(Index) : Palette[0];
    }

    const TPixelGraphic& Source;
    PastPalette Past;
    std::vector<TColor> Palette;
};

// TPixelGraphic: palettes, palette kinds, the DIB colour table and nearest-colour search.
#include "imaging/pixel_graphic.h"

#include "imaging/pg_messages.h"

#include <cmath>
#include <cstring>

const uint32_t SystemPalette252[252] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
    0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF, 0x000040, 0x0000C0, 0x004000, 0x004040, 0x004080, 0x0040C0, 0x0040FF, 0x008040,
    0x0080C0, 0x0080FF, 0x00C000, 0x00C040, 0x00C080, 0x00C0C0, 0x00C0FF, 0x00FF40, 0x00FF80, 0x00FFC0, 0x400000, 0x400040,
    0x400080, 0x4000C0, 0x4000FF, 0x404000, 0x404040, 0x404080, 0x4040C0, 0x4040FF, 0x408000, 0x408040, 0x408080, 0x4080C0,
    0x4080FF, 0x40C000, 0x40C040, 0x40C080, 0x40C0C0, 0x40C0FF, 0x40FF00, 0x40FF40, 0x40FF80, 0x40FFC0, 0x40FFFF, 0x800040,
    0x8000C0, 0x8000FF, 0x804000, 0x804040, 0x804080, 0x8040C0, 0x8040FF, 0x808040, 0x8080C0, 0x8080FF, 0x80C000, 0x80C040,
    0x80C080, 0x80C0C0, 0x80C0FF, 0x80FF00, 0x80FF40, 0x80FF80, 0x80FFC0, 0x80FFFF, 0xC00000, 0xC00040, 0xC00080, 0xC000C0,
    0xC000FF, 0xC04000, 0xC04040, 0xC04080, 0xC040C0, 0xC040FF, 0xC08000, 0xC08040, 0xC08080, 0xC080C0, 0xC080FF, 0xC0C000,
    0xC0C040, 0xC0C080, 0xC0C0FF, 0xC0FF00, 0xC0FF40, 0xC0FF80, 0xC0FFC0, 0xC0FFFF, 0xFF0040, 0xFF0080, 0xFF00C0, 0xFF4000,
    0xFF4040, 0xFF4080, 0xFF40C0, 0xFF40FF, 0xFF8000, 0xFF8040, 0xFF8080, 0xFF80C0, 0xFF80FF, 0xFFC000, 0xFFC040, 0xFFC080,
    0xFFC0C0, 0xFFC0FF, 0xFFFF40, 0xFFFF80, 0xFFFFC0, 0x202020, 0x606060, 0xA0A0A0, 0xE0E0E0, 0xFFE0FF, 0xE0E0FF, 0xE0FFFF,
    0xE0FFE0, 0xFFFFE0, 0xFFE0E0, 0xFFC0E0, 0xE0C0FF, 0xC0E0FF, 0xC0FFE0, 0xE0FFC0, 0xFFE0C0, 0xE0C0E0, 0xC0C0E0, 0xC0E0E0,
    0xC0E0C0, 0xE0E0C0, 0xE0C0C0, 0xFFA0C0, 0xFFA0E0, 0xFFA0FF, 0xE0A0FF, 0xC0A0FF, 0xA0A0FF, 0xA0C0FF, 0xA0E0FF, 0xA0FFFF,
    0xA0FFE0, 0xA0FFC0, 0xA0FFA0, 0xC0FFA0, 0xE0FFA0, 0xFFFFA0, 0xFFE0A0, 0xFFC0A0, 0xFFA0A0, 0xE0A0C0, 0xE0A0E0, 0xC0A0E0,
    0xA0A0E0, 0xA0C0E0, 0xA0E0E0, 0xA0E0C0, 0xA0E0A0, 0xC0E0A0, 0xE0E0A0, 0xE0C0A0, 0xE0A0A0, 0xFF80A0, 0xFF80E0, 0xE080FF,
    0xA080FF, 0x80A0FF, 0x80E0FF, 0x80FFE0, 0x80FFA0, 0xA0FF80, 0xE0FF80, 0xFFE080, 0xFFA080, 0xC0A0C0, 0xA0A0C0, 0xA0C0C0,
    0xA0C0A0, 0xC0C0A0, 0xC0A0A0, 0xE080A0, 0xE080C0, 0xE080E0, 0xC080E0, 0xA080E0, 0x8080E0, 0x80A0E0, 0x80C0E0, 0x80E0E0,
    0x80E0C0, 0x80E0A0, 0x80E080, 0xA0E080, 0xC0E080, 0xE0E080, 0xE0C080, 0xE0A080, 0xE08080, 0xFF6080, 0xFF60A0, 0xFF60C0,
    0xFF60E0, 0xFF60FF, 0xE060FF, 0xC060FF, 0xA060FF, 0x8060FF, 0x6060FF, 0x6080FF, 0x60A0FF, 0x60C0FF, 0x60E0FF, 0x60FFFF,
    0x60FFE0, 0x60FFC0, 0x60FFA0, 0x60FF80, 0x60FF60, 0x80FF60, 0xA0FF60, 0xC0FF60, 0xE0FF60, 0xFFFF60, 0xFFE060, 0xFFC060,
    0xFFA060, 0xFF8060, 0xFF6060, 0xC080A0, 0xA080C0, 0x80A0C0, 0x80C0A0, 0xA0C080, 0xC0A080, 0xE06080, 0xE060A0, 0xE060C0,
};

namespace {

TColor fromRRGGBB(uint32_t v) { return pgRGB(uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)); }

TColor gray(int level) { return pgRGB(uint8_t(level), uint8_t(level), uint8_t(level)); }

int gray236Level(int i) { return int(std::lround((255.0 * i - 4.0 / 47.0) / 235.0)); }

// The fixed palette of a kind; empty for kinds without one.
std::vector<TColor> fixedPalette(TPaletteIdent kind) {
    std::vector<TColor> p;
    switch (kind) {
    case pBlackWhite: p = {gray(0), gray(255)}; break;
    case pSysGray4: p = {gray(0), gray(128), gray(192), gray(255)}; break;
    case pSys16:
        for (int i = 0; i < 16; ++i) p.push_back(fromRRGGBB(SystemPalette252[i]));
        break;
    case pGray4:
        for (int i = 0; i < 4; ++i) p.push_back(gray(i * 255 / 3));
        break;
    case pGray16:
        for (int i = 0; i < 16; ++i) p.push_back(gray(i * 255 / 15));
        break;
    case pGray236:
        for (int i = 0; i < 236; ++i) p.push_back(gray(gray236Level(i)));
        break;
    case pGray256:
        for (int i = 0; i < 256; ++i) p.push_back(gray(i));
        break;
    case pSpecial125:
        for (int r = 0; r < 5; ++r)
            for (int g = 0; g < 5; ++g)
                for (int b = 0; b < 5; ++b)
                    p.push_back(pgRGB(uint8_t((r * 255 + 3) / 4), uint8_t((g * 255 + 3) / 4), uint8_t((b * 255 + 3) / 4)));
        break;
    case pSpecial216:
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    p.push_back(pgRGB(uint8_t((r * 255 + 4) / 5), uint8_t((g * 255 + 4) / 5), uint8_t((b * 255 + 4) / 5)));
        break;
    case pSpecial252:
        for (uint32_t v : SystemPalette252) p.push_back(fromRRGGBB(v));
        break;
    default: break;
    }
    return p;
}

// Three candidate indices per 4x4x4 cell of the colour cube for pSys16.
const uint8_t Sys16Candidates[64][3] = {
    {0, 0, 0},  {4, 4, 4},   {4, 4, 4},    {12, 12, 12}, {2, 2, 2},   {6, 6, 6},    {6, 6, 6},    {6, 12, 12},
    {2, 2, 2},  {6, 6, 6},   {6, 6, 6},    {6, 14, 14},  {10, 10, 10}, {6, 10, 10}, {6, 14, 14},  {14, 14, 14},
    {1, 1, 1},  {5, 5, 5},   {5, 5, 5},    {5, 12, 12},  {3, 3, 3},   {8, 8, 8},    {8, 8, 8},    {8, 12, 12},
    {3, 3, 3},  {8, 8, 8},   {8, 8, 8},    {7, 8, 14},   {3, 10, 10}, {8, 10, 10},  {7, 8, 14},   {7, 14, 14},
    {1, 1, 1},  {5, 5, 5},   {5, 5, 5},    {5, 13, 13},  {3, 3, 3},   {8, 8, 8},    {8, 8, 8},    {7, 8, 13},
    {3, 3, 3},  {8, 8, 8},   {7, 8, 8},    {7, 7, 7},    {3, 11, 11}, {7, 8, 11},   {7, 7, 7},    {7, 7, 7},
    {9, 9, 9},  {5, 9, 9},   {5, 13, 13},  {13, 13, 13}, {3, 9, 9},   {8, 9, 9},    {7, 8, 13},   {7, 13, 13},
    {3, 11, 11}, {7, 8, 11}, {7, 7, 7},    {7, 7, 7},    {11, 11, 11}, {7, 11, 11}, {7, 7, 7},    {7, 15, 15},
};

int distance2(TColor a, TColor b) {
    const int dr = int(pgRed(a)) - pgRed(b), dg = int(pgGreen(a)) - pgGreen(b), db = int(pgBlue(a)) - pgBlue(b);
    return dr * dr + dg * dg + db * db;
}

bool paletteEquals(const std::vector<TColor>& palette, int count, TPaletteIdent kind) {
    const std::vector<TColor> fixed = fixedPalette(kind);
    if (int(fixed.size()) != count) return false;
    for (int i = 0; i < count; ++i)
        if ((palette[size_t(i)] & 0xFFFFFF) != fixed[size_t(i)]) return false;
    return true;
}

uint32_t dibEntry(TColor c) { return uint32_t(pgBlue(c)) | (uint32_t(pgGreen(c)) << 8) | (uint32_t(pgRed(c)) << 16); }

}  // namespace

const TColor SystemColors16[16] = {
    pgRGB(0, 0, 0),       pgRGB(128, 0, 0),   pgRGB(0, 128, 0),   pgRGB(128, 128, 0),
    pgRGB(0, 0, 128),     pgRGB(128, 0, 128), pgRGB(0, 128, 128), pgRGB(192, 192, 192),
    pgRGB(128, 128, 128), pgRGB(255, 0, 0),   pgRGB(0, 255, 0),   pgRGB(255, 255, 0),
    pgRGB(0, 0, 255),     pgRGB(255, 0, 255), pgRGB(0, 255, 255), pgRGB(255, 255, 255),
};

TColor TPixelGraphic::GetPaletteColor(int i) const {
    if (PaletteIdent == pTrueColor) return TColor(i);
    if (i < 0 || i >= PaletteCount) throw EPGInvalidPaletteIndex(GetMessageText(3));
    return Palette[size_t(i)];
}

void TPixelGraphic::WriteDibColorEntry(int i) {
    if (i >= 0 && i < int(DibColorTable.size())) DibColorTable[size_t(i)] = dibEntry(Palette[size_t(i)]);
}

void TPixelGraphic::RebuildDibColorTable() {
    for (size_t i = 0; i < DibColorTable.size(); ++i) {
        if (i < size_t(PaletteCount)) DibColorTable[i] = dibEntry(Palette[i]);
        else DibColorTable[i] = PaletteCount > 0 ? dibEntry(Palette[0]) : 0;
    }
}

void TPixelGraphic::SetPaletteColor(int i, TColor colour) {
    if (PaletteIdent == pNone || PaletteIdent == pTrueColor) throw EPGNoPalette(GetMessageText(2));
    if (i < 0 || i >= PaletteCount) throw EPGInvalidPaletteIndex(GetMessageText(3));
    GdiFlush();
    Palette[size_t(i)] = colour;
    WriteDibColorEntry(i);
    PaletteIdent = pUnknown;
    MemoStale = true;
    FreeColorCache();
}

void TPixelGraphic::SetPaletteCount(int n) {
    if (n < 0) n = 0;
    if (n != PaletteCount) {
        GdiFlush();
        Palette.resize(size_t(n), 0);
        PaletteCount = n;
        PaletteIdent = n == 0 ? pNone : pUnknown;
        MemoStale = true;
        BitmapInfo.biClrUsed = uint32_t(n);
        RebuildDibColorTable();
    }
    FreeColorCache();
}

void TPixelGraphic::SetPaletteIdent(TPaletteIdent kind) {
    if (kind == PaletteIdent) return;
    switch (kind) {
    case pNone:
    case pTrueColor:
        SetPaletteCount(0);
        break;
    case pUnknown:
    case pOptimized252Sys16:
    case pSource:
        break;
    default: {
        const std::vector<TColor> fixed = fixedPalette(kind);
        SetPaletteCount(int(fixed.size()));
        Palette = fixed;
        RebuildDibColorTable();
        break;
    }
    }
    if (kind != pOptimized252Sys16 && kind != pSource) PaletteIdent = kind;
    MemoStale = true;
    FreeColorCache();
}

void TPixelGraphic::DetectPaletteIdent() {
    DetectPaletteIdentGrayOnly();
    static const TPaletteIdent order[] = {pBlackWhite, pGray4, pSysGray4, pGray16, pGray236, pGray256,
                                          pSys16,      pSpecial216, pSpecial125, pSpecial252};
    for (TPaletteIdent kind : order)
        if (paletteEquals(Palette, PaletteCount, kind)) {
            PaletteIdent = kind;
            MemoStale = true;
            return;
        }
    if (PixelFormat == PixelFormat24Bit && PaletteCount == 0) PaletteIdent = pTrueColor;
    else if (PaletteCount > 0) PaletteIdent = pUnknown;
    else PaletteIdent = pNone;
    MemoStale = true;
}

int TPixelGraphic::Intensity(TColor c) const {
    if (IntensityMode) return (897 * pgRed(c) + 1761 * pgGreen(c) + 342 * pgBlue(c)) / 1000;
    return pgRed(c) + pgGreen(c) + pgBlue(c);
}

int TPixelGraphic::ExhaustiveNearest(TColor colour) const {
    int best = 0, bestDistance = INT32_MAX;
    for (int i = 0; i < PaletteCount; ++i) {
        const int d = distance2(colour, Palette[size_t(i)]);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

void TPixelGraphic::FreeColorCache() {
    ColorCache.reset();
    ColorCacheKnown.reset();
    ColorCacheStale = true;
}

void TPixelGraphic::SetUseColorCache(bool b) {
    if (b == UseColorCache) return;
    UseColorCache = b;
    MemoStale = true;
    Changed();
}

void TPixelGraphic::SetIntensityMode(bool b) {
    if (b == IntensityMode) return;
    IntensityMode = b;
    MemoStale = true;
}

void TPixelGraphic::SeedColorCache() {
    ColorCache.reset(new uint8_t[65536]());
    ColorCacheKnown.reset(new uint8_t[8192]());
    ColorCacheStale = false;
    auto mark = [this](int r, int g, int b, int index) {
        const int cell = r * 2048 + g * 32 + b;
        uint8_t& known = ColorCacheKnown[size_t(cell >> 3)];
        const uint8_t bit = uint8_t(1 << (cell & 7));
        if (known & bit) return;
        known |= bit;
        ColorCache[size_t(cell)] = uint8_t(index);
    };
    for (int radius = 0; radius <= 4; ++radius)
        for (int i = 0; i < PaletteCount; ++i) {
            const TColor c = Palette[size_t(i)];
            const int cr = pgRed(c) / 8, cg = pgGreen(c) / 4, cb = pgBlue(c) / 8;
            for (int r = std::max(0, cr - radius); r <= std::min(31, cr + radius); ++r)
                for (int g = std::max(0, cg - radius); g <= std::min(63, cg + radius); ++g)
                    for (int b = std::max(0, cb - radius); b <= std::min(31, cb + radius); ++b) {
                        const bool onSurface = std::abs(r - cr) == radius || std::abs(g - cg) == radius ||
                                               std::abs(b - cb) == radius;
                        if (onSurface) mark(r, g, b, i);
                    }
        }
}

int TPixelGraphic::CachedNearest(TColor colour) {
    if (ColorCacheStale || !ColorCache) SeedColorCache();
    const int cell = (pgRed(colour) / 8) * 2048 + (pgGreen(colour) / 4) * 32 + pgBlue(colour) / 8;
    uint8_t& known = ColorCacheKnown[size_t(cell >> 3)];
    const uint8_t bit = uint8_t(1 << (cell & 7));
    if (known & bit) return ColorCache[size_t(cell)];
    const int index = ExhaustiveNearest(colour);
    ColorCache[size_t(cell)] = uint8_t(index);
    known |= bit;
    return index;
}

int TPixelGraphic::NearestColorIndex(TColor colour) {
    colour &= 0xFFFFFF;
    if (PaletteIdent == pNone) throw EPGNoPalette(GetMessageText(2));
    if (PaletteIdent == pTrueColor) return int(colour);
    if (!MemoStale && colour == LastColor) return LastIndex;
    const int R = pgRed(colour), G = pgGreen(colour), B = pgBlue(colour);
    const int I = Intensity(colour);
    int index = 0;
    switch (PaletteIdent) {
    case pBlackWhite: index = (I + 1) / 384; break;
    case pSysGray4: index = I <= 192 ? 0 : I <= 480 ? 1 : I <= 670 ? 2 : 3; break;
    case pGray4: index = (I + 127) / 255; break;
    case pGray16: index = (I + 25) / 51; break;
    case pGray256: index = (I + 1) / 3; break;
    case pGray236: {
        // For each intensity 0..765, the grey whose level x 3 is nearest (the lower on a tie).
        static const std::vector<uint8_t> table = [] {
            std::vector<uint8_t> t(766);
            for (int v = 0; v < 766; ++v) {
                int best = 0, bestDistance = INT32_MAX;
                for (int i = 0; i < 236; ++i) {
                    const int d = std::abs(gray236Level(i) * 3 - v);
                    if (d < bestDistance) {
                        bestDistance = d;
                        best = i;
                    }
                }
                t[size_t(v)] = uint8_t(best);
            }
            return t;
        }();
        index = table[size_t(std::clamp(I, 0, 765))];
        break;
    }
    case pSpecial125: {
        auto level = [](int v) { return ((v == 224 ? 225 : v) + 31) / 64; };
        index = level(R) * 25 + level(G) * 5 + level(B);
        break;
    }
    case pSpecial216: index = ((R + 24) / 51) * 36 + ((G + 24) / 51) * 6 + (B + 24) / 51; break;
    case pSys16: {
        const uint8_t* candidates = Sys16Candidates[(R / 64) * 16 + (G / 64) * 4 + B / 64];
        index = candidates[0];
        int best = distance2(colour, Palette[size_t(index)]);
        for (int k = 1; k < 3; ++k) {
            if (candidates[k] == candidates[k - 1]) continue;
            const int d = distance2(colour, Palette[size_t(candidates[k])]);
            if (d < best) {
                best = d;
                index = candidates[k];
            }
        }
        break;
    }
    case pSpecial252:
        // Every candidate list of the cell grid holds a nearest entry; an exhaustive walk in index
        // order gives the same answers.
        index = ExhaustiveNearest(colour);
        break;
    default:
        index = UseColorCache && PaletteCount <= 256 ? CachedNearest(colour) : ExhaustiveNearest(colour);
        break;
    }
    MemoStale = false;
    LastColor = colour;
    LastIndex = index;
    return index;
}

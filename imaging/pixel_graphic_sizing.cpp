// TPixelGraphic: pixel memory (SetSize) and resampling with error-diffusion dithering (StretchFrom).
#include "imaging/pixel_graphic.h"
#include "imaging/pixel_colours.h"

#include "imaging/pg_messages.h"

#include <array>
#include <cstring>
#include <new>

namespace {

// ClampTable[k] = k - 510 clamped to 0..255, for values -510..510.
struct ClampTableType {
    uint8_t values[1021];
    ClampTableType() {
        for (int k = 0; k < 1021; ++k) values[k] = uint8_t(std::clamp(k - 510, 0, 255));
    }
    uint8_t operator()(int v) const { return values[std::clamp(v, -510, 510) + 510]; }
};
const ClampTableType ClampTable;

// One destination position of an axis: a run of source positions with their weights.
struct AxisMap {
    int first = 0;
    int weights[64];  // only used for short runs; longer runs use the vector
    std::vector<int> longWeights;
    int count = 0;
    int divisor = 1;
    bool skip = false;
    int weight(int k) const { return longWeights.empty() ? weights[k] : longWeights[size_t(k)]; }
    void setRun(int from, int to, int firstWeight, int middleWeight, int lastWeight) {
        first = from;
        count = to - from + 1;
        if (count > 64) longWeights.assign(size_t(count), middleWeight);
        for (int k = 0; k < count; ++k) {
            const int w = k == 0 ? firstWeight : k == count - 1 ? lastWeight : middleWeight;
            if (count > 64) longWeights[size_t(k)] = w;
            else weights[k] = w;
        }
    }
};

std::vector<AxisMap> buildAxis(int S, int N, TStretchMode mode) {
    std::vector<AxisMap> maps(static_cast<size_t>(N));
    const bool enlarging = N > S;
    const bool linear = (mode == smMedium && !enlarging) || (mode == smPrecise && enlarging);
    for (int i = 0; i < N; ++i) {
        AxisMap& m = maps[size_t(i)];
        if (mode == smFast || S == N) {
            const int p = int(int64_t(i) * S / N);
            m.setRun(p, p, 1, 1, 1);
            m.divisor = 1;
        } else if (linear) {
            const int64_t c = int64_t(S) * (2 * i + 1);
            int64_t D = (c - N) / (2 * int64_t(N));
            int64_t E = (c + N) / (2 * int64_t(N));
            const bool dIn = D >= 0 && D < S, eIn = E >= 0 && E < S;
            if (enlarging && dIn != eIn) {
                D = std::clamp<int64_t>(D, 0, S - 1);
                E = std::clamp<int64_t>(E, 0, S - 1);
            }
            m.divisor = 2 * N;
            if (N * (2 * D + 1) == c || D == E) {
                m.setRun(int(D), int(D), 2 * N, 2 * N, 2 * N);
            } else {
                const int wD = int(2 * N + N * (2 * D + 1) - c);
                const int wE = int(2 * N + c - N * (2 * E + 1));
                m.setRun(int(D), int(E), wD, 0, wE);
            }
        } else {
            const int F = int(int64_t(i) * S / N);
            int L = int(int64_t(i + 1) * S / N);
            if ((int64_t(i + 1) * S) % N == 0) L -= 1;
            m.divisor = S;
            if (F >= L) m.setRun(F, F, S, S, S);
            else m.setRun(F, L, int(int64_t(N) * (F + 1) - int64_t(S) * i), N, int(int64_t(S) * (i + 1) - int64_t(N) * L));
        }
        if (m.first < 0 || m.first + m.count > S) m.skip = true;
    }
    return maps;
}

}  // namespace

void PGBuildErrorLimitTable(int C, bool Taper, int Table[511]) {
    for (int e = 0; e <= 255; ++e) {
        int v = e;
        if (C != 255 && e >= C) v = C;
        if (Taper && e >= C / 2 && e <= (3 * C) / 2 && e < 255) v = e / 2 + C / 4;
        Table[255 + e] = v;
        Table[255 - e] = -v;
    }
}

// Serpentine Floyd-Steinberg dithering with error limiting into a paletted graphic.
class TPGDither {
public:
    explicit TPGDither(TPixelGraphic& target) : g(target) {
        current.assign(size_t(g.Width + 2), {0, 0, 0});
        next.assign(size_t(g.Width + 2), {0, 0, 0});
        g.DetectPaletteIdentGrayOnly();
        int C = 32;
        bool taper = true;
        if (g.AutoErrorLimit) {
            switch (g.PaletteIdent) {
            case pBlackWhite: C = 255; break;
            case pSysGray4: case pSys16: case pGray4: C = 128; break;
            case pGray236: C = 3; break;
            case pGray256: C = 2; break;
            case pSpecial125: case pSpecial252: C = 104; break;
            case pSpecial216: C = 86; break;
            case pOptimized252Sys16: case pSource: C = 0; break;
            default: C = 32; break;
            }
        } else {
            C = g.ErrorLimit;
            taper = g.TaperErrorLimit;
        }
        PGBuildErrorLimitTable(C, taper, limit.data());
    }

    void NextRow() {
        std::swap(current, next);
        for (auto& cell : next) cell = {0, 0, 0};
    }

    void Pixel(int x, int y, int R, int G, int B, int direction) {
        auto& here = current[size_t(x + 1)];
        std::array<int, 3> err{0, 0, 0};
        if (g.IsGray) {
            const int gv = ClampTable(g.Intensity(pgRGB(uint8_t(R), uint8_t(G), uint8_t(B))) / 3 + lim(here[1]));
            const int index = g.NearestColorIndex(pgRGB(uint8_t(gv), uint8_t(gv), uint8_t(gv)));
            g.SetPixel(x, y, uint32_t(index));
            err[1] = gv - pgGreen(g.Palette[size_t(index)]);
        } else {
            const int r = ClampTable(R + lim(here[0]));
            const int gg = ClampTable(G + lim(here[1]));
            const int b = ClampTable(B + lim(here[2]));
            const int index = g.NearestColorIndex(pgRGB(uint8_t(r), uint8_t(gg), uint8_t(b)));
            g.SetPixel(x, y, uint32_t(index));
            const TColor chosen = g.Palette[size_t(index)];
            err = {r - pgRed(chosen), gg - pgGreen(chosen), b - pgBlue(chosen)};
        }
        const size_t ahead = size_t(x + 1 + direction), under = size_t(x + 1), behind = size_t(x + 1 - direction);
        for (int c = 0; c < 3; ++c) {
            current[ahead][size_t(c)] += 7 * err[size_t(c)];
            next[ahead][size_t(c)] += err[size_t(c)];
            next[under][size_t(c)] += 5 * err[size_t(c)];
            next[behind][size_t(c)] += 3 * err[size_t(c)];
        }
    }

private:
    int lim(int sum) const {
        const int e = sum >= 0 ? (sum + 8) / 16 : -((-sum + 8) / 16);
        return limit[size_t(std::clamp(e, -255, 255) + 255)];
    }
    TPixelGraphic& g;
    std::vector<std::array<int, 3>> current, next;
    std::array<int, 511> limit{};
};

void TPixelGraphic::DetectPaletteIdentGrayOnly() {
    IsGray = PixelFormat != PixelFormat24Bit;
    if (IsGray)
        for (int i = 0; i < PaletteCount; ++i) {
            const TColor c = Palette[size_t(i)];
            if (pgRed(c) != pgGreen(c) || pgGreen(c) != pgBlue(c)) {
                IsGray = false;
                break;
            }
        }
}

void TPixelGraphic::SetSize(int w, int h, TPGPixelFormat f) {
    if (w < 0) throw EPGInvalidSize(GetMessageText(22));
    if (h < 0) throw EPGInvalidSize(GetMessageText(21));
    if (w == Width && h == Height && f == PixelFormat && (Bits || int64_t(w) * h == 0)) {
        Clear();
        return;
    }
    GdiFlush();
    Width = w;
    Height = h;
    PixelFormat = f;
    PixelMemory.reset();
    Bits = nullptr;
    DibColorTable.clear();
    BitmapInfo = TPGBitmapInfoHeader();
    const int64_t bytesPerLine = ((int64_t(GetBitCount()) * w + 31) / 32) * 4;
    const int64_t imageSize = bytesPerLine * h;
    if (imageSize > MaxImageBytes || !WithinPixelLimit(w, h)) {
        BytesPerLine = 0;
        ImageSize = 0;
        throw EPixelGraphic(FormatMessage1(31, QStringLiteral("CreateDIBSection")));
    }
    BytesPerLine = int(bytesPerLine);
    ImageSize = int(imageSize);
    if (ImageSize > 0) {
        const int M = GetMaxColors();
        if (M < PaletteCount) SetPaletteCount(M);
        if (f == PixelFormat24Bit) PaletteIdent = pTrueColor;
        BitmapInfo.biWidth = w;
        BitmapInfo.biHeight = h;
        BitmapInfo.biBitCount = uint16_t(GetBitCount());
        BitmapInfo.biSizeImage = uint32_t(ImageSize);
        BitmapInfo.biClrUsed = uint32_t(M);
        DibColorTable.assign(size_t(M), 0);
        RebuildDibColorTable();
        // Zeroed, so that a reader that stops early never leaves undefined pixels behind.
        PixelMemory.reset(static_cast<uint8_t*>(std::calloc(size_t(ImageSize), 1)));
        if (!PixelMemory) {
            BytesPerLine = 0;
            ImageSize = 0;
            throw EPixelGraphic(FormatMessage1(31, QStringLiteral("CreateDIBSection")));
        }
        Bits = PixelMemory.get();
    }
    Changed();
}

void TPixelGraphic::StorePixelColor(int x, int y, int r, int g, int b, TPGDither* dither, int direction) {
    if (PixelFormat == PixelFormat24Bit) {
        uint8_t* p = GetScanLine(y) + size_t(x) * 3;
        p[0] = uint8_t(b);
        p[1] = uint8_t(g);
        p[2] = uint8_t(r);
    } else if (dither) {
        dither->Pixel(x, y, r, g, b, direction);
    } else {
        SetPixelColor(x, y, pgRGB(uint8_t(r), uint8_t(g), uint8_t(b)));
    }
}

void TPixelGraphic::StretchFrom(const TPixelGraphic& Source) {
    GdiFlush();
    Source.GdiFlush();
    if (Source.Width == Width && Source.Height == Height) CopyRect(Source);
    else StretchRect(Source);
}

void TPixelGraphic::StretchRect(const TPixelGraphic& Source) {
    if (Width < 1 || Height < 1 || Source.Width < 1 || Source.Height < 1 || !Bits || !Source.Bits) return;
    std::unique_ptr<TPGDither> dither;
    if (Dither && PixelFormat != PixelFormat24Bit) dither = std::make_unique<TPGDither>(*this);
    const std::vector<AxisMap> columns = buildAxis(Source.Width, Width, StretchMode);
    const std::vector<AxisMap> rows = buildAxis(Source.Height, Height, StretchMode);
    const TPixelColours reader(Source, TPixelColours::PastPalette::FirstEntry);
    FireProgressBegin();
    bool abort = false;
    for (int y = 0; y < Height && !abort; ++y) {
        if (dither) dither->NextRow();
        const AxisMap& rm = rows[size_t(y)];
        if (rm.skip) continue;
        const bool forward = (y % 2) == 0;
        for (int k = 0; k < Width; ++k) {
            const int x = forward ? k : Width - 1 - k;
            const AxisMap& cm = columns[size_t(x)];
            if (cm.skip) continue;
            int64_t sum[3] = {0, 0, 0};
            for (int a = 0; a < rm.count; ++a) {
                const uint8_t* srow = Source.GetScanLine(rm.first + a);
                int64_t rowSum[3] = {0, 0, 0};
                for (int bIdx = 0; bIdx < cm.count; ++bIdx) {
                    int r, g, b;
                    reader.Read(srow, cm.first + bIdx, r, g, b);
                    const int w = cm.weight(bIdx);
                    rowSum[0] += int64_t(r) * w;
                    rowSum[1] += int64_t(g) * w;
                    rowSum[2] += int64_t(b) * w;
                }
                const int wr = rm.weight(a);
                for (int c = 0; c < 3; ++c) sum[c] += (rowSum[c] / cm.divisor) * wr;
            }
            StorePixelColor(x, y, int(sum[0] / rm.divisor), int(sum[1] / rm.divisor), int(sum[2] / rm.divisor),
                            dither.get(), forward ? 1 : -1);
        }
        if (OnProgress) OnProgress(this, y, abort, Height - 1);
    }
    FireProgressEnd();
    Changed();
}

void TPixelGraphic::CopyRect(const TPixelGraphic& Source) {
    if (!Bits || !Source.Bits) return;
    const int w = std::min(Width, Source.Width), h = std::min(Height, Source.Height);
    FireProgressBegin();
    if (PixelFormat == PixelFormat24Bit && Source.PixelFormat == PixelFormat24Bit) {
        for (int y = 0; y < h; ++y) std::memcpy(GetScanLine(y), Source.GetScanLine(y), size_t(w) * 3);
    } else {
        std::unique_ptr<TPGDither> dither;
        if (Dither && PixelFormat != PixelFormat24Bit) dither = std::make_unique<TPGDither>(*this);
        const TPixelColours reader(Source, TPixelColours::PastPalette::FirstEntry);
        bool abort = false;
        for (int y = 0; y < h && !abort; ++y) {
            if (dither) dither->NextRow();
            const uint8_t* srow = Source.GetScanLine(y);
            const bool forward = (y % 2) == 0;
            for (int k = 0; k < w; ++k) {
                const int x = forward ? k : w - 1 - k;
                int r, g, b;
                reader.Read(srow, x, r, g, b);
                StorePixelColor(x, y, r, g, b, dither.get(), forward ? 1 : -1);
            }
            if (OnProgress) OnProgress(this, y, abort, h - 1);
        }
    }
    FireProgressEnd();
    Changed();
}

void TPixelGraphic::ResampleIntoBox(const TPixelGraphic& Source, int BoxWidth, int BoxHeight, TStretchMode Mode) {
    const int w = Source.GetWidth(), h = Source.GetHeight();
    int nw = w, nh = h;
    if (w > 0 && h > 0 && BoxWidth > 0 && BoxHeight > 0 && (w > BoxWidth || h > BoxHeight)) {
        const double factor = std::max(double(w) / BoxWidth, double(h) / BoxHeight);
        nw = std::clamp(int(w / factor), 1, BoxWidth);
        nh = std::clamp(int(h / factor), 1, BoxHeight);
    }
    StretchMode = Mode;
    SetSize(nw, nh, PixelFormat24Bit);
    StretchFrom(Source);
}

#include "imaging/pixel_graphic_shrink.h"

#include "imaging/pixel_graphic.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Catmull-Rom cubic (a = -0.5): sharp, with little ringing.
double cubic(double x) {
    x = std::fabs(x);
    if (x < 1) return (1.5 * x - 2.5) * x * x + 1;
    if (x < 2) return ((-0.5 * x + 2.5) * x - 4) * x + 2;
    return 0;
}

// The source taps of each destination position along one axis, weights summing
// to one.
struct Taps {
    std::vector<int> First;
    std::vector<int> Count;
    std::vector<float> Weights;  // Count[i] weights for position i, one after another
    std::vector<size_t> Offset;
};

Taps axisTaps(int sourceSize, int targetSize) {
    Taps taps;
    const double scale = double(sourceSize) / targetSize;
    const double stretch = std::max(1.0, scale);  // the kernel widens only when shrinking
    const double support = 2.0 * stretch;
    for (int i = 0; i < targetSize; ++i) {
        const double centre = (i + 0.5) * scale;
        const int first = std::max(0, int(std::floor(centre - support)));
        const int last = std::min(sourceSize - 1, int(std::ceil(centre + support)));
        taps.First.push_back(first);
        taps.Offset.push_back(taps.Weights.size());
        double total = 0;
        const size_t start = taps.Weights.size();
        for (int s = first; s <= last; ++s) {
            const double w = cubic((s + 0.5 - centre) / stretch);
            taps.Weights.push_back(float(w));
            total += w;
        }
        if (total != 0)
            for (size_t k = start; k < taps.Weights.size(); ++k) taps.Weights[k] = float(taps.Weights[k] / total);
        taps.Count.push_back(last - first + 1);
    }
    return taps;
}

uint8_t clampByte(float v) { return uint8_t(std::clamp(int(std::lround(v)), 0, 255)); }

// One source row as blue, green, red bytes.
void sourceRow(const TPixelGraphic& source, int y, std::vector<uint8_t>& row) {
    const int width = source.GetWidth();
    if (source.GetPixelFormat() == PixelFormat24Bit) {
        const uint8_t* line = source.GetScanLine(y);
        row.assign(line, line + size_t(width) * 3);
        return;
    }
    for (int x = 0; x < width; ++x) {
        const TColor c = source.GetPixelColor(x, y);
        row[size_t(x) * 3] = pgBlue(c);
        row[size_t(x) * 3 + 1] = pgGreen(c);
        row[size_t(x) * 3 + 2] = pgRed(c);
    }
}

}  // namespace

void ShrinkSmoothly(const TPixelGraphic& Source, TPixelGraphic& Target, int Width, int Height) {
    const int sourceWidth = Source.GetWidth(), sourceHeight = Source.GetHeight();
    Target.SetSize(Width, Height, PixelFormat24Bit);
    if (sourceWidth <= 0 || sourceHeight <= 0 || Width <= 0 || Height <= 0) return;
    const Taps across = axisTaps(sourceWidth, Width);
    const Taps down = axisTaps(sourceHeight, Height);
    // Horizontal pass row by row into floats, then the vertical pass.
    std::vector<float> narrowed(size_t(sourceHeight) * size_t(Width) * 3);
    std::vector<uint8_t> row(size_t(sourceWidth) * 3);
    for (int y = 0; y < sourceHeight; ++y) {
        sourceRow(Source, y, row);
        float* out = narrowed.data() + size_t(y) * size_t(Width) * 3;
        for (int x = 0; x < Width; ++x) {
            const float* w = across.Weights.data() + across.Offset[size_t(x)];
            const uint8_t* in = row.data() + size_t(across.First[size_t(x)]) * 3;
            float b = 0, g = 0, r = 0;
            for (int k = 0; k < across.Count[size_t(x)]; ++k, in += 3) {
                b += w[k] * in[0];
                g += w[k] * in[1];
                r += w[k] * in[2];
            }
            out[3 * x] = b;
            out[3 * x + 1] = g;
            out[3 * x + 2] = r;
        }
    }
    const size_t stride = size_t(Width) * 3;
    std::vector<float> sum(stride);
    for (int y = 0; y < Height; ++y) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        const float* w = down.Weights.data() + down.Offset[size_t(y)];
        for (int k = 0; k < down.Count[size_t(y)]; ++k) {
            const float* in = narrowed.data() + size_t(down.First[size_t(y)] + k) * stride;
            for (size_t i = 0; i < stride; ++i) sum[i] += w[k] * in[i];
        }
        uint8_t* line = Target.GetScanLine(y);
        for (size_t i = 0; i < stride; ++i) line[i] = clampByte(sum[i]);
    }
}

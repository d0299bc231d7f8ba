#include "imaging/pixel_graphic_shrink.h"

#include "imaging/pixel_colours.h"
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


// A picture held as blue, green, red bytes, row after row.
struct BgrPicture {
    int Width = 0, Height = 0;
    std::vector<uint8_t> Bytes;
};

// Averages Factor X x Factor Y blocks of the source (the last ones may be smaller): one pass over
// its pixels, so that a huge picture costs one reading of them.
BgrPicture boxReduce(const TPixelGraphic& source, const TPixelColours& reader, int factorX, int factorY) {
    const int sourceWidth = source.GetWidth(), sourceHeight = source.GetHeight();
    BgrPicture reduced;
    reduced.Width = (sourceWidth + factorX - 1) / factorX;
    reduced.Height = (sourceHeight + factorY - 1) / factorY;
    reduced.Bytes.resize(size_t(reduced.Width) * size_t(reduced.Height) * 3);
    std::vector<uint8_t> row(size_t(sourceWidth) * 3);
    std::vector<uint64_t> sums(size_t(reduced.Width) * 3);
    for (int by = 0; by < reduced.Height; ++by) {
        std::fill(sums.begin(), sums.end(), 0);
        const int firstRow = by * factorY, rows = std::min(factorY, sourceHeight - firstRow);
        for (int y = firstRow; y < firstRow + rows; ++y) {
            reader.ReadRow(y, row);
            for (int x = 0; x < sourceWidth; ++x) {
                uint64_t* sum = &sums[size_t(x / factorX) * 3];
                sum[0] += row[size_t(x) * 3];
                sum[1] += row[size_t(x) * 3 + 1];
                sum[2] += row[size_t(x) * 3 + 2];
            }
        }
        uint8_t* out = reduced.Bytes.data() + size_t(by) * size_t(reduced.Width) * 3;
        for (int bx = 0; bx < reduced.Width; ++bx) {
            const uint64_t count = uint64_t(std::min(factorX, sourceWidth - bx * factorX)) * uint64_t(rows);
            for (int c = 0; c < 3; ++c) out[bx * 3 + c] = uint8_t((sums[size_t(bx) * 3 + c] + count / 2) / count);
        }
    }
    return reduced;
}

// The separable cubic from a picture of SourceWidth x SourceHeight whose rows Row gives.
template <typename RowFunction>
void cubicShrink(int sourceWidth, int sourceHeight, RowFunction&& Row, TPixelGraphic& Target, int Width, int Height) {
    const Taps across = axisTaps(sourceWidth, Width);
    const Taps down = axisTaps(sourceHeight, Height);
    // Horizontal pass row by row into floats, then the vertical pass.
    std::vector<float> narrowed(size_t(sourceHeight) * size_t(Width) * 3);
    std::vector<uint8_t> row(size_t(sourceWidth) * 3);
    for (int y = 0; y < sourceHeight; ++y) {
        Row(y, row);
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

}  // namespace

void ShrinkSmoothly(const TPixelGraphic& Source, TPixelGraphic& Target, int Width, int Height) {
    const int sourceWidth = Source.GetWidth(), sourceHeight = Source.GetHeight();
    Target.SetSize(Width, Height, PixelFormat24Bit);
    if (sourceWidth <= 0 || sourceHeight <= 0 || Width <= 0 || Height <= 0) return;
    const TPixelColours reader(Source, TPixelColours::PastPalette::Raise);
    // A picture more than twice the target is first averaged down by whole factors to at least
    // twice the target (as the JPEG decoder's reduced decodes are): the cubic's support grows
    // with the reduction, and over a huge picture it would read every pixel several times.
    const int factorX = std::max(1, sourceWidth / (2 * Width)), factorY = std::max(1, sourceHeight / (2 * Height));
    if (factorX == 1 && factorY == 1) {
        cubicShrink(sourceWidth, sourceHeight, [&](int y, std::vector<uint8_t>& row) { reader.ReadRow(y, row); }, Target,
                    Width, Height);
        return;
    }
    const BgrPicture reduced = boxReduce(Source, reader, factorX, factorY);
    const size_t stride = size_t(reduced.Width) * 3;
    cubicShrink(
        reduced.Width, reduced.Height,
        [&](int y, std::vector<uint8_t>& row) {
            const uint8_t* line = reduced.Bytes.data() + size_t(y) * stride;
            std::copy(line, line + stride, row.begin());
        },
        Target, Width, Height);
}

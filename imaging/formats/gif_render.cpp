// Rendering a GIF frame into an 8-bit bitmap (its own colours, or dithered to the 216-colour cube)
// with a transparency mask, and drawing it into a rectangle that stands for the logical screen.
#include "imaging/formats/gif_extensions.h"
#include "imaging/formats/gif_image.h"
#include "imaging/formats/gif_subimage.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Rounded a * b / c with a 64-bit product.
int mulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const int64_t p = int64_t(a) * b;
    const int64_t q = (std::llabs(p) + std::llabs(int64_t(c)) / 2) / std::llabs(int64_t(c));
    return int(((p < 0) != (c < 0)) ? -q : q);
}

int roundDiv51(int v) { return int(std::lround(v / 51.0)); }

}  // namespace

const QImage* TGIFSubImage::GetBitmap() {
    if (Bitmap) return Bitmap.get();
    if (Empty()) return nullptr;
    const QString message = GIFMessageText(GifMessage::Rendering);
    if (Image) Image->Progress(this, GifProgressStage::Starting, 0, false, QRect(0, 0, 0, 0), message);
    bool failed = true;
    try {
        Render(Image && Image->DoDither());
        failed = false;
    } catch (...) {
        FreeBitmap();
        if (Image)
            Image->Progress(this, GifProgressStage::Ending, 0, Image->PaletteModified, QRect(0, 0, 0, 0), message);
        throw;
    }
    if (Image)
        Image->Progress(this, GifProgressStage::Ending, failed ? 0 : 100, Image->PaletteModified, QRect(0, 0, 0, 0),
                        message);
    return Bitmap.get();
}

bool TGIFSubImage::HasMask() {
    if (MaskStale && Transparent) {
        FreeBitmap();
        GetBitmap();
    }
    return Mask != nullptr;
}

GifPalette TGIFSubImage::RenderPalette(bool Dithered) {
    GifPalette palette = GetPalette();
    // Pixels beyond the colour table show black instead of indexing past the palette.
    int largest = 0;
    for (size_t i = 0; i < Data.size(); ++i) largest = std::max<int>(largest, Data[i]);
    if (Dithered) largest = 215;
    while (palette.size() <= largest) palette.append(qRgb(0, 0, 0));
    return palette;
}

void TGIFSubImage::Render(bool Dithered) {
    const int width = Width(), height = Height();
    auto target = std::make_unique<QImage>(width, height, QImage::Format_Indexed8);
    if (target->isNull()) RaiseGIFError(QString::fromLatin1(OutOfSystemResourcesText));
    target->setColorTable(RenderPalette(Dithered));

    const bool wantMask = MaskStale && Transparent;
    MaskStale = false;
    const int maskRowBytes = ((width + 15) / 16) * 2;
    std::vector<uint8_t> maskBuffer;
    int transparentIndex = -1;
    if (wantMask) {
        transparentIndex = GraphicControlExtension ? GraphicControlExtension->GetTransparentColorIndex() : -1;
        maskBuffer.assign(size_t(maskRowBytes) * size_t(height), 0);
    }
    if (Dithered)
        RenderDitheredRows(*target, maskBuffer, maskRowBytes, transparentIndex);
    else
        RenderDirectRows(*target, maskBuffer, maskRowBytes, transparentIndex);

    if (wantMask && std::any_of(maskBuffer.begin(), maskBuffer.end(), [](uint8_t b) { return b != 0; })) {
        auto mask = std::make_unique<QImage>(width, height, QImage::Format_Mono);
        mask->setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        for (int y = 0; y < height; ++y)
            std::memcpy(mask->scanLine(y), &maskBuffer[size_t(y) * size_t(maskRowBytes)], size_t((width + 7) / 8));
        Mask = std::move(mask);
    }
    Bitmap = std::move(target);
}

void TGIFSubImage::RenderDirectRows(QImage& Target, std::vector<uint8_t>& MaskBuffer, int MaskRowBytes,
                                    int TransparentIndex) {
    const int width = Width(), height = Height();
    const std::vector<uint8_t> zeros(size_t(width), 0);  // rows the data never reached
    const QString message = GIFMessageText(GifMessage::Rendering);
    for (int y = 0; y < height; ++y) {
        if (y % 32 == 0 && Image)
            Image->Progress(this, GifProgressStage::Running, y * 100 / height, false, QRect(0, 0, 0, 0), message);
        const uint8_t* source = RowPixels(y);
        if (!source) source = zeros.data();
        std::memcpy(Target.scanLine(y), source, size_t(width));
        if (TransparentIndex >= 0) {
            uint8_t* maskRow = &MaskBuffer[size_t(y) * size_t(MaskRowBytes)];
            for (int x = 0; x < width; ++x)
                if (source[x] == TransparentIndex) maskRow[x / 8] |= uint8_t(0x80 >> (x % 8));
        }
    }
}

void TGIFSubImage::RenderDitheredRows(QImage& Target, std::vector<uint8_t>& MaskBuffer, int MaskRowBytes,
                                      int TransparentIndex) {
    const int width = Width(), height = Height();
    const std::vector<uint8_t> zeros(size_t(width), 0);  // rows the data never reached
    const QString message = GIFMessageText(GifMessage::Rendering);
    TGIFColorMap& map = ActiveColorMap();
    auto colourOf = [&](int index) -> GifColor {
        if (index < map.Count) return map.GetColor(index);
        return 0;
    };
    std::vector<int> current[3], next[3];
    for (int c = 0; c < 3; ++c) {
        current[c].assign(size_t(width) + 2, 0);
        next[c].assign(size_t(width) + 2, 0);
    }
    bool leftToRight = true;
    for (int y = 0; y < height; ++y) {
        if (y % 32 == 0 && Image)
            Image->Progress(this, GifProgressStage::Running, y * 100 / height, false, QRect(0, 0, 0, 0), message);
        for (int c = 0; c < 3; ++c) std::fill(next[c].begin(), next[c].end(), 0);
        const uint8_t* source = RowPixels(y);
        if (!source) source = zeros.data();
        uint8_t* out = Target.scanLine(y);
        uint8_t* maskRow = TransparentIndex >= 0 ? &MaskBuffer[size_t(y) * size_t(MaskRowBytes)] : nullptr;
        const int dir = leftToRight ? 1 : -1;
        for (int step = 0; step < width; ++step) {
            const int x = leftToRight ? step : width - 1 - step;
            const int index = source[x];
            const GifColor colour = colourOf(index);
            const int comp[3] = {int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF)};
            if (maskRow && index == TransparentIndex) {
                maskRow[x / 8] |= uint8_t(0x80 >> (x % 8));
                out[x] = uint8_t(roundDiv51(comp[0]) * 36 + roundDiv51(comp[1]) * 6 + roundDiv51(comp[2]));
                continue;
            }
            int q[3];
            for (int c = 0; c < 3; ++c) {
                const int v = comp[c] + current[c][size_t(x + 1)] / 1024;
                q[c] = std::clamp(roundDiv51(v), 0, 5);
                const int e = (v - q[c] * 51) * 1024;
                current[c][size_t(x + 1 + dir)] += e * 7 / 16;
                next[c][size_t(x + 1 - dir)] += e * 3 / 16;
                next[c][size_t(x + 1)] += e * 5 / 16;
                next[c][size_t(x + 1 + dir)] += e * 1 / 16;
            }
            out[x] = uint8_t(q[0] * 36 + q[1] * 6 + q[2]);
        }
        for (int c = 0; c < 3; ++c) std::swap(current[c], next[c]);
        leftToRight = !leftToRight;
    }
}

QRect TGIFSubImage::ScaleRect(const QRect& Rect) const {
    const int w = Image ? Image->GetWidth() : Width();
    const int h = Image ? Image->GetHeight() : Height();
    const int rw = Rect.width(), rh = Rect.height();
    const int left = Rect.left() + mulDiv(Left(), rw, w);
    const int top = Rect.top() + mulDiv(Top(), rh, h);
    const int right = Rect.left() + mulDiv(Left() + Width(), rw, w);
    const int bottom = Rect.top() + mulDiv(Top() + Height(), rh, h);
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void TGIFSubImage::Draw(QPainter& Canvas, const QRect& Rect, bool WithTransparency) {
    StretchDraw(Canvas, ScaleRect(Rect), WithTransparency);
}

void TGIFSubImage::StretchDraw(QPainter& Canvas, const QRect& Rect, bool WithTransparency) {
    if (WithTransparency && Transparent && HasMask()) {
        const QImage* bitmap = GetBitmap();
        if (bitmap) MaskedStretchBlt(Canvas, Rect, *bitmap, QRect(0, 0, Width(), Height()), *Mask);
        return;
    }
    const QImage* bitmap = GetBitmap();
    if (bitmap) Canvas.drawImage(Rect, *bitmap);
}

bool MaskedStretchBlt(QPainter& Canvas, const QRect& Dest, const QImage& Source, const QRect& SourceRect,
                      const QImage& Mask) {
    // The source with its masked pixels made fully transparent, then drawn over the destination.
    QImage composed = Source.copy(SourceRect).convertToFormat(QImage::Format_ARGB32);
    const QImage mask = Mask.copy(SourceRect).convertToFormat(QImage::Format_Mono);
    for (int y = 0; y < composed.height() && y < mask.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(composed.scanLine(y));
        const uint8_t* maskRow = mask.constScanLine(y);
        for (int x = 0; x < composed.width() && x < mask.width(); ++x)
            if (maskRow[x / 8] & (0x80 >> (x % 8))) row[x] = 0;
    }
    Canvas.save();
    Canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    Canvas.drawImage(Dest, composed);
    Canvas.restore();
    return true;
}

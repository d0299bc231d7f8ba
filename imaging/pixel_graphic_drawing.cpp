// TPixelGraphic: drawing onto Qt surfaces through the platform's bitmap stretching.
#include "imaging/pixel_graphic.h"

#include "imaging/imaging_init.h"
#include "platform/dib_drawing.h"

#include <QImage>
#include <QPainter>

#include <cstring>

namespace {

platform::DibView viewOf(const TPixelGraphic& g, std::vector<uint32_t>& palette) {
    platform::DibView view;
    view.width = g.GetWidth();
    view.height = g.GetHeight();
    view.bitCount = g.GetBitCount();
    view.bytesPerLine = g.GetBytesPerLine();
    view.bits = g.GetBits();
    if (g.GetPixelFormat() != PixelFormat24Bit)
        for (int i = 0; i < g.GetPaletteCount(); ++i) palette.push_back(g.GetPaletteColor(i));
    view.palette = palette.data();
    view.paletteCount = int(palette.size());
    return view;
}

}  // namespace

QImage TPixelGraphic::ToQImage() const {
    std::vector<uint32_t> palette;
    return platform::dibToImage(viewOf(*this, palette));
}

void TPixelGraphic::Draw(QPainter& Painter, const QRect& Rect) const {
    if (Width < 1 || Height < 1) return;
    std::vector<uint32_t> palette;
    platform::stretchDib(Painter, Rect, viewOf(*this, palette));
}

void TPixelGraphic::AssignFromBitmap(const QImage& Bitmap) {
    GdiFlush();
    BeginUpdate();
    try {
        ImageGamma = DisplayGamma;
        if (Bitmap.isNull()) {
            SetSize(0, 0, PixelFormat24Bit);
        } else if (Bitmap.format() == QImage::Format_Indexed8 && Bitmap.colorCount() > 0) {
            SetSize(Bitmap.width(), Bitmap.height(), PixelFormat8Bit);
            SetPaletteCount(Bitmap.colorCount());
            for (int i = 0; i < Bitmap.colorCount(); ++i) {
                const QRgb c = Bitmap.color(i);
                SetPaletteColor(i, pgRGB(uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c))));
            }
            for (int y = 0; y < Height; ++y) std::memcpy(GetScanLine(y), Bitmap.constScanLine(y), size_t(Width));
        } else {
            const QImage rgb = Bitmap.convertToFormat(QImage::Format_BGR888);
            SetSize(rgb.width(), rgb.height(), PixelFormat24Bit);
            for (int y = 0; y < Height; ++y) std::memcpy(GetScanLine(y), rgb.constScanLine(y), size_t(Width) * 3);
        }
        DetectPaletteIdent();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TPixelGraphic::AssignToBitmap(QImage& Bitmap) const { Bitmap = ToQImage(); }

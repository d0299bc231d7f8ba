// TPixelGraphic: drawing onto Qt surfaces through the platform's bitmap stretching.
#include "imaging/pixel_graphic.h"

#include "platform/dib_drawing.h"

#include <QImage>
#include <QPainter>

namespace {

platform::DibView viewOf(const TPixelGraphic& g, std::vector<uint32_t>& palette) {
    platform::DibView view;
    view.width = g.GetWidth();
    view.height = g.GetHeight();
    view.bitCount = g.GetBitCount();
    view.bytesPerLine = g.GetBytesPerLine();
    view.bits = g.GetBits();
    if (g.GetPixelFormat() != pf24Bit)
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

// Conversion of device-independent bitmaps to QImage and scaled drawing.
#include "platform/dib_drawing.h"

#include <QImage>
#include <QPainter>
#include <QRect>

#include <cstring>

namespace platform {

QImage dibToImage(const DibView& dib) {
    if (!dib.bits || dib.width < 1 || dib.height < 1) return QImage();
    if (dib.bitCount == 24) {
        QImage image(dib.width, dib.height, QImage::Format_BGR888);
        for (int y = 0; y < dib.height; ++y)
            std::memcpy(image.scanLine(y), dib.bits + size_t(dib.height - 1 - y) * size_t(dib.bytesPerLine),
                        size_t(dib.width) * 3);
        return image;
    }
    QImage image(dib.width, dib.height, QImage::Format_Indexed8);
    const int colours = 1 << dib.bitCount;
    QList<QRgb> table(colours, qRgb(0, 0, 0));
    for (int i = 0; i < colours; ++i) {
        const int source = i < dib.paletteCount ? i : 0;
        if (dib.paletteCount > 0) {
            const uint32_t c = dib.palette[source];
            table[i] = qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
        }
    }
    image.setColorTable(table);
    for (int y = 0; y < dib.height; ++y) {
        const uint8_t* row = dib.bits + size_t(dib.height - 1 - y) * size_t(dib.bytesPerLine);
        uchar* out = image.scanLine(y);
        for (int x = 0; x < dib.width; ++x) {
            switch (dib.bitCount) {
            case 1: out[x] = uchar((row[x >> 3] >> (7 - (x & 7))) & 1); break;
            case 4: out[x] = uchar((x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4)); break;
            default: out[x] = row[x]; break;
            }
        }
    }
    return image;
}

void stretchDib(QPainter& painter, const QRect& target, const DibView& dib) {
    const QImage image = dibToImage(dib);
    if (image.isNull()) return;
    const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

}  // namespace platform

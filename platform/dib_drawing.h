#pragma once
// Stretching and drawing of a device-independent bitmap (bottom-up rows padded to 4 bytes, 1, 4,
// 8 or 24 bits per pixel, 24-bit pixels blue-green-red, a palette of 0x00RRGGBB-style colours
// given as red in the low byte) onto a QImage or a QPainter.
#include <cstdint>

class QImage;
class QPainter;
class QRect;

namespace platform {

struct DibView {
    int width = 0;
    int height = 0;
    int bitCount = 24;               // 1, 4, 8 or 24
    int bytesPerLine = 0;
    const uint8_t* bits = nullptr;   // first stored row = bottom image row
    const uint32_t* palette = nullptr;  // colours with red in the low byte
    int paletteCount = 0;
};

// A copy of the bitmap as a top-down QImage (RGB888 or indexed 8-bit); null for an empty view.
QImage dibToImage(const DibView& dib);

// Draws the whole bitmap scaled into the rectangle (nearest-pixel scaling, as colour-on-colour
// stretching does).
void stretchDib(QPainter& painter, const QRect& target, const DibView& dib);

}  // namespace platform

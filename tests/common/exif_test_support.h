#pragma once
// JPEG photographs for the tests: pictures with an EXIF orientation tag, as phones write them.
#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

namespace exif_test {

// The JPEG with an EXIF block (big-endian TIFF, one directory entry) recording orientation 1..8.
inline QByteArray withOrientation(const QByteArray& jpeg, int orientation) {
    QByteArray tiff("MM\0*\0\0\0\x08\0\x01", 10);
    tiff += QByteArray("\x01\x12\0\x03\0\0\0\x01", 8);
    tiff += char(0);
    tiff += char(orientation);
    tiff += QByteArray(2, 0);
    tiff += QByteArray(4, 0);  // no next directory
    const QByteArray body = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray segment("\xFF\xE1", 2);
    segment += char((body.size() + 2) >> 8);
    segment += char((body.size() + 2) & 0xFF);
    return jpeg.left(2) + segment + body + jpeg.mid(2);
}

inline QByteArray jpegBytes(const QImage& image, int quality = 90) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", quality);
    return buffer.data();
}

// A phone's portrait photograph: stored landscape (width x height, left half PhoneTop, right half
// PhoneBottom) with orientation 6 (turned a quarter clockwise to show) or 8 (anticlockwise). Shown
// upright, orientation 6 has PhoneTop at the top and 8 has it at the bottom.
inline const QColor PhoneTop(220, 30, 30), PhoneBottom(30, 30, 220);
inline QByteArray sidewaysPhoto(int width, int height, int orientation) {
    QImage stored(width, height, QImage::Format_RGB32);
    stored.fill(PhoneTop);
    for (int y = 0; y < height; ++y)
        for (int x = width / 2; x < width; ++x) stored.setPixelColor(x, y, PhoneBottom);
    return withOrientation(jpegBytes(stored), orientation);
}

}  // namespace exif_test

#include "imaging/formats/jpeg_orientation.h"

#include "imaging/pixel_graphic.h"

#include <QFile>

#include <cstring>
#include <optional>

namespace {

// Reads from a byte range; every read is checked against its end and reports a
// shortfall as nothing, so the parser never reads outside the data.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    std::optional<unsigned> u8(size_t at) const {
        if (at >= size_) return std::nullopt;
        return data_[at];
    }
    std::optional<unsigned> u16(size_t at, bool bigEndian) const {
        if (at > size_ || size_ - at < 2) return std::nullopt;
        const unsigned a = data_[at], b = data_[at + 1];
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    }
    std::optional<uint32_t> u32(size_t at, bool bigEndian) const {
        const auto hi = u16(at, bigEndian), lo = u16(at + 2, bigEndian);
        if (!hi || !lo) return std::nullopt;
        return bigEndian ? (uint32_t(*hi) << 16 | *lo) : (uint32_t(*lo) << 16 | *hi);
    }
    bool holds(size_t at, const char* text, size_t length) const {
        return at <= size_ && size_ - at >= length && std::memcmp(data_ + at, text, length) == 0;
    }
    ByteReader sub(size_t at, size_t length) const {
        if (at > size_) return {data_, 0};
        return {data_ + at, std::min(length, size_ - at)};
    }

private:
    const uint8_t* data_;
    size_t size_;
};

constexpr unsigned OrientationTag = 0x0112;
constexpr unsigned ShortType = 3;

// The Orientation entry of the first image directory of a TIFF block.
JpegOrientation tiffOrientation(const ByteReader& tiff) {
    bool bigEndian;
    if (tiff.holds(0, "MM\0*", 4))
        bigEndian = true;
    else if (tiff.holds(0, "II*\0", 4))
        bigEndian = false;
    else
        return JpegOrientation::Normal;
    const auto directory = tiff.u32(4, bigEndian);
    if (!directory) return JpegOrientation::Normal;
    const auto entries = tiff.u16(*directory, bigEndian);
    if (!entries) return JpegOrientation::Normal;
    for (unsigned i = 0; i < *entries; ++i) {
        const size_t entry = size_t(*directory) + 2 + size_t(i) * 12;
        const auto tag = tiff.u16(entry, bigEndian), type = tiff.u16(entry + 2, bigEndian);
        if (!tag || !type) break;
        if (*tag != OrientationTag) continue;
        const auto value = tiff.u16(entry + 8, bigEndian);
        if (*type != ShortType || !value || *value < 1 || *value > 8) return JpegOrientation::Normal;
        return JpegOrientation(*value);
    }
    return JpegOrientation::Normal;
}

}  // namespace

JpegOrientation JpegOrientationOf(const QByteArray& head) {
    const ByteReader jpeg(reinterpret_cast<const uint8_t*>(head.constData()), size_t(head.size()));
    if (jpeg.u8(0) != 0xFFu || jpeg.u8(1) != 0xD8u) return JpegOrientation::Normal;
    size_t at = 2;
    for (;;) {
        if (jpeg.u8(at) != 0xFFu) return JpegOrientation::Normal;
        const auto marker = jpeg.u8(at + 1);
        if (!marker) return JpegOrientation::Normal;
        if (*marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (*marker == 0xDA || *marker == 0xD9) return JpegOrientation::Normal;  // image data: no EXIF before it
        const auto length = jpeg.u16(at + 2, true);
        if (!length || *length < 2) return JpegOrientation::Normal;
        if (*marker == 0xE1 && jpeg.holds(at + 4, "Exif\0\0", 6))
            return tiffOrientation(jpeg.sub(at + 10, size_t(*length) - 8));
        at += 2 + *length;
    }
}

JpegOrientation JpegFileOrientation(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return JpegOrientation::Normal;
    // The EXIF block must come within the first 64 KiB (its segment cannot be
    // longer), after at most a JFIF segment; reading more only matters for files
    // with several application blocks.
    return JpegOrientationOf(file.read(256 * 1024));
}

bool OrientationSwapsAxes(JpegOrientation orientation) { return int(orientation) >= 5; }

QSize DisplayedSize(QSize stored, JpegOrientation orientation) {
    return OrientationSwapsAxes(orientation) ? stored.transposed() : stored;
}

void ApplyOrientation(TPixelGraphic& graphic, JpegOrientation orientation) {
    if (orientation == JpegOrientation::Normal || graphic.GetEmpty()) return;
    const int width = graphic.GetWidth(), height = graphic.GetHeight();
    const int bytes = graphic.GetPixelFormat() == PixelFormat24Bit ? 3 : 1;
    if (graphic.GetPixelFormat() != PixelFormat24Bit && graphic.GetPixelFormat() != PixelFormat8Bit) return;
    const bool swap = OrientationSwapsAxes(orientation);
    TPixelGraphic turned;
    turned.SetSize(swap ? height : width, swap ? width : height, graphic.GetPixelFormat());
    if (bytes == 1) {
        turned.SetPaletteIdent(graphic.GetPaletteIdent());
        turned.SetPaletteCount(graphic.GetPaletteCount());
        for (int i = 0; i < graphic.GetPaletteCount(); ++i) turned.SetPaletteColor(i, graphic.GetPaletteColor(i));
    }
    const int tw = turned.GetWidth(), th = turned.GetHeight();
    for (int y = 0; y < th; ++y) {
        uint8_t* out = turned.GetScanLine(y);
        for (int x = 0; x < tw; ++x) {
            // The stored pixel shown at (x, y).
            int sx = x, sy = y;
            switch (orientation) {
                case JpegOrientation::FlipHorizontal: sx = width - 1 - x; break;
                case JpegOrientation::Rotate180:
                    sx = width - 1 - x;
                    sy = height - 1 - y;
                    break;
                case JpegOrientation::FlipVertical: sy = height - 1 - y; break;
                case JpegOrientation::Transpose:
                    sx = y;
                    sy = x;
                    break;
                case JpegOrientation::Rotate90:
                    sx = y;
                    sy = height - 1 - x;
                    break;
                case JpegOrientation::Transverse:
                    sx = width - 1 - y;
                    sy = height - 1 - x;
                    break;
                case JpegOrientation::Rotate270:
                    sx = width - 1 - y;
                    sy = x;
                    break;
                case JpegOrientation::Normal: break;
            }
            std::memcpy(out + size_t(x) * bytes, graphic.GetScanLine(sy) + size_t(sx) * bytes, size_t(bytes));
        }
    }
    graphic.Assign(&turned);
}

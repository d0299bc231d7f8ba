// TMetafile: header checks, size and palette of standard and enhanced metafiles; playing them.
#include "platform/metafile.h"

#include "platform/metafile_bytes.h"
#include "platform/metafile_player.h"

#include <QPainter>

#include <cstdlib>

namespace {

using metafile_bytes::Cursor;

constexpr uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr uint32_t EnhancedSignature = 0x464D4520;  // " EMF"
constexpr size_t PaletteLimit = 256;

TMetafile::DibDecoder& dibDecoder() {
    static TMetafile::DibDecoder decoder;
    return decoder;
}

// a * b / c rounded to the nearest integer; 0 when c is 0.
int64_t mulDiv(int64_t a, int64_t b, int64_t c) {
    if (c == 0) return 0;
    const int64_t n = a * b;
    return (n + (n >= 0 ? c / 2 : -c / 2)) / c;
}

std::vector<uint32_t> paletteEntries(Cursor& c, size_t count) {
    std::vector<uint32_t> colors;
    for (size_t i = 0; i < count && i < PaletteLimit && c.Remaining() >= 4; ++i) {
        const uint8_t r = c.U8(), g = c.U8(), b = c.U8();
        c.Skip(1);  // flags are not kept
        colors.push_back(qRgb(r, g, b));
    }
    return colors;
}

}  // namespace

void TMetafile::SetDibDecoder(DibDecoder Decoder) { dibDecoder() = std::move(Decoder); }

const TMetafile::DibDecoder& TMetafile::GetDibDecoder() { return dibDecoder(); }

void TMetafile::Clear() {
    data_.clear();
    enhanced_ = false;
    width_ = height_ = 0;
    objectCount_ = 0;
    palette_.clear();
}

bool TMetafile::Load(const QByteArray& Data, bool Enhanced) {
    Clear();
    data_ = Data;
    enhanced_ = Enhanced;
    if (Enhanced ? LoadEnhanced() : LoadStandard()) return true;
    Clear();
    return false;
}

bool TMetafile::LoadStandard() {
    Cursor c(reinterpret_cast<const uint8_t*>(data_.constData()), size_t(data_.size()));
    if (c.U32() != PlaceableKey) return false;
    c.Skip(2);  // handle
    const int left = c.I16(), top = c.I16(), right = c.I16(), bottom = c.I16();
    int unitsPerInch = c.U16();
    if (unitsPerInch == 0) unitsPerInch = 1440;  // a zero would divide by zero; twips are the usual unit
    c.Skip(6);  // reserved, checksum
    const uint16_t type = c.U16(), headerWords = c.U16();
    c.Skip(6);  // version, size
    objectCount_ = c.U16();
    if (!c.Ok() || (type != 1 && type != 2) || headerWords != 9) return false;
    width_ = int(mulDiv(std::abs(right - left), ScreenPixelsPerInch, unitsPerInch));
    height_ = int(mulDiv(std::abs(bottom - top), ScreenPixelsPerInch, unitsPerInch));
    if (width_ <= 0 || height_ <= 0) return false;
    boundsLeft_ = left;
    boundsTop_ = top;
    boundsWidth_ = right - left;
    boundsHeight_ = bottom - top;
    // The palette of the first CREATEPALETTE record.
    c.Seek(22 + 18);
    while (c.Remaining() >= 6) {
        const size_t start = c.Pos();
        const uint64_t words = c.U32();
        const uint16_t function = c.U16();
        if (function == 0 || words < 3 || words > (c.Remaining() + 6) / 2) break;
        if (function == 0x00F7) {
            c.Skip(2);
            palette_ = paletteEntries(c, c.U16());
            break;
        }
        c.Seek(start + size_t(words) * 2);
    }
    return true;
}

bool TMetafile::LoadEnhanced() {
    Cursor c(reinterpret_cast<const uint8_t*>(data_.constData()), size_t(data_.size()));
    const uint32_t type = c.U32(), headerSize = c.U32();
    const int32_t bl = c.I32(), bt = c.I32(), br = c.I32(), bb = c.I32();
    const int32_t fl = c.I32(), ft = c.I32(), fr = c.I32(), fb = c.I32();
    const uint32_t signature = c.U32();
    c.Skip(12);  // version, bytes, records
    objectCount_ = c.U16();
    c.Skip(14);  // reserved, description, palette entries
    const int32_t deviceX = c.I32(), deviceY = c.I32(), mmX = c.I32(), mmY = c.I32();
    if (!c.Ok() || type != 1 || signature != EnhancedSignature || headerSize < 88 || headerSize > size_t(data_.size()))
        return false;
    // The frame is in 0.01 mm; the records are in pixels of the reference device.
    const double pixelsPerMmX = deviceX > 0 && mmX > 0 ? double(deviceX) / mmX : ScreenPixelsPerInch / 25.4;
    const double pixelsPerMmY = deviceY > 0 && mmY > 0 ? double(deviceY) / mmY : ScreenPixelsPerInch / 25.4;
    if (int64_t(fr) - fl > 0 && int64_t(fb) - ft > 0) {
        width_ = int(std::min<int64_t>(mulDiv(int64_t(fr) - fl, ScreenPixelsPerInch, 2540), INT32_MAX));
        height_ = int(std::min<int64_t>(mulDiv(int64_t(fb) - ft, ScreenPixelsPerInch, 2540), INT32_MAX));
        boundsLeft_ = fl * pixelsPerMmX / 100;
        boundsTop_ = ft * pixelsPerMmY / 100;
        boundsWidth_ = (double(fr) - fl) * pixelsPerMmX / 100;
        boundsHeight_ = (double(fb) - ft) * pixelsPerMmY / 100;
    } else {
        width_ = int(std::min<int64_t>(int64_t(br) - bl + 1, INT32_MAX));
        height_ = int(std::min<int64_t>(int64_t(bb) - bt + 1, INT32_MAX));
        boundsLeft_ = bl;
        boundsTop_ = bt;
        boundsWidth_ = width_;
        boundsHeight_ = height_;
    }
    if (width_ <= 0 || height_ <= 0) return false;
    // The palette of the end-of-file record.
    c.Seek(0);
    while (c.Remaining() >= 8) {
        const size_t start = c.Pos();
        const uint32_t recordType = c.U32(), size = c.U32();
        if (size < 8 || size > c.Remaining() + 8) break;
        if (recordType == 14) {
            const uint32_t count = c.U32(), offset = c.U32();
            Cursor record(reinterpret_cast<const uint8_t*>(data_.constData()) + start, size);
            if (count > 0 && record.Seek(offset)) palette_ = paletteEntries(record, count);
            break;
        }
        c.Seek(start + size);
    }
    return true;
}

void TMetafile::Draw(QPainter& Painter, const QRect& Target) const {
    if (Empty() || Target.isEmpty()) return;
    metafile_player::Player player(Painter, QRectF(boundsLeft_, boundsTop_, boundsWidth_, boundsHeight_), Target,
                                   enhanced_, objectCount_);
    if (enhanced_) metafile_player::PlayEnhanced(player, data_);
    else metafile_player::PlayStandard(player, data_);
}

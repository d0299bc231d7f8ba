#pragma once
// The one checked reader of metafile bytes: little-endian values from a span that knows its end.
// A read past the end yields 0 and marks the cursor failed; later reads stay failed.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace metafile_bytes {

class Cursor {
public:
    Cursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t Pos() const { return pos_; }
    size_t Size() const { return size_; }
    size_t Remaining() const { return ok_ ? size_ - pos_ : 0; }
    bool Ok() const { return ok_; }
    const uint8_t* Here() const { return data_ + pos_; }
    bool Seek(size_t pos) {
        if (!ok_ || pos > size_) return ok_ = false;
        pos_ = pos;
        return true;
    }
    bool Skip(size_t n) { return Take(n) != nullptr; }
    // The next n bytes, or nullptr (and failed) when fewer remain.
    const uint8_t* Take(size_t n) {
        if (!ok_ || n > size_ - pos_) {
            ok_ = false;
            return nullptr;
        }
        const uint8_t* p = data_ + pos_;
        pos_ += n;
        return p;
    }
    uint8_t U8() {
        const uint8_t* p = Take(1);
        return p ? p[0] : 0;
    }
    uint16_t U16() {
        const uint8_t* p = Take(2);
        return p ? uint16_t(p[0] | (p[1] << 8)) : 0;
    }
    int16_t I16() { return int16_t(U16()); }
    uint32_t U32() {
        const uint8_t* p = Take(4);
        return p ? uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24) : 0;
    }
    int32_t I32() { return int32_t(U32()); }
    float F32() {
        const uint32_t bits = U32();
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace metafile_bytes

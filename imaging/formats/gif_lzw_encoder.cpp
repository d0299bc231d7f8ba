// LZW encoding of a frame's pixel indices as GIF table-based image data: the minimum code size,
// the codes packed into data sub-blocks of 254 bytes, and the terminator.
#include "imaging/formats/gif_hash_table.h"
#include "imaging/formats/gif_image.h"
#include "imaging/formats/gif_subimage.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

THashTable::THashTable() : Slots(new uint32_t[HashSize]) { Clear(); }

void THashTable::Clear() { std::memset(Slots.get(), 0xFF, sizeof(uint32_t) * HashSize); }

void THashTable::Insert(uint32_t Key, int Code) {
    int h = HashKey(Key);
    // The table holds at most 4094 strings, so a free slot is always found.
    for (int probes = 0; probes < HashSize; ++probes) {
        if (IsFree(Slots[size_t(h)])) {
            Slots[size_t(h)] = (Key << 12) | (uint32_t(Code) & 0xFFF);
            return;
        }
        h = NextProbe(h);
    }
}

int THashTable::Lookup(uint32_t Key) const {
    int h = HashKey(Key);
    const uint32_t wanted = (Key << 12) & 0xFFFFF000u;
    for (int probes = 0; probes < HashSize; ++probes) {
        const uint32_t slot = Slots[size_t(h)];
        if (IsFree(slot)) return -1;
        if ((slot & 0xFFFFF000u) == wanted) return int(slot & 0xFFF);
        h = NextProbe(h);
    }
    return -1;
}

namespace {

class LZWEncoder {
public:
    LZWEncoder(TGIFSubImage& frame, QIODevice& stream) : Frame(frame), Stream(stream) {}

    void Run(int bits) {
        if (bits <= 1) {
            InitialCodeSize = 3;
            WriteByte(Stream, 2);
        } else {
            InitialCodeSize = bits + 1;
            WriteByte(Stream, uint8_t(bits));
        }
        ClearCode = 1 << (InitialCodeSize - 1);
        EndCode = ClearCode + 1;
        CodeSize = InitialCodeSize;
        MaxCode = (1 << CodeSize) - 1;
        ResetCodes();

        const int width = Frame.Width(), height = Frame.Height();
        Countdown = Frame.Interlaced() ? width : Frame.DataSize;
        Source = Frame.Data.data();
        if (!Frame.Data.empty() && Frame.DataSize >= 1) {
            int prefix = *Source;
            while (NextSourcePixel(width, height)) {
                const int c = *Source;
                const uint32_t key = (uint32_t(prefix) << 8) | uint32_t(c);
                const int code = Table.Lookup(key);
                if (code >= 0) {
                    prefix = code;
                    continue;
                }
                EmitCode(prefix);
                prefix = c;
                if (NextCode >= 4095) {
                    ResetCodes();
                } else {
                    Table.Insert(key, NextCode);
                    ++NextCode;
                }
            }
            EmitCode(prefix);
        }
        EmitCode(EndCode);
    }

private:
    void ResetCodes() {
        Table.Clear();
        NextCode = ClearCode + 2;
        ClearFlag = true;
        EmitCode(ClearCode);
    }

    void EmitCode(int code) {
        if (BitCount > 0)
            Accumulator = (uint32_t(code) << BitCount) | (Accumulator & ((1u << BitCount) - 1));
        else
            Accumulator = uint32_t(code);
        BitCount += CodeSize;
        while (BitCount >= 8) {
            AppendByte(uint8_t(Accumulator));
            Accumulator >>= 8;
            BitCount -= 8;
        }
        if (NextCode > MaxCode || ClearFlag) {
            if (ClearFlag) {
                CodeSize = InitialCodeSize;
                MaxCode = (1 << CodeSize) - 1;
                ClearFlag = false;
            } else {
                ++CodeSize;
                MaxCode = CodeSize >= 12 ? 4096 : (1 << CodeSize) - 1;
            }
        }
        if (code == EndCode) {
            while (BitCount > 0) {
                Block[BlockLength++] = uint8_t(Accumulator);
                Accumulator >>= 8;
                BitCount -= 8;
            }
            if (BlockLength > 0) Flush();
        }
    }

    void AppendByte(uint8_t b) {
        Block[BlockLength++] = b;
        if (BlockLength >= 254) Flush();
    }

    void Flush() {
        int at = 0;
        while (at < BlockLength) {
            const int n = std::min(BlockLength - at, 254);
            WriteByte(Stream, uint8_t(n));
            WriteBytes(Stream, Block + at, n);
            at += n;
        }
        BlockLength = 0;
    }

    bool NextSourcePixel(int width, int height) {
        if (--Countdown > 0) {
            ++Source;
            return true;
        }
        if (!Frame.Interlaced()) return false;
        static const int firstRow[4] = {0, 4, 2, 1};
        static const int step[4] = {8, 8, 4, 2};
        Countdown = width;
        Row += step[Pass];
        while (Row >= height) {
            if (++Pass > 3) return false;
            Row = firstRow[Pass];
        }
        Source = Frame.Data.data() + int64_t(Row) * width;
        return true;
    }

    TGIFSubImage& Frame;
    QIODevice& Stream;
    THashTable Table;
    int InitialCodeSize = 0, CodeSize = 0, ClearCode = 0, EndCode = 0;
    int NextCode = 0, MaxCode = 0;
    bool ClearFlag = false;
    uint32_t Accumulator = 0;
    int BitCount = 0;
    uint8_t Block[256] = {};
    int BlockLength = 0;
    const uint8_t* Source = nullptr;
    int64_t Countdown = 0;
    int Pass = 0, Row = 0;
};

}  // namespace

void TGIFSubImage::Encode(QIODevice& Stream) {
    FillPixels();
    int bits = ColorMap.Count > 0 ? ColorMap.BitsPerPixel() : (Image ? Image->GetBitsPerPixel() : 8);
    // Pixels beyond the colour table (kept from a damaged file) must still be codes below the
    // clear code, so the code size covers the largest pixel value.
    if (!Data.empty()) {
        const uint8_t largest = *std::max_element(Data.begin(), Data.end());
        bits = std::max(bits, BitsForColors(int(largest) + 1));
    }
    {
        auto encoder = std::make_unique<LZWEncoder>(*this, Stream);
        encoder->Run(bits);
    }
    WriteByte(Stream, 0);
}

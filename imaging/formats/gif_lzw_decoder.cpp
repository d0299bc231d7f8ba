// LZW decoding of a frame's table-based image data into its pixel indices. Codes are taken one at
// a time from the current data sub-block, and strings come out through an output stack.
#include "imaging/formats/gif_subimage.h"

#include <QIODevice>

#include <array>
#include <cstring>

namespace {

constexpr int TableSize = 4096;
constexpr int StackSize = TableSize + 1;

class LZWDecoder {
public:
    LZWDecoder(TGIFSubImage& frame, QIODevice& stream) : Frame(frame), Stream(stream) {}

    // Returns false when there is no data size byte.
    bool Start() {
        if (!ReadByte(Stream, DataSize)) return false;
        // A clear code beyond the tables cannot decode anything sensible.
        if (DataSize > 11) RaiseGIFError(GifMessage::InvalidData);
        CodeSize = DataSize + 1;
        ClearCode = 1 << DataSize;
        EndCode = ClearCode + 1;
        GrowthLimit = ClearCode * 2;
        NextFree = ClearCode + 2;
        return true;
    }

    int NextPixel() {
        if (StackTop > 0) return Stack[size_t(--StackTop)];
        // Once the data have ended, they stay ended (and are reported once).
        if (Finished < 0) return Finished;
        const int result = DecodeCode();
        if (result < 0) Finished = result;
        return result;
    }

    // Codes are packed least significant bit first across the data sub-blocks; the current
    // sub-block is read whole and its bytes are fed into a bit accumulator as codes need them.
    int NextCode(int size) {
        if (PendingClear) {
            PendingClear = false;
            return ClearCode;
        }
        while (BitCount < size) {
            if (BufferPos < BufferLength) {
                Accumulator |= uint32_t(Buffer[size_t(BufferPos++)]) << BitCount;
                BitCount += 8;
                continue;
            }
            if (EndOfData) {
                Frame.Warning(1, GIFMessageText(GifMessage::DecoderBitBufferUnderrun));
                return -1;
            }
            uint8_t length;
            if (!ReadByte(Stream, length)) {
                EndOfData = true;
                return -1;
            }
            if (length == 0) {
                TerminatorSeen = true;
                EndOfData = true;
                continue;
            }
            int count = length;
            const qint64 remaining = Stream.size() - Stream.pos();
            if (!Stream.isSequential() && remaining < count) {
                Frame.Warning(1, GIFMessageText(GifMessage::PrematureEndOfData));
                count = int(std::max<qint64>(0, remaining));
            }
            const qint64 got = Stream.read(reinterpret_cast<char*>(Buffer.data()), count);
            BufferLength = int(std::max<qint64>(0, got));
            BufferPos = 0;
        }
        const int value = int(Accumulator & ((1u << size) - 1));
        Accumulator >>= size;
        BitCount -= size;
        return value;
    }

    void Push(int value) {
        if (StackTop >= StackSize) RaiseGIFError(GifMessage::CircularDecoderTableEntry);
        Stack[size_t(StackTop++)] = value;
    }

    void SkipToTerminator() {
        if (!TerminatorSeen) SkipRest();
        TerminatorSeen = true;
    }

private:
    void SkipRest() {
        uint8_t length;
        while (ReadByte(Stream, length) && length != 0) {
            if (!Stream.isSequential() && Stream.pos() + length > Stream.size()) {
                Stream.seek(Stream.size());
                return;
            }
            Stream.skip(length);
        }
    }

    int DecodeCode() {
        int code = NextCode(CodeSize);
        if (code < 0) return code;
        if (code == ClearCode) {
            for (int i = 0; i < ClearCode; ++i) {
                Prefix[size_t(i)] = 0;
                Suffix[size_t(i)] = i;
            }
            for (int i = ClearCode; i < TableSize; ++i) Prefix[size_t(i)] = Suffix[size_t(i)] = 0;
            CodeSize = DataSize + 1;
            GrowthLimit = ClearCode * 2;
            NextFree = ClearCode + 2;
            StackTop = 0;
            do code = NextCode(CodeSize);
            while (code == ClearCode);
            // An end code right after a clear code ends the data like any other end code.
            if (code != EndCode) {
                OldCode = FirstChar = code;
                return code;
            }
        }
        if (code == EndCode) {
            if (!TerminatorSeen) SkipRest();
            TerminatorSeen = true;
            EndOfData = true;
            return -2;
        }
        const int incoming = code;
        if (code >= NextFree) {
            Push(FirstChar);
            code = OldCode;
        }
        while (code >= ClearCode) {
            if (code >= TableSize) RaiseGIFError(GifMessage::CircularDecoderTableEntry);
            Push(Suffix[size_t(code)]);
            if (Prefix[size_t(code)] == code) RaiseGIFError(GifMessage::CircularDecoderTableEntry);
            code = Prefix[size_t(code)];
        }
        if (code < 0) RaiseGIFError(GifMessage::CircularDecoderTableEntry);
        FirstChar = Suffix[size_t(code)];
        Push(FirstChar);
        if (NextFree <= TableSize - 1) {
            Prefix[size_t(NextFree)] = OldCode;
            Suffix[size_t(NextFree)] = FirstChar;
            ++NextFree;
            if (NextFree >= GrowthLimit && GrowthLimit <= TableSize - 1) {
                GrowthLimit *= 2;
                ++CodeSize;
            }
        }
        OldCode = incoming;
        return Stack[size_t(--StackTop)];
    }

    TGIFSubImage& Frame;
    QIODevice& Stream;
    std::array<int, TableSize> Prefix{};
    std::array<int, TableSize> Suffix{};
    std::array<int, StackSize> Stack{};
    int StackTop = 0;
    int Finished = 0;
    uint8_t DataSize = 0;
    int CodeSize = 0, ClearCode = 0, EndCode = 0, NextFree = 0, GrowthLimit = 0;
    int OldCode = 0, FirstChar = 0;
    std::array<uint8_t, 255> Buffer{};
    int BufferPos = 0, BufferLength = 0;
    uint32_t Accumulator = 0;
    int BitCount = 0;
    bool EndOfData = false, TerminatorSeen = false, PendingClear = true;
};

}  // namespace

void TGIFSubImage::Decode(QIODevice& Stream) {
    // The pixels grow row by row with the data, so a frame that declares far more pixels than its
    // few bytes can fill costs no more than what they fill.
    NewImage(false);
    DecodedPixels = 0;
    auto decoder = std::make_unique<LZWDecoder>(*this, Stream);
    if (!decoder->Start()) return;
    const int width = Width(), height = Height();
    if (DataSize == 0) {
        decoder->NextPixel();
        decoder->SkipToTerminator();
        return;
    }
    // After the filling one more code is taken: normally the end code, which skips to the
    // terminator. It is taken also when the filling failed, and its own failures give way to the
    // one already passing.
    auto finish = [&]() {
        try {
            decoder->NextPixel();
        } catch (const GIFException&) {
        }
    };
    // Fills one row; false when the data ended. The row is held only once its first pixel came.
    auto fillRow = [&](int row) {
        int pixel = decoder->NextPixel();
        if (pixel < 0) return false;
        const int64_t end = (int64_t(row) + 1) * width;
        if (int64_t(Data.size()) < end) ResizeData(end);
        uint8_t* line = Data.data() + int64_t(row) * width;
        for (int x = 0;;) {
            line[x] = uint8_t(pixel);
            ++DecodedPixels;
            if (++x == width) return true;
            pixel = decoder->NextPixel();
            if (pixel < 0) return false;
        }
    };
    try {
        if (!Interlaced()) {
            for (int row = 0; row < height; ++row)
                if (!fillRow(row)) break;
        } else {
            static const int firstRow[4] = {0, 4, 2, 1};
            static const int step[4] = {8, 8, 4, 2};
            bool ended = false;
            for (int pass = 0; pass < 4 && !ended; ++pass)
                for (int row = firstRow[pass]; row < height && !ended; row += step[pass]) ended = !fillRow(row);
        }
    } catch (...) {
        finish();
        throw;
    }
    decoder->NextPixel();
    // Codes beyond the frame's pixels are not read as blocks: skip to the terminator.
    decoder->SkipToTerminator();
}

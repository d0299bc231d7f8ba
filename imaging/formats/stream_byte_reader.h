#pragma once
// The checked input of the hand-written readers (PCX, PBM/PGM/PPM, TGA, TIFF, icons): bytes come
// from the stream through a buffer of fixed size, and every read that would run past the end of
// the data calls the reader's own end-of-data handler, which raises the reader's message. No
// reader computes what is left of its input by itself.
#include <QIODevice>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>

class TStreamByteReader {
public:
    // OnEnd raises the format's "Unexpected end of file" (it must not return).
    TStreamByteReader(QIODevice& Stream, int BufferSize, std::function<void()> OnEnd)
        : Stream(Stream), Capacity(BufferSize), Buffer(new uint8_t[size_t(BufferSize)]), OnEnd(std::move(OnEnd)),
          BufferStart(Stream.pos()) {}

    uint8_t Byte() {
        if (Next == Filled) Refill();
        return Buffer[Next++];
    }
    // The next byte, or false at the end of the data (which is not an error here).
    bool TryByte(uint8_t& Value) {
        if (Next == Filled && !TryRefill()) return false;
        Value = Buffer[Next++];
        return true;
    }
    uint16_t WordLE() {
        const uint16_t lo = Byte();
        return uint16_t(lo | (Byte() << 8));
    }
    // Exactly Count bytes into Target; large reads go straight from the stream.
    void Read(uint8_t* Target, int64_t Count) {
        const int64_t buffered = std::min<int64_t>(Count, Filled - Next);
        if (buffered > 0) std::memcpy(Target, Buffer.get() + Next, size_t(buffered));
        Next += int(buffered);
        Count -= buffered;
        Target += buffered;
        if (Count == 0) return;
        if (Count >= Capacity) {
            const int64_t at = Position();
            if (Stream.pos() != at && !Stream.seek(at)) End();
            const qint64 got = Stream.read(reinterpret_cast<char*>(Target), Count);
            BufferStart = at + std::max<qint64>(got, 0);
            Next = Filled = 0;
            if (got != Count) End();
            return;
        }
        Refill();
        Read(Target, Count);
    }
    // The buffered bytes not yet read, for loops that decode many bytes at a time (refilled when
    // empty; the end of the data raises). Advance consumes Count of them.
    const uint8_t* Window(int& Available) {
        if (Next == Filled) Refill();
        Available = Filled - Next;
        return Buffer.get() + Next;
    }
    void Advance(int Count) { Next += Count; }
    void Skip(int64_t Count) {
        const int64_t buffered = std::min<int64_t>(Count, Filled - Next);
        Next += int(buffered);
        if (Count > buffered) Seek(Position() + (Count - buffered));
    }
    // Absolute stream position of the next byte.
    int64_t Position() const { return BufferStart + Next; }
    // Moves to an absolute stream position; the buffer is kept when the position lies in it.
    void Seek(int64_t Absolute) {
        if (Absolute >= BufferStart && Absolute <= BufferStart + Filled) {
            Next = int(Absolute - BufferStart);
            return;
        }
        if (Absolute < 0 || !Stream.seek(Absolute)) End();
        BufferStart = Absolute;
        Next = Filled = 0;
    }
    // Leaves the stream itself at the reader's position (for a caller reading on without it).
    void SyncStream() { Stream.seek(Position()); }
    int64_t StreamSize() const { return Stream.size(); }

private:
    void Refill() {
        if (!TryRefill()) End();
    }
    bool TryRefill() {
        BufferStart += Filled;
        Next = Filled = 0;
        if (Stream.pos() != BufferStart && !Stream.seek(BufferStart)) return false;
        const qint64 got = Stream.read(reinterpret_cast<char*>(Buffer.get()), Capacity);
        if (got <= 0) return false;
        Filled = int(got);
        return true;
    }
    [[noreturn]] void End() {
        OnEnd();
        throw std::logic_error("end-of-data handler returned");
    }

    QIODevice& Stream;
    int Capacity;
    std::unique_ptr<uint8_t[]> Buffer;
    std::function<void()> OnEnd;
    int64_t BufferStart;  // stream position of Buffer[0]
    int Next = 0;
    int Filled = 0;
};

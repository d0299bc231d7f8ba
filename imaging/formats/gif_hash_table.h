#pragma once
// The LZW encoder's string table: an open-addressing hash of 8009 slots (a prime a little under
// twice the 4096 codes). A slot holds key << 12 | code, the key being prefix << 8 | next pixel;
// an empty slot has all bits set and is cleared in one fill.
#include <cstdint>
#include <memory>

class THashTable {
public:
    static constexpr int HashSize = 8009;

    THashTable();
    void Clear();
    void Insert(uint32_t Key, int Code);
    // The code stored for the key, or -1.
    int Lookup(uint32_t Key) const;

    static int HashKey(uint32_t Key) { return int((Key ^ (Key >> 4)) % HashSize); }
    static int NextProbe(int h) {
        const int d = h == 0 ? 1 : HashSize - h;
        const int next = h - d;
        return next < 0 ? next + HashSize : next;
    }

private:
    static bool IsFree(uint32_t Slot) { return (Slot & 0xFFFFF000u) == 0xFFFFF000u; }
    std::unique_ptr<uint32_t[]> Slots;
};

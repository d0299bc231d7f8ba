#include "components/thumb_memory_cache.h"

#include <algorithm>

TThumbMemoryCache::TThumbMemoryCache(int SlotCount) : slots_(size_t(std::max(0, SlotCount))) {}

TThumbnailPtr TThumbMemoryCache::Find(const QString& Path) const {
    if (Path.isEmpty()) return nullptr;
    for (const Slot& slot : slots_)
        if (slot.Thumb && slot.Name == Path) return slot.Thumb;
    return nullptr;
}

void TThumbMemoryCache::Add(const QString& Path, TThumbnailPtr Thumb, int MaxCount) {
    // A count raised after creation cannot grow the ring past its slots.
    const int ring = std::min(MaxCount, SlotCount());
    if (ring <= 0 || !Thumb) return;
    if (next_ > ring - 1) next_ = 0;
    slots_[size_t(next_)] = Slot{Path, std::move(Thumb)};
    ++next_;
}

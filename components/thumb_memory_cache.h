#pragma once
// The grid's memory cache: a ring of slots fixed at creation; each addition overwrites the oldest
// slot. Keys are exact paths: file names that differ only in letter case are different files.
#include "components/thumb_image_loader.h"

#include <QString>

#include <vector>

class TThumbMemoryCache {
public:
    explicit TThumbMemoryCache(int SlotCount);
    int SlotCount() const { return int(slots_.size()); }
    TThumbnailPtr Find(const QString& Path) const;
    // Stores the thumbnail in the next slot of a ring of MaxCount slots (at most the slots made at
    // creation); MaxCount 0 or less stores nothing.
    void Add(const QString& Path, TThumbnailPtr Thumb, int MaxCount);

private:
    struct Slot {
        QString Name;  // empty for a free slot
        TThumbnailPtr Thumb;
    };
    std::vector<Slot> slots_;
    int next_ = 0;
};

#pragma once
// The pixel memory a reader has just sized (SetSize hands it out zeroed, so rows a damaged file
// never delivers hold index 0 or black): for large pictures, huge pages are asked for before the
// reader first touches the memory, since faulting it in page by page would otherwise cost more
// than the decoding itself. The request is a hint only: nothing changes where it is refused.
#include "imaging/pixel_graphic.h"

#include <cstdint>
#if defined(__linux__)
#include <sys/mman.h>
#endif

inline void PrepareFreshPixels(TPixelGraphic& Graphic) {
    if (Graphic.GetEmpty()) return;
    uint8_t* bits = Graphic.GetBits();
    const size_t size = size_t(Graphic.GetImageSize());
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr uintptr_t HugePage = uintptr_t(2) << 20;
    if (size >= 4 * HugePage) {
        const auto start = reinterpret_cast<uintptr_t>(bits);
        const uintptr_t first = (start + HugePage - 1) & ~(HugePage - 1);
        const uintptr_t last = (start + size) & ~(HugePage - 1);
        if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#endif
}

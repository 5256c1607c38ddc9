#include "platform/system/frame_allocator.h"

#include <malloc.h>

namespace platform {

void KeepFrameSizedAllocationsInHeap() {
    constexpr int kMiB = 1024 * 1024;
    mallopt(M_MMAP_THRESHOLD, 64 * kMiB);
    mallopt(M_TRIM_THRESHOLD, 256 * kMiB);
    mallopt(M_TOP_PAD, 64 * kMiB);
}

} // namespace platform

// Video frames are allocated and freed once per frame (several megabytes each). Left to
// glibc's defaults, every such block is a fresh mmap whose pages fault in again each frame;
// keeping large blocks in the heap lets the next frame reuse the same memory.
#pragma once

namespace platform {

void KeepFrameSizedAllocationsInHeap();

} // namespace platform

// One axis of a bitmap drawing: which source pixels a run of destination pixels shows.
#pragma once

#include <cstdint>

namespace platform::gdi {

struct StretchAxis {
    int64_t dest = 0, destLen = 0; // surface pixels [dest, dest + destLen)
    int64_t src = 0, srcLen = 0;   // image pixels [src, src + srcLen), counted from left / top
    bool mirror = false;           // the source's start shows at the destination's far end

    // Index of a destination pixel counted from the end that shows the source's start.
    int64_t unmirrored(int64_t d) const {
        const int64_t u = d - dest;
        return mirror ? destLen - 1 - u : u;
    }
    // COLORONCOLOR: the source pixel under the centre of destination pixel u, that is
    // src + floor((u + 1/2) * srcLen / destLen), exactly.
    int64_t nearest(int64_t u) const {
        return src + static_cast<int64_t>((static_cast<__int128>(2 * u + 1) * srcLen) /
                                          (static_cast<__int128>(2) * destLen));
    }
    bool shrinks() const { return srcLen >= destLen; }
    bool enlarges() const { return srcLen <= destLen; }
};

// From Win32's signed extents: a negative extent spans the pixels before its start, and
// opposite signs on the two sides mirror.
inline StretchAxis MakeStretchAxis(int64_t dest, int64_t destExtent, int64_t src,
                                   int64_t srcExtent) {
    StretchAxis axis;
    axis.dest = destExtent < 0 ? dest + destExtent : dest;
    axis.destLen = destExtent < 0 ? -destExtent : destExtent;
    axis.src = srcExtent < 0 ? src + srcExtent : src;
    axis.srcLen = srcExtent < 0 ? -srcExtent : srcExtent;
    axis.mirror = (destExtent < 0) != (srcExtent < 0);
    return axis;
}

} // namespace platform::gdi

// HALFTONE's weights along one axis: a destination pixel is the area-weighted mean of the
// source pixels it overlaps. With k = srcLen / destLen, destination pixel u covers source
// positions [src + u k, src + (u + 1) k); each source pixel weighs the length of its overlap
// with that span, divided by the span's length. Shrinking, that is a box filter with
// fractional coverage at both ends; enlarging, a pixel lying inside one source pixel copies it
// and one straddling two blends them by coverage. Only the present source pixels [lo, hi)
// count, and a destination pixel whose centre maps outside them is not drawn.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi/stretch_axis.h"

namespace platform::gdi {

// `first` weighted wFirst, the pixels strictly between weighted wMid each, `last` weighted
// wLast (when last != first).
struct Taps {
    int64_t first = 0, last = 0;
    float wFirst = 1, wMid = 0, wLast = 0;
    bool drawn = false;
    int64_t count() const { return last - first + 1; }
    float weight(int64_t j) const { return j == first ? wFirst : j == last ? wLast : wMid; }
};

Taps AxisTaps(const StretchAxis& axis, int64_t u, int64_t lo, int64_t hi);

// The weights of the visible run of one axis, laid out for the resampler's loops: every drawn
// destination pixel has `taps` weights starting at source pixel `first` (unused weights are
// 0). Kept per thread while the mapping stays the same, so consecutive frames of one size pay
// nothing for them.
struct AreaTable {
    // What the table was built for: the axis, present source pixels [lo, hi), and the visible
    // destination run [visibleBegin, visibleEnd) in surface pixels.
    StretchAxis axis;
    int64_t lo = 0, hi = 0, visibleBegin = 0, visibleEnd = 0;

    int64_t drawnBegin = 0, drawnEnd = 0; // the drawn part of the visible run
    int64_t srcBegin = 0, srcEnd = 0;     // the source pixels those read
    int taps = 0;
    std::vector<int32_t> first; // per drawn pixel, counted from srcBegin
    std::vector<int32_t> count; // weights in use (the rest are 0)
    std::vector<float> weights; // `taps` per drawn pixel
    // With `pairs`: for pixels 2p and 2p + 1 (the last of an odd run with itself), per tap,
    // the first one's weight four times and the second one's four times: the lanes of the
    // horizontal pass.
    std::vector<float> pairLanes;
    // Every drawn pixel is the plain mean of two whole source pixels, pixel i of 2i and
    // 2i + 1 counted from its first: exact half size, unmirrored.
    bool halves = false;

    bool drawsNothing() const { return drawnEnd <= drawnBegin; }
};

// The table for `axis` over the visible run, or null when a destination pixel would need more
// than maxTaps source pixels. `slot` picks one of a few per-thread tables (one per axis), each
// rebuilt only when asked for another mapping.
const AreaTable* CachedAreaTable(int slot, const StretchAxis& axis, int64_t lo, int64_t hi,
                                 int64_t visibleBegin, int64_t visibleEnd, int maxTaps, bool pairs);

} // namespace platform::gdi

// HALFTONE's weights along one axis: a destination pixel is the area-weighted mean of the
// source pixels it overlaps. With k = srcLen / destLen, destination pixel u covers source
// positions [src + u k, src + (u + 1) k); each source pixel weighs the length of its overlap
// with that span, divided by the span's length. Shrinking, that is a box filter with
// fractional coverage at both ends; enlarging, a pixel lying inside one source pixel copies it
// and one straddling two blends them by coverage. Only the present source pixels [lo, hi)
// count, and a destination pixel whose centre maps outside them is not drawn.
#pragma once

#include <cstdint>

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

} // namespace platform::gdi

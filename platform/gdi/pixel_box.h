// Pixel rectangles in surface coordinates, and the one intersection GDI and the window
// manager clip with.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/win32/types.h"

namespace platform::gdi {

// A half-open pixel rectangle in surface coordinates, wide enough for any logical rectangle.
struct PixelBox {
    int64_t left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
    int64_t width() const { return right - left; }
    int64_t height() const { return bottom - top; }
    bool operator==(const PixelBox&) const = default;
};

// Empty results are all zero, so that they compare equal.
inline PixelBox Intersect(const PixelBox& a, const PixelBox& b) {
    PixelBox r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
    if (r.empty())
        r = PixelBox{};
    return r;
}

// The smallest box holding both; an empty box adds nothing.
inline PixelBox Union(const PixelBox& a, const PixelBox& b) {
    if (a.empty())
        return b.empty() ? PixelBox{} : b;
    if (b.empty())
        return a;
    return PixelBox{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                    std::max(a.bottom, b.bottom)};
}

inline PixelBox BoxOf(const RECT& r) {
    return PixelBox{r.left, r.top, r.right, r.bottom};
}

// For rectangles that fit in a RECT, as the window manager's do.
inline RECT Intersect(const RECT& a, const RECT& b) {
    const PixelBox r = Intersect(BoxOf(a), BoxOf(b));
    return RECT{LONG(r.left), LONG(r.top), LONG(r.right), LONG(r.bottom)};
}

} // namespace platform::gdi

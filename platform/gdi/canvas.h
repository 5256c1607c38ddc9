// What one drawing call draws into: a snapshot of its DC's target, taken at the call.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/gdi/target.h"

namespace platform::gdi {

using Canvas = DrawTarget;

// False for an unknown DC or one without pixels.
bool OpenCanvas(HDC dc, Canvas& out);

// A half-open pixel rectangle in surface coordinates, wide enough for any logical rectangle.
struct PixelBox {
    int64_t left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
    int64_t width() const { return right - left; }
    int64_t height() const { return bottom - top; }
};

inline PixelBox Intersect(const PixelBox& a, const PixelBox& b) {
    PixelBox r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
    if (r.empty())
        r = PixelBox{};
    return r;
}

// The clip rectangle inside the surface's current bounds. The surface may be resized by its
// window, so read this with the surface locked.
inline PixelBox DrawableArea(const Canvas& canvas) {
    const PixelBox bounds{0, 0, canvas.surface->width(), canvas.surface->height()};
    return Intersect(
        bounds, PixelBox{canvas.clip.left, canvas.clip.top, canvas.clip.right, canvas.clip.bottom});
}

} // namespace platform::gdi

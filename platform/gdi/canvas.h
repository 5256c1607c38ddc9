// What one drawing call draws into: a snapshot of its DC's target, taken at the call.
#pragma once

#include <cstdint>
#include <mutex>

#include "platform/gdi/pixel_box.h"
#include "platform/gdi/target.h"

namespace platform::gdi {

using Canvas = DrawTarget;

// False for an unknown DC or one without pixels.
bool OpenCanvas(HDC dc, Canvas& out);

// One drawing into a canvas, the only way primitives reach its pixels: holds the surface's
// lock for its life and clips the wanted rectangle (surface pixels) to the drawable area once,
// so a primitive only walks box(). A writing one records box() as drawn and touches the
// surface when it ends, if anything was inside.
class ClippedTarget {
public:
    enum class Access { Write, Read };
    ClippedTarget(const Canvas& canvas, const PixelBox& wanted, Access access = Access::Write);
    ~ClippedTarget();
    ClippedTarget(const ClippedTarget&) = delete;
    ClippedTarget& operator=(const ClippedTarget&) = delete;

    const PixelBox& box() const { return m_box; }
    bool empty() const { return m_box.empty(); }
    // Row `y` of the surface, indexed by surface x; only box() may be touched.
    uint32_t* row(int64_t y) { return m_surface.row(static_cast<int>(y)); }

private:
    Surface& m_surface;
    std::unique_lock<std::mutex> m_lock;
    PixelBox m_box;
    bool m_writes;
};

// The part of `wanted` a ClippedTarget would get now, for work prepared without the lock
// (HALFTONE resamples before it stores); the surface may shrink before the work is stored.
PixelBox ClipToCanvas(const Canvas& canvas, const PixelBox& wanted);

} // namespace platform::gdi

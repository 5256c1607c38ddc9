#include "platform/gdi/canvas.h"

#include "platform/gdi/gdi_objects.h"

namespace platform::gdi {

namespace {

// The clip rectangle inside the surface's current bounds. The surface may be resized by its
// window, so read this with the surface locked.
PixelBox DrawableArea(const Canvas& canvas) {
    return Intersect(PixelBox{0, 0, canvas.surface->width(), canvas.surface->height()},
                     BoxOf(canvas.clip));
}

} // namespace

bool OpenCanvas(HDC dc, Canvas& out) {
    std::lock_guard<std::mutex> lock(GdiObjectLock());
    auto context = FindGdiObjectOf<DeviceContext>(dc);
    if (!context || !context->target.surface)
        return false;
    out = context->target;
    return true;
}

ClippedTarget::ClippedTarget(const Canvas& canvas, const PixelBox& wanted, Access access)
    : m_surface(*canvas.surface), m_lock(m_surface.mutex()),
      m_box(Intersect(wanted, DrawableArea(canvas))), m_writes(access == Access::Write) {}

ClippedTarget::~ClippedTarget() {
    if (!m_writes || m_box.empty())
        return;
    m_surface.addDrawn(m_box);
    m_lock.unlock();
    m_surface.touch();
}

PixelBox ClipToCanvas(const Canvas& canvas, const PixelBox& wanted) {
    return ClippedTarget(canvas, wanted, ClippedTarget::Access::Read).box();
}

} // namespace platform::gdi

#include "platform/gdi/canvas.h"

#include "platform/gdi/gdi_objects.h"

namespace platform::gdi {

bool OpenCanvas(HDC dc, Canvas& out) {
    std::lock_guard<std::mutex> lock(GdiObjectLock());
    auto context = FindGdiObjectOf<DeviceContext>(dc);
    if (!context || !context->target.surface)
        return false;
    out = context->target;
    return true;
}

} // namespace platform::gdi

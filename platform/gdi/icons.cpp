// Icons: straight-alpha 32-bit pictures drawn at their own size.
#include <cstring>

#include "platform/gdi/canvas.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/trace_log.h"
#include "platform/win32/api.h"

namespace platform::gdi {

HICON CreateIconFromPixels(int width, int height, const uint32_t* pixels) {
    if (width <= 0 || height <= 0 || pixels == nullptr || width > 4096 || height > 4096)
        return nullptr;
    auto icon = std::make_shared<IconObject>();
    icon->pixels = std::make_shared<Surface>(width, height);
    for (int y = 0; y < height; ++y)
        std::memcpy(icon->pixels->row(y), pixels + size_t(y) * width, size_t(width) * 4);
    std::lock_guard<std::mutex> lock(GdiObjectLock());
    return static_cast<HICON>(AddGdiObject(std::move(icon)));
}

std::shared_ptr<const Surface> IconPixels(HICON icon) {
    auto object = FindIcon(icon);
    return object ? object->pixels : nullptr;
}

} // namespace platform::gdi

using namespace platform::gdi;

namespace {

uint32_t Blend(uint32_t icon, uint32_t under) {
    const uint32_t alpha = icon >> 24;
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t s = icon >> shift & 0xFF;
        const uint32_t d = under >> shift & 0xFF;
        out |= ((s * alpha + d * (255 - alpha) + 127) / 255) << shift;
    }
    return out;
}

} // namespace

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
    RecordGdiCall("DrawIcon", dc, {long(x), long(y)});
    auto object = FindIcon(icon);
    Canvas canvas;
    if (!object || !OpenCanvas(dc, canvas))
        return FALSE;
    const Surface& pixels = *object->pixels;
    const int64_t left = int64_t(x) + canvas.origin.x;
    const int64_t top = int64_t(y) + canvas.origin.y;
    ClippedTarget target(canvas, PixelBox{left, top, left + pixels.width(), top + pixels.height()});
    const PixelBox& box = target.box();
    for (int64_t py = box.top; py < box.bottom; ++py) {
        const uint32_t* from = pixels.row(int(py - top));
        uint32_t* to = target.row(py);
        for (int64_t px = box.left; px < box.right; ++px)
            to[px] = Blend(from[px - left], to[px]);
    }
    return TRUE;
}

BOOL DestroyIcon(HICON icon) {
    RecordGdiCall("DestroyIcon", nullptr, {}, nullptr, icon);
    std::lock_guard<std::mutex> lock(GdiObjectLock());
    if (!FindGdiObjectOf<IconObject>(icon))
        return FALSE;
    RemoveGdiObject(icon);
    return TRUE;
}

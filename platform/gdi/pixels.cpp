// Single pixels: GetPixel and SetPixel.
#include "platform/gdi/canvas.h"
#include "platform/gdi/pixel_word.h"
#include "platform/gdi/trace_log.h"
#include "platform/win32/api.h"

using namespace platform::gdi;

namespace {

bool Inside(const PixelBox& box, int64_t x, int64_t y) {
    return x >= box.left && x < box.right && y >= box.top && y < box.bottom;
}

} // namespace

COLORREF GetPixel(HDC dc, int x, int y) {
    RecordGdiCall("GetPixel", dc, {long(x), long(y)});
    Canvas canvas;
    if (!OpenCanvas(dc, canvas))
        return CLR_INVALID;
    const int64_t sx = int64_t(x) + canvas.origin.x;
    const int64_t sy = int64_t(y) + canvas.origin.y;
    std::lock_guard<std::mutex> lock(canvas.surface->mutex());
    if (!Inside(DrawableArea(canvas), sx, sy))
        return CLR_INVALID;
    return ColorrefFromWord(canvas.surface->row(int(sy))[sx] & 0x00FFFFFF);
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour) {
    RecordGdiCall("SetPixel", dc, {long(x), long(y), long(colour)});
    Canvas canvas;
    if (!OpenCanvas(dc, canvas))
        return CLR_INVALID;
    const int64_t sx = int64_t(x) + canvas.origin.x;
    const int64_t sy = int64_t(y) + canvas.origin.y;
    {
        std::lock_guard<std::mutex> lock(canvas.surface->mutex());
        if (!Inside(DrawableArea(canvas), sx, sy))
            return CLR_INVALID;
        canvas.surface->row(int(sy))[sx] = WordFromColorref(colour);
    }
    canvas.surface->touch();
    return colour & 0x00FFFFFF;
}

// Single pixels: GetPixel and SetPixel.
#include "platform/gdi/canvas.h"
#include "platform/gdi/pixel_word.h"
#include "platform/gdi/trace_log.h"
#include "platform/win32/api.h"

using namespace platform::gdi;

namespace {

PixelBox PixelAt(const Canvas& canvas, int x, int y) {
    const int64_t sx = int64_t(x) + canvas.origin.x;
    const int64_t sy = int64_t(y) + canvas.origin.y;
    return PixelBox{sx, sy, sx + 1, sy + 1};
}

} // namespace

COLORREF GetPixel(HDC dc, int x, int y) {
    RecordGdiCall("GetPixel", dc, {long(x), long(y)});
    Canvas canvas;
    if (!OpenCanvas(dc, canvas))
        return CLR_INVALID;
    ClippedTarget target(canvas, PixelAt(canvas, x, y), ClippedTarget::Access::Read);
    if (target.empty())
        return CLR_INVALID;
    return ColorrefFromWord(target.row(target.box().top)[target.box().left] & 0x00FFFFFF);
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour) {
    RecordGdiCall("SetPixel", dc, {long(x), long(y), long(colour)});
    Canvas canvas;
    if (!OpenCanvas(dc, canvas))
        return CLR_INVALID;
    ClippedTarget target(canvas, PixelAt(canvas, x, y));
    if (target.empty())
        return CLR_INVALID;
    target.row(target.box().top)[target.box().left] = WordFromColorref(colour);
    return colour & 0x00FFFFFF;
}

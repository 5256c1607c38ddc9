// ExtTextOutW: only its ETO_OPAQUE background fill, which is how solid rectangles are painted.
#include <algorithm>

#include "platform/gdi/canvas.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/pixel_word.h"
#include "platform/gdi/trace_log.h"
#include "platform/win32/api.h"

using namespace platform::gdi;

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR, UINT count,
                 const INT*) {
    RecordGdiCall("ExtTextOutW", dc,
                  {long(x), long(y), long(options), rect ? long(rect->left) : 0,
                   rect ? long(rect->top) : 0, rect ? long(rect->right) : 0,
                   rect ? long(rect->bottom) : 0, long(count)});
    auto context = FindDC(dc);
    Canvas canvas;
    if (!context || !OpenCanvas(dc, canvas))
        return FALSE;
    if (!(options & ETO_OPAQUE) || rect == nullptr)
        return TRUE;

    const uint32_t word = WordFromColorref(context->bkColor.load());
    const PixelBox wanted{int64_t(std::min(rect->left, rect->right)) + canvas.origin.x,
                          int64_t(std::min(rect->top, rect->bottom)) + canvas.origin.y,
                          int64_t(std::max(rect->left, rect->right)) + canvas.origin.x,
                          int64_t(std::max(rect->top, rect->bottom)) + canvas.origin.y};
    ClippedTarget target(canvas, wanted);
    const PixelBox& box = target.box();
    for (int64_t py = box.top; py < box.bottom; ++py)
        std::fill_n(target.row(py) + box.left, box.width(), word);
    return TRUE;
}

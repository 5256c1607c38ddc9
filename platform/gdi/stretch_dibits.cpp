// StretchDIBits: a source rectangle of a DIB scaled onto a destination rectangle.
//
// Source coordinates are measured from the DIB's origin (the lower-left corner of a bottom-up
// bitmap, the upper-left of a top-down one) and the rectangle is shown upright. A negative
// extent spans the pixels before its start ([x + w, x)); opposite signs on the source and
// destination side of an axis mirror it. Destination pixels whose centre falls outside the
// bitmap are left as they were.
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/resample.h"
#include "platform/gdi/trace_log.h"
#include "platform/win32/api.h"

using namespace platform::gdi;

int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage,
                  DWORD rop) {
    RecordGdiCall("StretchDIBits", dc,
                  {long(xDest), long(yDest), long(destWidth), long(destHeight), long(xSrc),
                   long(ySrc), long(srcWidth), long(srcHeight), long(usage), long(rop)},
                  bits, info);
    auto context = FindDC(dc);
    Canvas canvas;
    DibSource source;
    if (!context || !OpenCanvas(dc, canvas) || rop != SRCCOPY ||
        !ReadDibHeader(info, usage, bits, source))
        return 0;

    const StretchAxis x =
        MakeStretchAxis(int64_t(xDest) + canvas.origin.x, destWidth, xSrc, srcWidth);
    StretchAxis y = MakeStretchAxis(int64_t(yDest) + canvas.origin.y, destHeight, ySrc, srcHeight);
    if (!source.topDown)
        y.src = int64_t(source.height) - y.src - y.srcLen; // to rows counted from the top

    // Win32 reports the source scan lines the call covered, negative when mirrored upside
    // down, and 0 when nothing was covered.
    const int64_t columns =
        std::min<int64_t>(x.src + x.srcLen, source.width) - std::max<int64_t>(x.src, 0);
    const int64_t rows =
        std::min<int64_t>(y.src + y.srcLen, source.height) - std::max<int64_t>(y.src, 0);
    if (x.destLen == 0 || y.destLen == 0 || columns <= 0 || rows <= 0)
        return 0;

    if (context->stretchMode.load() == HALFTONE)
        DrawHalftone(canvas, source, x, y);
    else
        DrawNearest(canvas, source, x, y);
    return static_cast<int>(y.mirror ? -rows : rows);
}

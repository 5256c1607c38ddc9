// SetDIBitsToDevice: a source rectangle of a DIB copied 1:1, possibly from a band of its scan
// lines. `bits` holds scanLines scan lines starting at scan line startScan (scan line 0 is the
// first row in memory: the bottom row of a bottom-up bitmap, the top row of a top-down one);
// only the part of the source rectangle inside that band and inside the bitmap is drawn.
#include <algorithm>

#include "platform/gdi/resample.h"
#include "platform/gdi/trace_log.h"
#include "platform/win32/api.h"

using namespace platform::gdi;

int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                      UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info,
                      UINT usage) {
    RecordGdiCall("SetDIBitsToDevice", dc,
                  {long(xDest), long(yDest), long(width), long(height), long(xSrc), long(ySrc),
                   long(startScan), long(scanLines), long(usage)},
                  bits, info);
    Canvas canvas;
    DibSource source;
    if (!OpenCanvas(dc, canvas) || !ReadDibHeader(info, usage, bits, source))
        return 0;
    const int64_t firstScan = startScan;
    const int64_t endScan = std::min<int64_t>(firstScan + scanLines, source.height);
    if (endScan <= firstScan)
        return 0;
    source.firstScan = static_cast<int>(firstScan);
    source.endScan = static_cast<int>(endScan);

    const StretchAxis x =
        MakeStretchAxis(int64_t(xDest) + canvas.origin.x, int64_t(width), xSrc, int64_t(width));
    StretchAxis y =
        MakeStretchAxis(int64_t(yDest) + canvas.origin.y, int64_t(height), ySrc, int64_t(height));
    if (!source.topDown)
        y.src = int64_t(source.height) - y.src - y.srcLen;

    // The scan lines set: those of the source rectangle that were provided.
    const int64_t columns =
        std::min<int64_t>(x.src + x.srcLen, source.width) - std::max<int64_t>(x.src, 0);
    const int64_t rows = std::min<int64_t>(y.src + y.srcLen, source.endRow()) -
                         std::max<int64_t>(y.src, source.topRow());
    if (columns <= 0 || rows <= 0)
        return 0;
    DrawNearest(canvas, source, x, y);
    return static_cast<int>(rows);
}

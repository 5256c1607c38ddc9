// The per-DC settings drawing reads: stretch mode and background colour.
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/trace_log.h"
#include "platform/win32/api.h"

using namespace platform::gdi;

int SetStretchBltMode(HDC dc, int mode) {
    RecordGdiCall("SetStretchBltMode", dc, {long(mode)});
    auto context = FindDC(dc);
    if (!context || mode < BLACKONWHITE || mode > HALFTONE)
        return 0;
    return context->stretchMode.exchange(mode);
}

int GetStretchBltMode(HDC dc) {
    RecordGdiCall("GetStretchBltMode", dc, {});
    auto context = FindDC(dc);
    return context ? context->stretchMode.load() : 0;
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
    RecordGdiCall("SetBkColor", dc, {long(colour)});
    auto context = FindDC(dc);
    if (!context)
        return CLR_INVALID;
    return context->bkColor.exchange(colour & 0x00FFFFFF);
}

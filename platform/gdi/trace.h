// A record of GDI calls, for tests that check which calls a drawing makes and with what.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/types.h"

namespace platform::gdi {

struct GdiCall {
    std::string name; // "StretchDIBits", "SetDIBitsToDevice", "SetStretchBltMode", ...
    HDC dc = nullptr;
    std::vector<long> args;     // the integer arguments in declaration order, after the DC
    const void* bits = nullptr; // bitmap calls: the bits pointer passed
    const void* info = nullptr; // bitmap calls: the BITMAPINFO pointer passed
    HWND hwnd = nullptr;        // GetDC, ReleaseDC, WindowFromDC: the window
};

// What each call records (dc is the DC argument, or the DC returned by GetDC and
// CreateCompatibleDC):
//   GetDC, ReleaseDC              args {}, hwnd
//   StretchDIBits                 {xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth,
//                                  srcHeight, usage, rop}, bits, info
//   SetDIBitsToDevice             {xDest, yDest, width, height, xSrc, ySrc, startScan,
//                                  scanLines, usage}, bits, info
//   SetStretchBltMode             {mode}          GetStretchBltMode  {}
//   SetBkColor                    {colour}
//   ExtTextOutW                   {x, y, options, rect left, top, right, bottom, count}; the
//                                 four rect values are 0 when no rectangle is passed
//   DrawIcon                      {x, y}
//   GetPixel {x, y}   SetPixel {x, y, colour}
//   CreateCompatibleDC {}   DeleteDC {}   SelectObject {} (info = the object)
//   CreateDIBSection {usage} (info = the BITMAPINFO)   WindowFromDC {} (hwnd = result)
//   DeleteObject {}, GetObjectW {size}, DestroyIcon {}: dc null, info = the object

// While a trace is installed, every GDI call (from any thread) appends one entry to it, under
// a lock. Pass null to stop tracing.
void SetGdiTrace(std::vector<GdiCall>* trace);

} // namespace platform::gdi

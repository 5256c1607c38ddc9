// A record of GDI calls, for tests that check which calls a drawing makes and with what.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/types.h"

namespace platform::gdi {

struct GdiCall {
    std::string name;        // "StretchDIBits", "SetDIBitsToDevice", "SetStretchBltMode", ...
    HDC dc = nullptr;
    std::vector<long> args;  // the integer arguments in declaration order, after the DC
    const void* bits = nullptr; // bitmap calls: the bits pointer passed
    const void* info = nullptr; // bitmap calls: the BITMAPINFO pointer passed
};

// While a trace is installed, every GDI call (from any thread) appends one entry to it, under
// a lock. Pass null to stop tracing.
void SetGdiTrace(std::vector<GdiCall>* trace);

} // namespace platform::gdi

// Recording side of the GDI call trace.
#pragma once

#include <initializer_list>

#include "platform/gdi/trace.h"

namespace platform::gdi {

void RecordGdiCall(const char* name, HDC dc, std::initializer_list<long> args,
                   const void* bits = nullptr, const void* info = nullptr, HWND hwnd = nullptr);

} // namespace platform::gdi

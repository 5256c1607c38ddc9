// When each entry reaches a list box, for scenarios that measure how fast the viewer reacts.
#pragma once

#include <string>

#include "platform/win32/types.h"

namespace platform::scenario {

// From now on, every string added to `listBox` is appended to the file at `path` as a line
// "<seconds> <text>", the seconds on the monotonic clock (CLOCK_MONOTONIC, what other
// processes read as well), written as it is added. One list box at a time.
bool TimeListBoxAdditions(HWND listBox, const std::string& path, std::string& error);

} // namespace platform::scenario

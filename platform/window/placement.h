// Moving, sizing and showing windows, from the program or from the desktop.
#pragma once

#include "platform/win32/types.h"

namespace platform::window {

// The largest width and height of a window: a top-level window is cut to the maximum
// tracking size (GetSystemMetrics SM_CXMAXTRACK, SM_CYMAXTRACK), as on Windows, so its surface
// never outgrows the screen by much; any window to this, so sizes fit WM_SIZE's 16-bit fields.
constexpr LONG kLargestWindowSide = 32767;

enum PlaceFlags : unsigned {
    kRecomputeFrame = 1, // the style's frame and caption apply from now on
    kNoRedraw = 2,
    kFromDesktop = 4, // the desktop did it: tell the backend nothing back
    kAlwaysSize = 8,  // WM_SIZE even if the client size stayed (a new show state)
    kNoGeometry = 16, // the backend follows a show command, not a rectangle
};

// Gives the window a new rectangle (parent client or screen coordinates) and sends WM_MOVE
// and WM_SIZE as Win32 does when they change.
void Place(HWND hwnd, const RECT& rect, unsigned flags);

// ShowWindow; `fromDesktop` when the desktop already changed the window's state.
BOOL ShowWindowFrom(HWND hwnd, int command, bool fromDesktop);

} // namespace platform::window

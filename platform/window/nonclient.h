// The non-client metric model: how much of a window's rectangle its frame and caption take.
#pragma once

#include "platform/win32/types.h"

namespace platform::window {

// Frame widths, one model for every window:
//   WS_THICKFRAME                      4 px on each side (sizing border)
//   WS_DLGFRAME or WS_EX_DLGMODALFRAME 3 px on each side (dialog frame)
//   WS_BORDER alone                    1 px on each side (thin border)
//   none of them                       0
// plus a 23 px caption above the client area when both caption bits (WS_CAPTION) are set.
// DS_MODALFRAME adds nothing of its own: a dialog's frame comes from WS_DLGFRAME, which
// WS_CAPTION includes.
constexpr int kBorderWidth = 1;
constexpr int kDialogFrameWidth = 3;
constexpr int kSizingFrameWidth = 4;
constexpr int kCaptionHeight = 23;
// The maximum tracking size, the largest a top-level window gets, is the screen and this much
// more: a sizing frame on each side (the maximised window) and room for the full-screen
// window, which reaches 3 pixels past that.
constexpr int kMaxTrackExtra = 2 * kSizingFrameWidth + 8;
constexpr int kIconSize = 32;
constexpr int kSmallIconSize = 16;
constexpr int kMinimizedWidth = 160;
constexpr int kMinimizedHeight = 28;
// Where Win32 parks minimised top-level windows.
constexpr int kMinimizedPosition = -32000;

struct NonClient {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

int FrameWidth(LONG style, LONG exStyle);
NonClient NonClientOf(LONG style, LONG exStyle);

// A maximised window covers `area` enlarged by its frame on every side, so the frame lies
// just outside it and the caption at its top edge.
RECT MaximizedRect(const RECT& area, LONG style, LONG exStyle);

} // namespace platform::window

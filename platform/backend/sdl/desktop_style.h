// How a window's WS_* style and a SW_* show command look on a desktop that knows only
// bordered/borderless, resizable/fixed and normal/maximised/minimised windows.
#pragma once

#include "platform/win32/types.h"

namespace platform::sdl {

struct DesktopStyle {
    bool bordered = false;    // title bar and frame drawn by the desktop
    bool resizable = false;   // the user may drag the frame
    bool maximizable = false; // the desktop offers maximise
    bool minimizable = false;
};

DesktopStyle DesktopStyleOf(LONG style);

enum class ShowAction { Hide, Show, Restore, Maximize, Minimize };

// SW_* → what to do; unknown commands show the window as it is.
ShowAction ShowActionOf(int showCommand);

} // namespace platform::sdl

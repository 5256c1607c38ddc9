#include "platform/backend/sdl/desktop_style.h"

#include "platform/win32/constants.h"

namespace platform::sdl {

DesktopStyle DesktopStyleOf(LONG style) {
    const auto has = [style](LONG bits) { return (style & bits) != 0; };
    DesktopStyle s;
    // WS_CAPTION is WS_BORDER | WS_DLGFRAME: a lone WS_BORDER is the thin line a full-screen
    // window keeps, which on a desktop is no frame at all.
    s.bordered = has(WS_DLGFRAME | WS_THICKFRAME);
    s.resizable = has(WS_THICKFRAME);
    s.maximizable = has(WS_MAXIMIZEBOX);
    s.minimizable = has(WS_MINIMIZEBOX);
    return s;
}

ShowAction ShowActionOf(int showCommand) {
    switch (showCommand) {
    case SW_HIDE:
        return ShowAction::Hide;
    case SW_SHOWNORMAL:
    case 4: // SW_SHOWNOACTIVATE
    case SW_RESTORE:
    case 10: // SW_SHOWDEFAULT
        return ShowAction::Restore;
    case SW_SHOWMAXIMIZED:
        return ShowAction::Maximize;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case 7:  // SW_SHOWMINNOACTIVE
    case 11: // SW_FORCEMINIMIZE
        return ShowAction::Minimize;
    default: // SW_SHOW, SW_SHOWNA and anything unknown
        return ShowAction::Show;
    }
}

} // namespace platform::sdl

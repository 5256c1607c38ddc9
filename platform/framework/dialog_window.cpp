#include "platform/framework/dialog_window.h"

#include "platform/win32/api.h"
#include "platform/win32/constants.h"
#include "platform/window/nonclient.h"

namespace platform::framework {

using resources::DialogUnitsToPixelsX;
using resources::DialogUnitsToPixelsY;

HWND CreateDialogWindow(const resources::DialogTemplate& t, HWND owner) {
    const DWORD style = t.style & ~(DWORD)WS_VISIBLE;
    const window::NonClient nc = window::NonClientOf((LONG)style, (LONG)t.exStyle);
    const int width = DialogUnitsToPixelsX(t.cx) + nc.left + nc.right;
    const int height = DialogUnitsToPixelsY(t.cy) + nc.top + nc.bottom;
    int x = DialogUnitsToPixelsX(t.x), y = DialogUnitsToPixelsY(t.y);
    if (style & DS_CENTER) {
        x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    } else if (owner && !(style & WS_CHILD)) {
        POINT origin{0, 0};
        ClientToScreen(owner, &origin);
        x += origin.x;
        y += origin.y;
    }
    HWND dialog = CreateWindowExW(t.exStyle, u"#32770", t.caption.c_str(), style, x, y, width,
                                  height, owner, nullptr, nullptr, nullptr);
    if (!dialog)
        return nullptr;
    for (const resources::ControlTemplate& c : t.controls) {
        HWND control =
            CreateWindowExW(c.exStyle, c.className.c_str(), c.text.c_str(), c.style | WS_CHILD,
                            DialogUnitsToPixelsX(c.x), DialogUnitsToPixelsY(c.y),
                            DialogUnitsToPixelsX(c.cx), DialogUnitsToPixelsY(c.cy), dialog,
                            reinterpret_cast<HMENU>((intptr_t)c.id), nullptr, nullptr);
        if (!control) {
            DestroyWindow(dialog);
            return nullptr;
        }
    }
    return dialog;
}

} // namespace platform::framework

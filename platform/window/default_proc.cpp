// Default message processing: DefWindowProcW, and the dialog class's default procedure.
#include <algorithm>

#include "platform/backend/backend.h"
#include "platform/gdi/target.h"
#include "platform/win32/api.h"
#include "platform/win32/constants.h"
#include "platform/window/window_classes.h"
#include "platform/window/window_tree.h"

using namespace platform;
using namespace platform::window;

namespace {

LRESULT SetText(HWND hwnd, LPCWSTR text) {
    bool topLevel = false;
    std::u16string title = text ? text : u"";
    {
        std::lock_guard lock(TreeMutex());
        Window* w = FindLocked(hwnd);
        if (!w)
            return FALSE;
        w->text = title;
        topLevel = w->parent == nullptr;
    }
    if (topLevel)
        CurrentBackend().setTitle(hwnd, title);
    return TRUE;
}

LRESULT GetText(HWND hwnd, WPARAM size, LPWSTR buffer) {
    if (!buffer || size == 0)
        return 0;
    return GetWindowTextW(hwnd, buffer, (int)std::min<WPARAM>(size, 0x7fffffff));
}

LRESULT SetIcon(HWND hwnd, WPARAM which, HICON icon) {
    HICON previous = nullptr;
    bool topLevel = false;
    {
        std::lock_guard lock(TreeMutex());
        Window* w = FindLocked(hwnd);
        if (!w)
            return 0;
        HICON& slot = which == ICON_BIG ? w->bigIcon : w->smallIcon;
        previous = slot;
        slot = icon;
        topLevel = w->parent == nullptr;
    }
    // The desktop shows the icon set last, big or small.
    if (topLevel && icon)
        if (auto pixels = gdi::IconPixels(icon))
            CurrentBackend().setIcon(hwnd, *pixels);
    return (LRESULT)previous;
}

LRESULT GetIcon(HWND hwnd, WPARAM which) {
    std::lock_guard lock(TreeMutex());
    Window* w = FindLocked(hwnd);
    if (!w)
        return 0;
    return (LRESULT)(which == ICON_BIG ? w->bigIcon : w->smallIcon);
}

} // namespace

LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
            ShowWindow(hwnd, SW_MINIMIZE);
            break;
        case SC_MAXIMIZE:
            ShowWindow(hwnd, SW_MAXIMIZE);
            break;
        case SC_RESTORE:
            ShowWindow(hwnd, SW_RESTORE);
            break;
        case SC_CLOSE:
            SendMessageW(hwnd, WM_CLOSE, 0, 0);
            break;
        }
        return 0;
    case WM_SETTEXT:
        return SetText(hwnd, (LPCWSTR)lParam);
    case WM_GETTEXT:
        return GetText(hwnd, wParam, (LPWSTR)lParam);
    case WM_GETTEXTLENGTH: {
        std::lock_guard lock(TreeMutex());
        Window* w = FindLocked(hwnd);
        return w ? (LRESULT)w->text.size() : 0;
    }
    case WM_SETICON:
        return SetIcon(hwnd, wParam, (HICON)lParam);
    case WM_GETICON:
        return GetIcon(hwnd, wParam);
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 0; // no class brush: the background stays as it is
    case WM_DEVICECHANGE:
    case WM_POWERBROADCAST:
        return TRUE;
    }
    return 0;
}

LRESULT platform::window::DialogClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        // A dialog is closed as if its Cancel button were pressed.
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    case WM_ERASEBKGND:
        FillClient(hwnd, nullptr, kDialogFaceColour);
        return 1;
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

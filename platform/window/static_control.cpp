// The "Static" class: frames and rectangles; text is not drawn.
#include "platform/win32/api.h"
#include "platform/win32/constants.h"
#include "platform/window/window_classes.h"

LRESULT platform::window::StaticClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        const LONG type = GetWindowLongW(hwnd, GWL_STYLE) & SS_TYPEMASK;
        if (type == SS_BLACKFRAME)
            FrameWindowEdge(hwnd, RGB(0, 0, 0), false);
        else if (type == SS_BLACKRECT)
            FillClient(hwnd, nullptr, RGB(0, 0, 0));
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // what the parent painted shows through
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

#include "platform/window/window_classes.h"

#include <algorithm>
#include <cctype>

#include "platform/window/draw_target.h"

namespace platform::window {
namespace {

std::string Lower(const std::u16string& text) {
    std::string out;
    for (char16_t c : text)
        out.push_back(c < 128 ? (char)std::tolower((int)c) : '?');
    return out;
}

} // namespace

WindowKind KindOfClass(const std::u16string& className) {
    const std::string name = Lower(className);
    if (name == "#32770")
        return WindowKind::Dialog;
    if (name == "static")
        return WindowKind::Static;
    if (name == "listbox")
        return WindowKind::ListBox;
    return WindowKind::Generic;
}

WNDPROC ClassProc(WindowKind kind) {
    switch (kind) {
    case WindowKind::Dialog:
        return DialogClassProc;
    case WindowKind::Static:
        return StaticClassProc;
    case WindowKind::ListBox:
        return ListBoxClassProc;
    case WindowKind::Generic:
        break;
    }
    return DefWindowProcW;
}

void FillClient(HWND hwnd, const RECT* rect, COLORREF colour) {
    gdi::DrawTarget target;
    RECT r;
    {
        std::lock_guard lock(TreeMutex());
        Window* w = FindLocked(hwnd);
        if (!w || !TargetOfLocked(*w, false, target))
            return;
        SIZE s = ClientSizeLocked(*w);
        r = rect ? *rect : RECT{0, 0, s.cx, s.cy};
    }
    FillTarget(target, r, colour, false);
}

void FrameWindowEdge(HWND hwnd, COLORREF colour, bool nonClient) {
    gdi::DrawTarget target;
    RECT r;
    {
        std::lock_guard lock(TreeMutex());
        Window* w = FindLocked(hwnd);
        if (!w || !TargetOfLocked(*w, nonClient, target))
            return;
        if (nonClient) {
            r = {0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
        } else {
            SIZE s = ClientSizeLocked(*w);
            r = {0, 0, s.cx, s.cy};
        }
    }
    FillTarget(target, r, colour, true);
}

} // namespace platform::window

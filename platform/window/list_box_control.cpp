// The "ListBox" class: a list of strings, kept in insertion order unless LBS_SORT.
#include <algorithm>
#include <cwctype>

#include "platform/win32/api.h"
#include "platform/win32/constants.h"
#include "platform/window/window_classes.h"
#include "platform/window/window_tree.h"

using namespace platform::window;

namespace {

bool LessIgnoringCase(const std::u16string& a, const std::u16string& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](char16_t x, char16_t y) { return std::towlower(x) < std::towlower(y); });
}

LRESULT AddString(Window& w, LPCWSTR text, WPARAM insertAt, bool insert) {
    std::u16string item = text ? text : u"";
    auto& items = w.listItems;
    if (insert) {
        if (insertAt == (WPARAM)-1 || insertAt >= items.size()) {
            if (insertAt != (WPARAM)-1 && insertAt > items.size())
                return LB_ERR;
            items.push_back(std::move(item));
            return (LRESULT)items.size() - 1;
        }
        items.insert(items.begin() + insertAt, std::move(item));
        return (LRESULT)insertAt;
    }
    if (w.style & LBS_SORT) {
        auto at = std::upper_bound(items.begin(), items.end(), item, LessIgnoringCase);
        LRESULT index = at - items.begin();
        items.insert(at, std::move(item));
        return index;
    }
    items.push_back(std::move(item));
    return (LRESULT)items.size() - 1;
}

LRESULT ListMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    LRESULT result = 0;
    bool repaint = false;
    {
        std::lock_guard lock(TreeMutex());
        Window* w = FindLocked(hwnd);
        if (!w)
            return LB_ERR;
        auto& items = w->listItems;
        switch (message) {
        case LB_ADDSTRING:
        case LB_INSERTSTRING:
            result = AddString(*w, (LPCWSTR)lParam, wParam, message == LB_INSERTSTRING);
            repaint = result >= 0;
            break;
        case LB_DELETESTRING:
            if (wParam >= items.size())
                return LB_ERR;
            items.erase(items.begin() + wParam);
            result = (LRESULT)items.size();
            repaint = true;
            break;
        case LB_RESETCONTENT:
            items.clear();
            repaint = true;
            break;
        case LB_GETCOUNT:
            return (LRESULT)items.size();
        case LB_GETTEXTLEN:
            return wParam < items.size() ? (LRESULT)items[wParam].size() : LB_ERR;
        case LB_GETTEXT: {
            if (wParam >= items.size() || !lParam)
                return LB_ERR;
            const auto& text = items[wParam];
            LPWSTR out = (LPWSTR)lParam;
            std::copy(text.begin(), text.end(), out);
            out[text.size()] = 0;
            return (LRESULT)text.size();
        }
        default:
            handled = false;
            return 0;
        }
    }
    if (repaint)
        InvalidateRect(hwnd, nullptr, TRUE);
    return result;
}

} // namespace

LRESULT platform::window::ListBoxClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    LRESULT result = ListMessage(hwnd, message, wParam, lParam, handled);
    if (handled)
        return result;
    switch (message) {
    case WM_PAINT: {
        // Items are not drawn, only the box; a hidden list box draws nothing at all.
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        FillClient(hwnd, nullptr, kWindowColour);
        if (GetWindowLongW(hwnd, GWL_STYLE) & WS_BORDER)
            FrameWindowEdge(hwnd, RGB(100, 100, 100), true);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

#include "platform/notify/transport.h"

#include "platform/win32/api.h"
#include "platform/window/ui_thread.h"

namespace platform::notify {

namespace {

BOOL CollectWindow(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

} // namespace

Transport WindowManagerTransport() {
    Transport t;
    t.postToUiThread = [](std::function<void()> task) { PostToUiThread(std::move(task)); };
    t.isWindow = [](HWND hwnd) { return IsWindow(hwnd) != FALSE; };
    t.sendMessage = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        return SendMessageW(hwnd, message, wParam, lParam);
    };
    t.topLevelWindows = [] {
        std::vector<HWND> windows;
        EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
        return windows;
    };
    return t;
}

} // namespace platform::notify

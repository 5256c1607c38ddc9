// How notifications reach windows: handed to the user-interface thread, then sent as window
// messages. The process uses the window manager; tests put their own in its place.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/win32/types.h"

namespace platform::notify {

struct Transport {
    std::function<void(std::function<void()>)> postToUiThread;
    std::function<bool(HWND)> isWindow;
    std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> sendMessage;
    std::function<std::vector<HWND>()> topLevelWindows;
};

// PostToUiThread, IsWindow, SendMessageW and EnumWindows.
Transport WindowManagerTransport();

std::shared_ptr<const Transport> CurrentTransport();
// Null puts the window manager's transport back.
void SetTransportForTesting(std::shared_ptr<const Transport> transport);

} // namespace platform::notify

// A desktop without a screen: it keeps what the window manager told it, and delivers events
// that tests inject as if a user had caused them.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "platform/backend/backend.h"

namespace platform {

class HeadlessBackend : public Backend {
public:
    struct WindowState {
        RECT clientScreen{0, 0, 0, 0};
        LONG style = 0;
        std::u16string title;
        int lastShowCommand = -1;
        bool shown = false;
        int iconWidth = 0;
        int iconHeight = 0;
        int presents = 0;
        uint64_t presentedVersion = 0;
        bool destroyed = false;
    };

    HeadlessBackend(int screenWidth, int screenHeight);

    const char* name() const override { return "headless"; }
    SIZE screenSize() override { return m_screen; }
    void createWindow(HWND hwnd, const RECT& clientScreen, LONG style,
                      const std::u16string& title) override;
    void destroyWindow(HWND hwnd) override;
    void setStyle(HWND hwnd, LONG style) override;
    void setGeometry(HWND hwnd, const RECT& clientScreen) override;
    void setTitle(HWND hwnd, const std::u16string& title) override;
    void show(HWND hwnd, int showCommand) override;
    void setIcon(HWND hwnd, const gdi::Surface& icon) override;
    void present(HWND hwnd, gdi::Surface& surface) override;
    void pumpEvents(const BackendEvents& events, int timeoutMs) override;
    void wake() override;

    // What the window manager last told about the window (a default state if nothing).
    WindowState state(HWND hwnd) const;

    // Queues a desktop event; the user-interface thread's next pumpEvents delivers it.
    void inject(std::function<void(const BackendEvents&)> event);
    void injectClose(HWND hwnd);
    void injectDoubleClick(HWND hwnd, int x, int y);
    void injectKey(HWND hwnd, UINT virtualKey, bool down);
    void injectResize(HWND hwnd, int clientWidth, int clientHeight);

private:
    SIZE m_screen;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_woken = false; // a wake() not yet seen by pumpEvents
    std::deque<std::function<void(const BackendEvents&)>> m_events;
    std::map<HWND, WindowState> m_windows;
};

} // namespace platform

// The SDL backend's inner workings, shared by its source files: the windows it keeps and the
// thread rules. SDL's video functions are called only on the user-interface thread (the first
// thread that creates a window or pumps events); calls from other threads are queued for it
// and run by its next pumpEvents.
#pragma once

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/backend/backend.h"

namespace platform::sdl {

struct Placement {
    int x = 0, y = 0, w = 1, h = 1;
    bool operator==(const Placement&) const = default;
};

inline Placement PlacementOf(const RECT& r) {
    return {r.left, r.top, std::max<LONG>(1, r.right - r.left),
            std::max<LONG>(1, r.bottom - r.top)};
}

enum class State { Normal, Maximized, Minimized };

struct DesktopWindow {
    HWND hwnd = nullptr;
    SDL_Window* window = nullptr;
    // Null when presents draw into the window's own pixels (the default).
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
    // The window's own pixels keep what was shown, so a present copies only what changed,
    // except after anything that may have replaced them (a new size, an expose, a show).
    bool showAll = true;
    int shownWidth = 0;
    int shownHeight = 0;
    // Client placement the window manager last set or was told of; desktop events that only
    // repeat it are not reported again.
    Placement known;
    // Kept by the backend only where it stands in for a missing window manager.
    State state = State::Normal;
    bool maximizedBeforeMinimize = false;
    Placement restorePlacement;
};

class SdlBackend final : public Backend {
public:
    // `startedOn`: the thread whose probe left SDL's video started (see CreateSdlBackend).
    SdlBackend(SIZE screen, std::thread::id startedOn)
        : m_screenWidth(screen.cx), m_screenHeight(screen.cy), m_videoStarted(true),
          m_videoThread(startedOn) {}
    ~SdlBackend() override;

    const char* name() const override { return "sdl"; }
    SIZE screenSize() override { return {m_screenWidth.load(), m_screenHeight.load()}; }

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

private:
    void presentToWindow(DesktopWindow& w, gdi::Surface& surface);
    void presentRendered(DesktopWindow& w, gdi::Surface& surface);
    using Notice = std::function<void(const BackendEvents&)>;

    // True on the user-interface thread; `claim` makes the calling thread it when none is yet.
    bool onUiThread(bool claim);
    // Runs `task` now on the user-interface thread, else queues it for that thread.
    template <class Task> void onUi(Task task);
    bool startVideo();
    void runQueuedTasks();
    void deliverNotices(const BackendEvents& events);
    void handle(const SDL_Event& event, const BackendEvents& events);
    void handleWindowEvent(const SDL_WindowEvent& event, const BackendEvents& events);
    DesktopWindow* find(HWND hwnd);
    DesktopWindow* findById(Uint32 windowId);

    void applyStyle(DesktopWindow& w, LONG style);
    void place(DesktopWindow& w, const Placement& p);
    void report(DesktopWindow& w, const Placement& p);
    void maximizeByHand(DesktopWindow& w);
    void minimizeByHand(DesktopWindow& w);
    void restoreByHand(DesktopWindow& w);
    void notice(HWND hwnd, std::function<void(HWND)> BackendEvents::*which);
    void setIconPixels(HWND hwnd, int width, int height, std::vector<uint32_t> pixels);

    std::atomic<LONG> m_screenWidth;
    std::atomic<LONG> m_screenHeight;

    std::mutex m_mutex; // guards the members up to m_tasks
    bool m_uiClaimed = false;
    std::thread::id m_uiThread;
    bool m_videoStarted = false;
    std::thread::id m_videoThread; // the thread SDL's video was started on
    bool m_wakeRegistered = false;
    Uint32 m_wakeEvent = 0;
    bool m_wakePending = false;
    std::vector<std::function<void()>> m_tasks;

    // User-interface thread only.
    std::map<HWND, std::unique_ptr<DesktopWindow>> m_windows;
    std::vector<Notice> m_notices;
};

template <class Task> void SdlBackend::onUi(Task task) {
    if (onUiThread(false)) {
        task();
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        if (!m_uiClaimed)
            return; // no user-interface thread yet, so no window to act on
        m_tasks.emplace_back(std::move(task));
    }
    wake();
}

// Set before every SDL_Init: SDL_Quit forgets all hints.
void SetHints();

} // namespace platform::sdl

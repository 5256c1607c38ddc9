// The SDL desktop backend. SDL's video functions are called only on the user-interface thread
// (the first thread that creates a window or pumps events); calls from other threads are
// queued for it and run by its next pumpEvents.
//
// Without a window manager (a bare X server such as Xvfb) maximise and minimise would do
// nothing, so the backend plays the window manager's part: maximise places the window on the
// display's usable bounds, minimise hides it, restore brings back the previous placement, and
// each reports its event as a window manager would.
#include "platform/backend/sdl/sdl_backend.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/backend/sdl/desktop_style.h"
#include "platform/backend/sdl/key_map.h"
#include "platform/backend/sdl/utf8.h"
#include "platform/backend/sdl/x11_desktop.h"
#include "platform/win32/constants.h"

namespace platform {

namespace {

using sdl::ShowAction;

struct Placement {
    int x = 0, y = 0, w = 1, h = 1;
    bool operator==(const Placement&) const = default;
};

Placement PlacementOf(const RECT& r) {
    return {r.left, r.top, std::max<LONG>(1, r.right - r.left), std::max<LONG>(1, r.bottom - r.top)};
}

enum class State { Normal, Maximized, Minimized };

struct DesktopWindow {
    HWND hwnd = nullptr;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
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
    explicit SdlBackend(SIZE screen) : m_screenWidth(screen.cx), m_screenHeight(screen.cy) {}
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
    void present(HWND hwnd, const gdi::Surface& surface) override;
    void pumpEvents(const BackendEvents& events, int timeoutMs) override;
    void wake() override;

private:
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
    Uint32 m_wakeEvent = 0;
    bool m_wakePending = false;
    std::vector<std::function<void()>> m_tasks;

    // User-interface thread only.
    std::map<HWND, std::unique_ptr<DesktopWindow>> m_windows;
    std::vector<Notice> m_notices;
};

SdlBackend::~SdlBackend() {
    std::lock_guard lock(m_mutex);
    if (!m_videoStarted)
        return;
    for (auto& [hwnd, w] : m_windows) {
        if (w->texture)
            SDL_DestroyTexture(w->texture);
        if (w->renderer)
            SDL_DestroyRenderer(w->renderer);
        SDL_DestroyWindow(w->window);
    }
    m_windows.clear();
    m_videoStarted = false;
    SDL_Quit();
}

bool SdlBackend::onUiThread(bool claim) {
    std::lock_guard lock(m_mutex);
    if (!m_uiClaimed && claim) {
        m_uiClaimed = true;
        m_uiThread = std::this_thread::get_id();
    }
    return m_uiClaimed && m_uiThread == std::this_thread::get_id();
}

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
void SetHints() {
    // The last window's close box closes that window only, and a first click on an inactive
    // window counts (a double-click must not lose its first half).
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // Frames are copied 1:1, which the software renderer does as fast as any and on every
    // display, Xvfb included; SDL_RENDER_DRIVER in the environment still chooses another.
    SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_DEFAULT);
}

bool SdlBackend::startVideo() {
    std::lock_guard lock(m_mutex);
    if (m_videoStarted)
        return true;
    SetHints();
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return false;
    m_wakeEvent = SDL_RegisterEvents(1);
    m_videoStarted = true;
    if (m_wakePending && m_wakeEvent != Uint32(-1)) {
        SDL_Event e{};
        e.type = m_wakeEvent;
        SDL_PushEvent(&e);
    }
    return true;
}

void SdlBackend::wake() {
    std::lock_guard lock(m_mutex);
    if (m_wakePending)
        return; // one wake-up in the queue is enough
    m_wakePending = true;
    if (m_videoStarted && m_wakeEvent != Uint32(-1)) {
        SDL_Event e{};
        e.type = m_wakeEvent;
        SDL_PushEvent(&e);
    }
}

DesktopWindow* SdlBackend::find(HWND hwnd) {
    auto it = m_windows.find(hwnd);
    return it == m_windows.end() ? nullptr : it->second.get();
}

DesktopWindow* SdlBackend::findById(Uint32 windowId) {
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    if (!window)
        return nullptr;
    for (auto& [hwnd, w] : m_windows)
        if (w->window == window)
            return w.get();
    return nullptr;
}

void SdlBackend::createWindow(HWND hwnd, const RECT& clientScreen, LONG style,
                              const std::u16string& title) {
    if (!onUiThread(true)) {
        onUi([=, this] { createWindow(hwnd, clientScreen, style, title); });
        return;
    }
    if (!startVideo() || find(hwnd))
        return;
    const Placement p = PlacementOf(clientScreen);
    SDL_Window* window = SDL_CreateWindow(sdl::Utf8FromUtf16(title).c_str(), p.x, p.y, p.w, p.h,
                                          SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (!window)
        return;
    auto w = std::make_unique<DesktopWindow>();
    w->hwnd = hwnd;
    w->window = window;
    w->renderer = SDL_CreateRenderer(window, -1, 0);
    w->known = p;
    w->restorePlacement = p;
    applyStyle(*w, style);
    m_windows[hwnd] = std::move(w);
    if (style & WS_VISIBLE)
        show(hwnd, (style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED : SW_SHOW);
}

void SdlBackend::destroyWindow(HWND hwnd) {
    onUi([=, this] {
        auto it = m_windows.find(hwnd);
        if (it == m_windows.end())
            return;
        DesktopWindow& w = *it->second;
        if (w.texture)
            SDL_DestroyTexture(w.texture);
        if (w.renderer)
            SDL_DestroyRenderer(w.renderer);
        SDL_DestroyWindow(w.window);
        m_windows.erase(it);
    });
}

void SdlBackend::applyStyle(DesktopWindow& w, LONG style) {
    const sdl::DesktopStyle s = sdl::DesktopStyleOf(style);
    SDL_SetWindowBordered(w.window, s.bordered ? SDL_TRUE : SDL_FALSE);
    // A fixed-size window is one whose minimum and maximum sizes agree, and no window manager
    // maximises that; a maximise box therefore keeps the window resizable for the window
    // manager, which is then asked not to offer dragging the frame.
    const bool resizable = s.resizable || s.maximizable;
    SDL_SetWindowResizable(w.window, resizable ? SDL_TRUE : SDL_FALSE);
    sdl::SetFrameFunctions(w.window, s.bordered, s.resizable, s.minimizable, s.maximizable);
}

void SdlBackend::setStyle(HWND hwnd, LONG style) {
    onUi([=, this] {
        if (DesktopWindow* w = find(hwnd))
            applyStyle(*w, style);
    });
}

void SdlBackend::place(DesktopWindow& w, const Placement& p) {
    SDL_SetWindowPosition(w.window, p.x, p.y);
    SDL_SetWindowSize(w.window, p.w, p.h);
}

// Places the window where the backend itself decided and tells the window manager.
void SdlBackend::report(DesktopWindow& w, const Placement& p) {
    place(w, p);
    const Placement before = w.known;
    w.known = p;
    const HWND hwnd = w.hwnd;
    if (before.x != p.x || before.y != p.y)
        m_notices.push_back([=](const BackendEvents& e) {
            if (e.moved)
                e.moved(hwnd, p.x, p.y);
        });
    if (before.w != p.w || before.h != p.h)
        m_notices.push_back([=](const BackendEvents& e) {
            if (e.resized)
                e.resized(hwnd, p.w, p.h);
        });
}

void SdlBackend::notice(HWND hwnd, std::function<void(HWND)> BackendEvents::*which) {
    m_notices.push_back([=](const BackendEvents& e) {
        if (e.*which)
            (e.*which)(hwnd);
    });
}

void SdlBackend::setGeometry(HWND hwnd, const RECT& clientScreen) {
    onUi([=, this] {
        DesktopWindow* w = find(hwnd);
        if (!w)
            return;
        // A window manager keeps a maximised window where it put it; the window has to
        // leave that state before it can be placed (beyond the screen's edges, say).
        if ((SDL_GetWindowFlags(w->window) & SDL_WINDOW_MAXIMIZED) &&
            sdl::HasWindowManager(w->window))
            SDL_RestoreWindow(w->window);
        const Placement p = PlacementOf(clientScreen);
        place(*w, p);
        w->known = p;
    });
}

void SdlBackend::setTitle(HWND hwnd, const std::u16string& title) {
    onUi([=, this] {
        if (DesktopWindow* w = find(hwnd))
            SDL_SetWindowTitle(w->window, sdl::Utf8FromUtf16(title).c_str());
    });
}

void SdlBackend::maximizeByHand(DesktopWindow& w) {
    if (w.state == State::Normal)
        w.restorePlacement = w.known;
    w.state = State::Maximized;
    int display = SDL_GetWindowDisplayIndex(w.window);
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(display < 0 ? 0 : display, &usable) != 0)
        usable = {0, 0, int(m_screenWidth.load()), int(m_screenHeight.load())};
    report(w, {usable.x, usable.y, std::max(1, usable.w), std::max(1, usable.h)});
    SDL_ShowWindow(w.window);
    notice(w.hwnd, &BackendEvents::maximized);
}

void SdlBackend::minimizeByHand(DesktopWindow& w) {
    if (w.state == State::Minimized)
        return;
    w.maximizedBeforeMinimize = w.state == State::Maximized;
    w.state = State::Minimized;
    SDL_HideWindow(w.window);
    notice(w.hwnd, &BackendEvents::minimized);
}

void SdlBackend::restoreByHand(DesktopWindow& w) {
    if (w.state == State::Minimized) {
        // Like a desktop, bring a window back to the placement it had before minimising.
        w.state = w.maximizedBeforeMinimize ? State::Maximized : State::Normal;
        SDL_ShowWindow(w.window);
        notice(w.hwnd, w.state == State::Maximized ? &BackendEvents::maximized
                                                   : &BackendEvents::restored);
        return;
    }
    if (w.state == State::Maximized) {
        w.state = State::Normal;
        report(w, w.restorePlacement);
        notice(w.hwnd, &BackendEvents::restored);
    }
    SDL_ShowWindow(w.window);
}

void SdlBackend::show(HWND hwnd, int showCommand) {
    onUi([=, this] {
        DesktopWindow* w = find(hwnd);
        if (!w)
            return;
        const bool managed = sdl::HasWindowManager(w->window);
        switch (sdl::ShowActionOf(showCommand)) {
        case ShowAction::Hide:
            SDL_HideWindow(w->window);
            break;
        case ShowAction::Show:
            if (managed || w->state != State::Minimized)
                SDL_ShowWindow(w->window);
            break;
        case ShowAction::Maximize:
            if (!managed) {
                maximizeByHand(*w);
                break;
            }
            SDL_ShowWindow(w->window);
            SDL_MaximizeWindow(w->window);
            break;
        case ShowAction::Minimize:
            if (!managed) {
                minimizeByHand(*w);
                break;
            }
            SDL_ShowWindow(w->window);
            SDL_MinimizeWindow(w->window);
            break;
        case ShowAction::Restore:
            if (!managed) {
                restoreByHand(*w);
                break;
            }
            SDL_ShowWindow(w->window);
            SDL_RestoreWindow(w->window);
            break;
        }
    });
}

void SdlBackend::setIcon(HWND hwnd, const gdi::Surface& icon) {
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    {
        std::lock_guard lock(icon.mutex());
        width = icon.width();
        height = icon.height();
        if (width <= 0 || height <= 0 || width > 1024 || height > 1024)
            return;
        pixels.resize(size_t(width) * height);
        for (int y = 0; y < height; ++y)
            std::memcpy(&pixels[size_t(y) * width], icon.row(y), size_t(width) * 4);
    }
    onUi([=, this, pixels = std::move(pixels)]() mutable {
        setIconPixels(hwnd, width, height, std::move(pixels));
    });
}

void SdlBackend::setIconPixels(HWND hwnd, int width, int height, std::vector<uint32_t> pixels) {
    DesktopWindow* w = find(hwnd);
    if (!w)
        return;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        pixels.data(), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface)
        return;
    SDL_SetWindowIcon(w->window, surface);
    SDL_FreeSurface(surface);
}

void SdlBackend::present(HWND hwnd, const gdi::Surface& surface) {
    if (!onUiThread(false))
        return;
    DesktopWindow* w = find(hwnd);
    if (!w || !w->renderer)
        return;
    int width = 0, height = 0;
    {
        std::lock_guard lock(surface.mutex());
        width = surface.width();
        height = surface.height();
        if (width > 0 && height > 0 && (width != w->textureWidth || height != w->textureHeight)) {
            if (w->texture)
                SDL_DestroyTexture(w->texture);
            w->texture = SDL_CreateTexture(w->renderer, SDL_PIXELFORMAT_RGB888,
                                           SDL_TEXTUREACCESS_STREAMING, width, height);
            w->textureWidth = w->texture ? width : 0;
            w->textureHeight = w->texture ? height : 0;
        }
        void* pixels = nullptr;
        int pitch = 0;
        if (w->texture && width > 0 && height > 0 &&
            SDL_LockTexture(w->texture, nullptr, &pixels, &pitch) == 0) {
            for (int y = 0; y < height; ++y)
                std::memcpy(static_cast<uint8_t*>(pixels) + ptrdiff_t(y) * pitch, surface.row(y),
                            size_t(width) * 4);
            SDL_UnlockTexture(w->texture);
        }
    }
    // During a resize the surface may briefly differ from the window: it is shown 1:1 from
    // the top left, the rest black, until the window manager resizes it.
    SDL_SetRenderDrawColor(w->renderer, 0, 0, 0, 255);
    SDL_RenderClear(w->renderer);
    if (w->textureWidth > 0) {
        const SDL_Rect target{0, 0, w->textureWidth, w->textureHeight};
        SDL_RenderCopy(w->renderer, w->texture, nullptr, &target);
    }
    SDL_RenderPresent(w->renderer);
}

void SdlBackend::runQueuedTasks() {
    std::vector<std::function<void()>> tasks;
    {
        std::lock_guard lock(m_mutex);
        tasks.swap(m_tasks);
    }
    for (auto& task : tasks)
        task();
}

void SdlBackend::deliverNotices(const BackendEvents& events) {
    while (!m_notices.empty()) {
        std::vector<Notice> notices;
        notices.swap(m_notices);
        for (auto& n : notices)
            n(events);
    }
}

void SdlBackend::pumpEvents(const BackendEvents& events, int timeoutMs) {
    if (!onUiThread(true) || !startVideo())
        return;
    runQueuedTasks();
    bool delivered = !m_notices.empty();
    deliverNotices(events);
    {
        std::lock_guard lock(m_mutex);
        if (!m_tasks.empty())
            delivered = true;
    }
    SDL_Event event;
    const int timeout = delivered ? 0 : timeoutMs;
    const int got = timeout < 0 ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, timeout);
    if (got) {
        handle(event, events);
        while (SDL_PollEvent(&event))
            handle(event, events);
    }
    runQueuedTasks();
    deliverNotices(events);
}

void SdlBackend::handle(const SDL_Event& e, const BackendEvents& events) {
    if (e.type == m_wakeEvent) {
        std::lock_guard lock(m_mutex);
        m_wakePending = false; // a wake() from now on queues a new wake-up
        return;
    }
    switch (e.type) {
    case SDL_WINDOWEVENT:
        handleWindowEvent(e.window, events);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        DesktopWindow* w = findById(e.button.windowID);
        if (!w || e.button.button != SDL_BUTTON_LEFT)
            break;
        const HWND hwnd = w->hwnd;
        const int x = e.button.x, y = e.button.y;
        // As on Windows, the second press of a pair is a double-click instead of a press.
        if (e.type == SDL_MOUSEBUTTONUP) {
            if (events.buttonUp)
                events.buttonUp(hwnd, x, y);
        } else if (e.button.clicks % 2 == 0) {
            if (events.doubleClicked)
                events.doubleClicked(hwnd, x, y);
        } else if (events.buttonDown) {
            events.buttonDown(hwnd, x, y);
        }
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        DesktopWindow* w = findById(e.key.windowID);
        const UINT vk = sdl::VirtualKeyFromSdl(e.key.keysym.sym);
        if (w && vk && events.key)
            events.key(w->hwnd, vk, e.type == SDL_KEYDOWN);
        break;
    }
    case SDL_QUIT: {
        std::vector<HWND> all;
        for (auto& [hwnd, w] : m_windows)
            all.push_back(hwnd);
        for (HWND hwnd : all)
            if (find(hwnd) && events.closeRequested)
                events.closeRequested(hwnd);
        break;
    }
    case SDL_DISPLAYEVENT: {
        SDL_DisplayMode mode;
        if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
            m_screenWidth = mode.w;
            m_screenHeight = mode.h;
        }
        break;
    }
    default:
        break;
    }
}

void SdlBackend::handleWindowEvent(const SDL_WindowEvent& e, const BackendEvents& events) {
    DesktopWindow* w = findById(e.windowID);
    if (!w)
        return;
    const HWND hwnd = w->hwnd;
    const auto call = [hwnd](const std::function<void(HWND)>& f) {
        if (f)
            f(hwnd);
    };
    switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE:
        call(events.closeRequested);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        if (w->known.w == e.data1 && w->known.h == e.data2)
            break;
        w->known.w = e.data1;
        w->known.h = e.data2;
        if (events.resized)
            events.resized(hwnd, e.data1, e.data2);
        break;
    case SDL_WINDOWEVENT_MOVED:
        if (w->known.x == e.data1 && w->known.y == e.data2)
            break;
        w->known.x = e.data1;
        w->known.y = e.data2;
        if (events.moved)
            events.moved(hwnd, e.data1, e.data2);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        call(events.minimized);
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        call(events.maximized);
        break;
    case SDL_WINDOWEVENT_RESTORED:
        call(events.restored);
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        call(events.exposed);
        break;
    default:
        break;
    }
}

// SDL is started here only to learn whether a display exists; the user-interface thread
// starts it again for good, so that its video functions stay on that thread.
bool ProbeDisplay(SIZE* screen) {
    SetHints();
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    SDL_DisplayMode mode;
    const bool usable = driver && std::strcmp(driver, "dummy") != 0 &&
                        std::strcmp(driver, "offscreen") != 0 &&
                        SDL_GetNumVideoDisplays() > 0 && SDL_GetDesktopDisplayMode(0, &mode) == 0;
    if (usable)
        *screen = {mode.w, mode.h};
    SDL_Quit();
    return usable;
}

} // namespace

std::unique_ptr<Backend> CreateSdlBackend() {
    SIZE screen{};
    if (!ProbeDisplay(&screen))
        return nullptr;
    return std::make_unique<SdlBackend>(screen);
}

} // namespace platform

// Top-level windows on the desktop: creation, frame, placement, title and icon.
//
// Without a window manager (a bare X server such as Xvfb) maximise and minimise would do
// nothing, so the backend plays the window manager's part: maximise places the window on the
// display's usable bounds, minimise hides it, restore brings back the previous placement, and
// each reports its event as a window manager would.
#include "platform/backend/sdl/sdl_desktop.h"

#include <cstring>

#include "platform/backend/sdl/desktop_style.h"
#include "platform/system/utf.h"
#include "platform/backend/sdl/x11_desktop.h"
#include "platform/win32/constants.h"

namespace platform::sdl {

void SdlBackend::createWindow(HWND hwnd, const RECT& clientScreen, LONG style,
                              const std::u16string& title) {
    if (!onUiThread(true)) {
        onUi([=, this] { createWindow(hwnd, clientScreen, style, title); });
        return;
    }
    if (!startVideo() || find(hwnd))
        return;
    const Placement p = PlacementOf(clientScreen);
    SDL_Window* window = SDL_CreateWindow(Utf16ToUtf8(title).c_str(), p.x, p.y, p.w, p.h,
                                          SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (!window)
        return;
    auto w = std::make_unique<DesktopWindow>();
    w->hwnd = hwnd;
    w->window = window;
    // The software renderer would only copy into the window's pixels: presents draw there
    // themselves. Another renderer is used when SDL_RENDER_DRIVER asks for one.
    const char* driver = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
    if (driver == nullptr || SDL_strcasecmp(driver, "software") != 0)
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
            SDL_SetWindowTitle(w->window, Utf16ToUtf8(title).c_str());
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
        notice(w.hwnd,
               w.state == State::Maximized ? &BackendEvents::maximized : &BackendEvents::restored);
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
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), width, height, 32,
                                                              width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface)
        return;
    SDL_SetWindowIcon(w->window, surface);
    SDL_FreeSurface(surface);
}

} // namespace platform::sdl

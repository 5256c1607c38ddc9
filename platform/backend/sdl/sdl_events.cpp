// Waiting for desktop events and handing them to the window manager.
#include "platform/backend/sdl/sdl_desktop.h"

#include "platform/backend/sdl/key_map.h"

namespace platform::sdl {

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
    // The window's pixels may be new ones: the next present copies all of them.
    if (e.event == SDL_WINDOWEVENT_SIZE_CHANGED || e.event == SDL_WINDOWEVENT_SHOWN ||
        e.event == SDL_WINDOWEVENT_EXPOSED || e.event == SDL_WINDOWEVENT_MAXIMIZED ||
        e.event == SDL_WINDOWEVENT_RESTORED)
        w->showAll = true;
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

} // namespace platform::sdl

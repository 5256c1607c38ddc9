#include "platform/backend/headless/headless_backend.h"

#include <chrono>

#include "platform/win32/constants.h"

namespace platform {

HeadlessBackend::HeadlessBackend(int screenWidth, int screenHeight)
    : m_screen{screenWidth, screenHeight} {}

void HeadlessBackend::createWindow(HWND hwnd, const RECT& clientScreen, LONG style,
                                   const std::u16string& title) {
    std::lock_guard lock(m_mutex);
    WindowState& s = m_windows[hwnd];
    s = WindowState{};
    s.clientScreen = clientScreen;
    s.style = style;
    s.title = title;
}

void HeadlessBackend::destroyWindow(HWND hwnd) {
    std::lock_guard lock(m_mutex);
    m_windows[hwnd].destroyed = true;
    m_windows[hwnd].shown = false;
}

void HeadlessBackend::setStyle(HWND hwnd, LONG style) {
    std::lock_guard lock(m_mutex);
    m_windows[hwnd].style = style;
}

void HeadlessBackend::setGeometry(HWND hwnd, const RECT& clientScreen) {
    std::lock_guard lock(m_mutex);
    m_windows[hwnd].clientScreen = clientScreen;
}

void HeadlessBackend::setTitle(HWND hwnd, const std::u16string& title) {
    std::lock_guard lock(m_mutex);
    m_windows[hwnd].title = title;
}

void HeadlessBackend::show(HWND hwnd, int showCommand) {
    std::lock_guard lock(m_mutex);
    WindowState& s = m_windows[hwnd];
    s.lastShowCommand = showCommand;
    s.shown = showCommand != SW_HIDE;
}

void HeadlessBackend::setIcon(HWND hwnd, const gdi::Surface& icon) {
    std::lock_guard lock(m_mutex);
    m_windows[hwnd].iconWidth = icon.width();
    m_windows[hwnd].iconHeight = icon.height();
}

void HeadlessBackend::present(HWND hwnd, gdi::Surface& surface) {
    {
        // Nothing to upload here, but the drawn box is the presenter's to clear.
        std::lock_guard pixels(surface.mutex());
        surface.takeDrawn();
    }
    std::lock_guard lock(m_mutex);
    WindowState& s = m_windows[hwnd];
    ++s.presents;
    s.presentedVersion = surface.version();
}

void HeadlessBackend::pumpEvents(const BackendEvents& events, int timeoutMs) {
    std::deque<std::function<void(const BackendEvents&)>> due;
    {
        std::unique_lock lock(m_mutex);
        m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0),
                      [&] { return m_woken || !m_events.empty(); });
        m_woken = false;
        due.swap(m_events);
    }
    for (auto& event : due)
        event(events);
}

void HeadlessBackend::wake() {
    {
        std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    m_cv.notify_all();
}

HeadlessBackend::WindowState HeadlessBackend::state(HWND hwnd) const {
    std::lock_guard lock(m_mutex);
    auto it = m_windows.find(hwnd);
    return it == m_windows.end() ? WindowState{} : it->second;
}

void HeadlessBackend::inject(std::function<void(const BackendEvents&)> event) {
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }
    m_cv.notify_all();
}

void HeadlessBackend::injectClose(HWND hwnd) {
    inject([hwnd](const BackendEvents& e) { e.closeRequested(hwnd); });
}

void HeadlessBackend::injectDoubleClick(HWND hwnd, int x, int y) {
    inject([=](const BackendEvents& e) { e.doubleClicked(hwnd, x, y); });
}

void HeadlessBackend::injectKey(HWND hwnd, UINT virtualKey, bool down) {
    inject([=](const BackendEvents& e) { e.key(hwnd, virtualKey, down); });
}

void HeadlessBackend::injectResize(HWND hwnd, int clientWidth, int clientHeight) {
    inject([=](const BackendEvents& e) { e.resized(hwnd, clientWidth, clientHeight); });
}

std::unique_ptr<Backend> CreateHeadlessBackend(int screenWidth, int screenHeight) {
    return std::make_unique<HeadlessBackend>(screenWidth, screenHeight);
}

} // namespace platform

// The SDL desktop backend: its threads, SDL's start and end, and the choice whether a desktop
// exists at all.
#include "platform/backend/sdl/sdl_backend.h"
#include "platform/backend/sdl/display_loss.h"
#include "platform/backend/sdl/sdl_desktop.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace platform {
namespace sdl {

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

// What SDL itself logs (errors only, by default) reaches standard error as the program's own
// lines do, each starting "vistrel: ".
void LogToStandardError(void*, int, SDL_LogPriority, const char* message) {
    const std::string line = std::string("vistrel: SDL: ") + (message ? message : "") + "\n";
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, line.data(), line.size());
}

// Set before every SDL_Init: SDL_Quit forgets all hints.
void SetHints() {
    SDL_LogSetOutputFunction(LogToStandardError, nullptr);
    // The last window's close box closes that window only, and a first click on an inactive
    // window counts (a double-click must not lose its first half).
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // Frames are copied 1:1, which the window's own pixels take as fast as any renderer and
    // on every display, Xvfb included (the software renderer stands for them, see
    // sdl_present.cpp); SDL_RENDER_DRIVER in the environment still chooses a renderer.
    SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_DEFAULT);
    // ...and it writes straight to the X server, not through an OpenGL window texture.
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    // Without a Wayland display only X11 can answer; trying Wayland too would only have its
    // client library complain on standard error (about XDG_RUNTIME_DIR, say). SDL_VIDEODRIVER
    // in the environment still chooses.
    if (!std::getenv("WAYLAND_DISPLAY"))
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_DEFAULT);
}

// On the user-interface thread. SDL's video stays on the thread that started it: the probe's
// start is kept when the probe ran here (the program's main thread, as a rule), and made again
// here otherwise.
bool SdlBackend::startVideo() {
    std::lock_guard lock(m_mutex);
    if (m_videoStarted && m_videoThread != std::this_thread::get_id()) {
        SDL_Quit();
        m_videoStarted = false;
    }
    if (!m_videoStarted) {
        SetHints();
        if (SDL_Init(SDL_INIT_VIDEO) != 0)
            return false;
        EndProcessOnDisplayLoss(); // again: SDL's start must not have replaced it
        m_videoStarted = true;
        m_videoThread = std::this_thread::get_id();
    }
    if (m_wakeRegistered)
        return true;
    m_wakeEvent = SDL_RegisterEvents(1);
    m_wakeRegistered = true;
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
    if (m_wakeRegistered && m_wakeEvent != Uint32(-1)) {
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

void SdlBackend::runQueuedTasks() {
    std::vector<std::function<void()>> tasks;
    {
        std::lock_guard lock(m_mutex);
        tasks.swap(m_tasks);
    }
    for (auto& task : tasks)
        task();
}

namespace {

// Starts SDL to learn whether a display exists, and leaves it started when one does: the
// user-interface thread keeps it if it is this thread, else starts it again on itself. (Each
// start opens X connections, asks for their extensions and opens an input method: a second
// one on the same thread would only delay the window.)
bool ProbeDisplay(SIZE* screen, std::string* why) {
    SetHints();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        // SDL's words for an X11 driver that found no display to talk to.
        const std::string error = SDL_GetError();
        *why = error == "x11 not available" ? "no X server accepts a connection there" : error;
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    SDL_DisplayMode mode;
    const bool usable = driver && std::strcmp(driver, "dummy") != 0 &&
                        std::strcmp(driver, "offscreen") != 0 && SDL_GetNumVideoDisplays() > 0 &&
                        SDL_GetDesktopDisplayMode(0, &mode) == 0;
    if (usable) {
        *screen = {mode.w, mode.h};
        EndProcessOnDisplayLoss(); // again: SDL's start must not have replaced it
        return true;
    }
    *why = driver ? std::string("SDL's video driver \"") + driver + "\" has no screen"
                  : std::string(SDL_GetError());
    SDL_Quit();
    return false;
}

} // namespace
} // namespace sdl

std::unique_ptr<Backend> CreateSdlBackend(std::string* why) {
    sdl::EndProcessOnDisplayLoss();
    SIZE screen{};
    std::string reason;
    if (!sdl::ProbeDisplay(&screen, &reason)) {
        if (why)
            *why = reason;
        return nullptr;
    }
    return std::make_unique<sdl::SdlBackend>(screen, std::this_thread::get_id());
}

} // namespace platform

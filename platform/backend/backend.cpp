// Which desktop backend is in use.
#include "platform/backend/backend.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#if __has_include("platform/backend/sdl/sdl_backend.h")
#include "platform/backend/sdl/sdl_backend.h"
#define VISTREL_HAVE_SDL_BACKEND 1
#endif

namespace platform {
namespace {

std::atomic<Backend*> g_backend{nullptr};
std::mutex g_backendMutex;

// Replaced backends are kept: another thread may still be inside wake() on one.
std::vector<std::unique_ptr<Backend>>& Backends() {
    static auto* backends = new std::vector<std::unique_ptr<Backend>>;
    return *backends;
}

// Why ChooseBackend fell back to headless; guarded by g_backendMutex.
std::string g_displayProblem;

// The display the user meant, in the words of the complaint about it.
std::string DisplayNamed() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* value = std::getenv(variable); value && *value)
            return std::string("the display \"") + value + "\"";
    return "a display";
}

std::unique_ptr<Backend> ChooseBackend() {
    const char* choice = std::getenv("VISTREL_BACKEND");
    const bool wantHeadless = choice && std::strcmp(choice, "headless") == 0;
    g_displayProblem.clear();
    if (wantHeadless)
        return CreateHeadlessBackend();
    std::string why = "neither DISPLAY nor WAYLAND_DISPLAY is set";
#ifdef VISTREL_HAVE_SDL_BACKEND
    const bool wantSdl = choice && std::strcmp(choice, "sdl") == 0;
    const bool haveDisplay = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    if (wantSdl || haveDisplay) {
        if (auto sdl = CreateSdlBackend(&why))
            return sdl;
    }
#else
    why = "this build has no desktop backend";
#endif
    g_displayProblem = "cannot open " + DisplayNamed() + " (" + why + ")";
    return CreateHeadlessBackend();
}

Backend* Install(std::unique_ptr<Backend> backend) {
    Backend* raw = backend.get();
    Backends().push_back(std::move(backend));
    g_backend.store(raw, std::memory_order_release);
    return raw;
}

} // namespace

Backend& CurrentBackend() {
    if (Backend* backend = g_backend.load(std::memory_order_acquire))
        return *backend;
    std::lock_guard lock(g_backendMutex);
    if (Backend* backend = g_backend.load(std::memory_order_acquire))
        return *backend;
    return *Install(ChooseBackend());
}

void SetBackend(std::unique_ptr<Backend> backend) {
    if (!backend)
        backend = CreateHeadlessBackend();
    std::lock_guard lock(g_backendMutex);
    g_displayProblem.clear();
    Install(std::move(backend));
}

void PrepareDesktopEnvironment() {
#ifdef VISTREL_HAVE_SDL_BACKEND
    // SDL's start opens an X input method, for which Xlib reads the locale's whole compose
    // table (thousands of dead-key and Multi_key sequences): most of SDL's start-up, and
    // nothing the viewer uses, as it takes no text input. An empty table instead.
    setenv("XCOMPOSEFILE", "/dev/null", 0);
#endif
}

std::string DisplayProblem() {
    CurrentBackend();
    std::lock_guard lock(g_backendMutex);
    return g_displayProblem;
}

} // namespace platform

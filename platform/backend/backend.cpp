// Which desktop backend is in use.
#include "platform/backend/backend.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
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

std::unique_ptr<Backend> ChooseBackend() {
    const char* choice = std::getenv("VISTREL_BACKEND");
    const bool wantHeadless = choice && std::strcmp(choice, "headless") == 0;
#ifdef VISTREL_HAVE_SDL_BACKEND
    const bool wantSdl = choice && std::strcmp(choice, "sdl") == 0;
    const bool haveDisplay = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    if (!wantHeadless && (wantSdl || haveDisplay))
        if (auto sdl = CreateSdlBackend())
            return sdl;
#else
    (void)wantHeadless;
#endif
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
    Install(std::move(backend));
}

} // namespace platform

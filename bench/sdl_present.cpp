// How long the desktop backend takes to show one frame-sized surface (upload and render).
// Needs a display: scripts/with-display --private build/bench/sdl_present
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/backend/sdl/sdl_backend.h"
#include "platform/gdi/surface.h"
#include "platform/win32/constants.h"

namespace {

void Present(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    auto backend = std::getenv("DISPLAY") ? platform::CreateSdlBackend() : nullptr;
    if (!backend) {
        state.SkipWithError("no display");
        return;
    }
    const HWND hwnd = reinterpret_cast<HWND>(uintptr_t(1));
    backend->createWindow(hwnd, {0, 0, width, height}, WS_POPUP, u"present");
    backend->show(hwnd, SW_SHOW);
    platform::gdi::Surface surface(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            surface.row(y)[x] = uint32_t(x * 0x010203 + y);
    platform::BackendEvents events;
    for (auto _ : state) {
        backend->present(hwnd, surface);
        backend->pumpEvents(events, 0);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * int64_t(width) * height * 4);
}
BENCHMARK(Present)
    ->Args({640, 480})
    ->Args({1280, 720})
    ->Args({1280, 800})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// How long the desktop backend takes to show a frame-sized surface (upload and render) when
// all of it was drawn since the last present, and when only a part was: a present uploads
// only the drawn box. Needs a display; alternated and repeated, one core:
//   scripts/with-display --private taskset -c 1 build-rel/bench/sdl_present
//     --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "platform/backend/sdl/sdl_backend.h"
#include "platform/gdi/surface.h"
#include "platform/win32/constants.h"

namespace {

// Arguments: the surface's width and height, then the drawn box's (at the centre).
void Present(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    const int drawnWidth = int(state.range(2)), drawnHeight = int(state.range(3));
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
    const int64_t left = (width - drawnWidth) / 2, top = (height - drawnHeight) / 2;
    const platform::gdi::PixelBox drawn{left, top, left + drawnWidth, top + drawnHeight};
    platform::BackendEvents events;
    backend->present(hwnd, surface);
    for (auto _ : state) {
        {
            std::lock_guard lock(surface.mutex());
            surface.addDrawn(drawn);
        }
        backend->present(hwnd, surface);
        backend->pumpEvents(events, 0);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * int64_t(drawnWidth) * drawnHeight * 4);
}
BENCHMARK(Present)
    ->ArgNames({"w", "h", "drawn_w", "drawn_h"})
    ->Args({1280, 720, 1280, 720}) // a whole frame drawn
    ->Args({1280, 720, 1152, 648}) // the video area of a window with margins
    ->Args({1280, 720, 320, 240})  // a part: a control repainted
    ->Args({1280, 720, 200, 16})   // a list box line
    ->Args({640, 480, 640, 480})
    ->ComputeStatistics("min",
                        [](const std::vector<double>& v) {
                            return *std::min_element(v.begin(), v.end());
                        })
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

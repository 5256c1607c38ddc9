// Two threads drawing into one surface through DCs of their own, as the frame pump and the
// user-interface thread do with the video area.
#include <atomic>
#include <chrono>
#include <thread>

#include "gdi_test_support.h"
#include "platform/gdi/target.h"

using namespace gdi_test;
using platform::gdi::DrawTarget;
using platform::gdi::Surface;

namespace {

bool Uniform(const Surface& surface, uint32_t& colour) {
    colour = surface.row(0)[0];
    for (int y = 0; y < surface.height(); ++y)
        for (int x = 0; x < surface.width(); ++x)
            if (surface.row(y)[x] != colour)
                return false;
    return true;
}

} // namespace

TEST(Concurrency, EachDrawingIsWholeAndTheLastOneWins) {
    auto surface = std::make_shared<Surface>(64, 48);
    HWND video = reinterpret_cast<HWND>(7);
    platform::gdi::SetWindowTargetResolver(
        [&](HWND hwnd, DrawTarget& out) {
            if (hwnd != video)
                return false;
            out = DrawTarget{surface, {0, 0}, {0, 0, 64, 48}};
            return true;
        },
        nullptr);

    // One uniform picture per thread, each drawn over the whole surface, in every path.
    DibPixels red(32, 24, 24), blue(200, 150, 32);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x)
            red.set(x, y, Rgb(255, 0, 0));
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x)
            blue.set(x, y, Rgb(0, 0, 255));
    DibInfo redInfo = DibInfo::Make(32, -24, 24), blueInfo = DibInfo::Make(200, 150, 32);

    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::thread watcher([&] {
        while (!stop.load()) {
            std::lock_guard<std::mutex> lock(surface->mutex());
            uint32_t colour;
            if (!Uniform(*surface, colour))
                ++torn;
        }
    });
    auto painter = [&](const DibPixels& pixels, const DibInfo& info) {
        for (int i = 0; i < 150; ++i) {
            HDC dc = GetDC(video);
            SetStretchBltMode(dc, i % 3 == 0 ? COLORONCOLOR : HALFTONE);
            if (i % 5 == 4)
                SetDIBitsToDevice(dc, 0, 0, 64, 48, 0, 0, 0, 24, pixels.data(), info.get(), 0);
            StretchDIBits(dc, 0, 0, 64, 48, 0, 0, pixels.width, pixels.height, pixels.data(),
                          info.get(), DIB_RGB_COLORS, SRCCOPY);
            ReleaseDC(video, dc);
        }
    };
    // The first drawing makes the surface uniform; from then on every state is.
    {
        HDC dc = GetDC(video);
        StretchDIBits(dc, 0, 0, 64, 48, 0, 0, 32, 24, red.data(), redInfo.get(), 0, SRCCOPY);
        ReleaseDC(video, dc);
    }
    const uint64_t before = surface->version();
    std::thread a(painter, std::cref(red), std::cref(redInfo));
    std::thread b(painter, std::cref(blue), std::cref(blueInfo));
    a.join();
    b.join();
    stop = true;
    watcher.join();
    platform::gdi::SetWindowTargetResolver(nullptr, nullptr);

    EXPECT_EQ(torn.load(), 0);
    uint32_t colour;
    EXPECT_TRUE(Uniform(*surface, colour));
    EXPECT_TRUE(colour == Rgb(255, 0, 0) || colour == Rgb(0, 0, 255)) << std::hex << colour;
    EXPECT_GE(surface->version() - before, 300u);
}

TEST(Concurrency, ResizingASurfaceWhileDrawingIsSafe) {
    auto surface = std::make_shared<Surface>(50, 40);
    HWND window = reinterpret_cast<HWND>(8);
    platform::gdi::SetWindowTargetResolver(
        [&](HWND hwnd, DrawTarget& out) {
            out = DrawTarget{surface, {0, 0}, {0, 0, 100, 80}};
            return hwnd == window;
        },
        nullptr);
    DibPixels picture(120, 90, 24);
    DibInfo info = DibInfo::Make(120, -90, 24);
    std::atomic<bool> stop{false};
    std::thread painter([&] {
        while (!stop.load()) {
            HDC dc = GetDC(window);
            SetStretchBltMode(dc, HALFTONE);
            StretchDIBits(dc, 0, 0, 100, 80, 0, 0, 120, 90, picture.data(), info.get(), 0, SRCCOPY);
            ReleaseDC(window, dc);
        }
    });
    for (int i = 0; i < 200; ++i)
        surface->resize(20 + i % 80, 10 + i % 70);
    stop = true;
    painter.join();
    platform::gdi::SetWindowTargetResolver(nullptr, nullptr);
}

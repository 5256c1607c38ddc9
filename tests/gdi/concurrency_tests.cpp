// Two threads drawing into a child window's area through DCs of their own, as the frame pump
// and the user-interface thread do with the video area.
#include <atomic>
#include <thread>

#include "gdi_test_support.h"
#include "platform/gdi/target.h"

using namespace gdi_test;
using platform::gdi::DrawTarget;
using platform::gdi::Surface;

TEST(Concurrency, EachDrawingIsWholeClippedAndTheLastOneWinsEvenWhileResizing) {
    auto surface = std::make_shared<Surface>(80, 60), other = std::make_shared<Surface>(50, 40);
    const HWND video = reinterpret_cast<HWND>(7), resized = reinterpret_cast<HWND>(8);
    platform::gdi::SetWindowTargetResolver(
        [&](HWND hwnd, DrawTarget& out) {
            // The resized window's client area may be larger than its surface.
            out = hwnd == video ? DrawTarget{surface, {8, 6}, {8, 6, 72, 54}}
                                : DrawTarget{other, {0, 0}, {0, 0, 100, 80}};
            return hwnd == video || hwnd == resized;
        },
        nullptr);
    const DibPixels red(100, 80, 24, Rgb(255, 0, 0)), blue(200, 150, 32, 255);
    const DibInfo redInfo(100, -80, 24), blueInfo(200, 150, 32);
    // Each drawing (SetDIBitsToDevice included) overshoots the client area on every side.
    auto paint = [&](HWND hwnd, const DibPixels& pixels, const DibInfo& info, int i) {
        HDC dc = GetDC(hwnd);
        SetStretchBltMode(dc, i % 3 == 0 ? COLORONCOLOR : HALFTONE);
        SetDIBitsToDevice(dc, -9, -7, 90, 70, 0, 0, 0, pixels.height, pixels.data(), info.get(), 0);
        StretchDIBits(dc, -9, -7, 90, 70, 0, 0, pixels.width, pixels.height, pixels.data(),
                      info.get(), 0, SRCCOPY);
        ReleaseDC(hwnd, dc);
    };
    paint(video, red, redInfo, 0); // from now on every state is uniform
    // The one colour of the client area (8, 6)-(72, 54), all outside it black; else kTorn.
    const uint32_t kTorn = 0xFF000000;
    auto clientColour = [&] {
        const uint32_t colour = surface->row(6)[8];
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 80; ++x)
                if (surface->row(y)[x] != (x >= 8 && x < 72 && y >= 6 && y < 54 ? colour : 0u))
                    return kTorn;
        return colour;
    };

    std::atomic<int> torn{0}, stop{0};
    std::thread watcher([&] {
        for (int i = 0; !stop.load(); ++i) {
            other->resize(20 + i % 80, 10 + i % 70);
            std::lock_guard<std::mutex> lock(surface->mutex());
            torn += clientColour() == kTorn;
        }
    });
    auto painter = [&](const DibPixels* pixels, const DibInfo* info) {
        for (int i = 0; i < 300; ++i)
            paint(i % 2 ? resized : video, *pixels, *info, i / 2);
    };
    std::thread a(painter, &red, &redInfo), b(painter, &blue, &blueInfo);
    a.join();
    b.join();
    stop = 1;
    watcher.join();

    EXPECT_EQ(torn.load(), 0);
    const uint32_t colour = clientColour();
    EXPECT_TRUE(colour == Rgb(255, 0, 0) || colour == Rgb(0, 0, 255)) << std::hex << colour;
    EXPECT_GE(surface->version(), 300u) << "both painters drew";

    platform::gdi::SetWindowTargetResolver(nullptr, nullptr);
}

// Memory and window device contexts: handles, bitmaps, pixels, modes.
#include <atomic>
#include <thread>

#include "gdi_test_support.h"
#include "platform/gdi/target.h"

using namespace gdi_test;
using platform::gdi::DrawTarget;
using platform::gdi::Surface;

TEST(MemoryDC, SelectObjectSwapsBitmapsAndReturnsThePreviousOne) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    DibInfo info = DibInfo::Make(4, -3, 32);
    void* bitsA = nullptr;
    void* bitsB = nullptr;
    HBITMAP a = CreateDIBSection(dc, info.get(), DIB_RGB_COLORS, &bitsA, nullptr, 0);
    HBITMAP b = CreateDIBSection(dc, info.get(), DIB_RGB_COLORS, &bitsB, nullptr, 0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(bitsA, nullptr);
    ASSERT_NE(bitsA, bitsB);

    HGDIOBJ stock = SelectObject(dc, a);
    EXPECT_NE(stock, nullptr);
    EXPECT_EQ(SelectObject(dc, b), a);
    EXPECT_EQ(SelectObject(dc, stock), b);

    // A bitmap lives in one DC at a time and cannot be deleted while selected.
    HDC other = CreateCompatibleDC(dc);
    EXPECT_NE(SelectObject(dc, a), nullptr);
    EXPECT_EQ(SelectObject(other, a), nullptr);
    EXPECT_FALSE(DeleteObject(a));
    SelectObject(dc, stock);
    EXPECT_TRUE(DeleteObject(a));
    EXPECT_FALSE(DeleteObject(a));
    EXPECT_EQ(SelectObject(dc, a), nullptr); // stale handle

    EXPECT_TRUE(DeleteObject(b));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteDC(other));
    EXPECT_FALSE(DeleteDC(dc));
}

TEST(MemoryDC, DibSectionExposesWin32RowLayout) {
    HDC dc = CreateCompatibleDC(nullptr);
    for (int height : {-3, 3}) {
        DibInfo info = DibInfo::Make(5, height, 32);
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(bitmap, nullptr);
        BITMAP description{};
        EXPECT_EQ(GetObjectW(bitmap, sizeof(description), &description), int(sizeof(BITMAP)));
        EXPECT_EQ(description.bmWidth, 5);
        EXPECT_EQ(description.bmHeight, 3);
        EXPECT_EQ(description.bmWidthBytes, 20);
        EXPECT_EQ(description.bmBitsPixel, 32);
        EXPECT_EQ(description.bmBits, bits);
        EXPECT_EQ(GetObjectW(bitmap, 4, &description), 0);

        HGDIOBJ old = SelectObject(dc, bitmap);
        auto* words = static_cast<uint32_t*>(bits);
        EXPECT_EQ(words[0], 0u) << "a new section is black";
        words[1] = Rgb(10, 20, 30); // first row in memory: top for top-down, bottom otherwise
        const int y = height < 0 ? 0 : 2;
        EXPECT_EQ(GetPixel(dc, 1, y), RGB(10, 20, 30));
        EXPECT_EQ(SetPixel(dc, 4, y, RGB(1, 2, 3)), RGB(1, 2, 3));
        EXPECT_EQ(words[4], Rgb(1, 2, 3));
        EXPECT_EQ(GetPixel(dc, 5, 0), CLR_INVALID);
        EXPECT_EQ(GetPixel(dc, -1, 0), CLR_INVALID);
        EXPECT_EQ(GetPixel(dc, 0, 3), CLR_INVALID);
        EXPECT_EQ(SetPixel(dc, 0, -1, RGB(1, 1, 1)), CLR_INVALID);
        SelectObject(dc, old);
        DeleteObject(bitmap);
    }
    DeleteDC(dc);
}

TEST(MemoryDC, CreateDIBSectionRefusesWhatItCannotHold) {
    void* bits = reinterpret_cast<void*>(1);
    DibInfo info = DibInfo::Make(0, 4, 32);
    EXPECT_EQ(CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
    info = DibInfo::Make(4, 0, 32);
    EXPECT_EQ(CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    info = DibInfo::Make(100000, 100000, 32);
    EXPECT_EQ(CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
}

TEST(DeviceContext, StretchModeDefaultsToBlackOnWhiteAndReturnsThePreviousMode) {
    MemoryCanvas canvas(2, 2);
    EXPECT_EQ(GetStretchBltMode(canvas.dc()), BLACKONWHITE);
    EXPECT_EQ(SetStretchBltMode(canvas.dc(), HALFTONE), BLACKONWHITE);
    EXPECT_EQ(SetStretchBltMode(canvas.dc(), COLORONCOLOR), HALFTONE);
    EXPECT_EQ(SetStretchBltMode(canvas.dc(), 0), 0);
    EXPECT_EQ(SetStretchBltMode(canvas.dc(), 5), 0);
    EXPECT_EQ(GetStretchBltMode(canvas.dc()), COLORONCOLOR);
    EXPECT_EQ(SetStretchBltMode(nullptr, HALFTONE), 0);
    EXPECT_EQ(GetStretchBltMode(reinterpret_cast<HDC>(0x1234)), 0);
}

namespace {

// A window manager in miniature: window 1 is a top-level window over the whole surface,
// window 2 a child whose client area is (10, 5)-(30, 20) on it.
struct TestWindows {
    std::shared_ptr<Surface> surface = std::make_shared<Surface>(40, 30);
    std::atomic<int> drawn{0};
    HWND top = reinterpret_cast<HWND>(1);
    HWND child = reinterpret_cast<HWND>(2);

    TestWindows() {
        platform::gdi::SetWindowTargetResolver(
            [this](HWND hwnd, DrawTarget& out) {
                if (hwnd == top) {
                    out = DrawTarget{surface, {0, 0}, {0, 0, 40, 30}};
                    return true;
                }
                if (hwnd == child) {
                    out = DrawTarget{surface, {10, 5}, {10, 5, 30, 20}};
                    return true;
                }
                return false;
            },
            [this](HWND) { ++drawn; });
    }
    ~TestWindows() { platform::gdi::SetWindowTargetResolver(nullptr, nullptr); }
};

} // namespace

TEST(WindowDC, ChildDCDrawsInItsClientAreaOnly) {
    TestWindows windows;
    HDC dc = GetDC(windows.child);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(WindowFromDC(dc), windows.child);
    RECT clip{};
    EXPECT_EQ(platform::gdi::SurfaceOfDC(dc, &clip), windows.surface);
    EXPECT_EQ(clip.left, 10);
    EXPECT_EQ(clip.bottom, 20);

    SetBkColor(dc, RGB(255, 0, 0));
    RECT everything{-100, -100, 100, 100};
    EXPECT_TRUE(ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &everything, nullptr, 0, nullptr));
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inside = x >= 10 && x < 30 && y >= 5 && y < 20;
            ASSERT_EQ(windows.surface->row(y)[x], inside ? Rgb(255, 0, 0) : 0u) << x << "," << y;
        }
    EXPECT_EQ(SetPixel(dc, 0, 0, RGB(0, 0, 9)), RGB(0, 0, 9)); // client (0, 0)
    EXPECT_EQ(windows.surface->row(5)[10], Rgb(0, 0, 9));
    EXPECT_EQ(GetPixel(dc, 20, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(dc, -1, 0), CLR_INVALID);

    EXPECT_EQ(ReleaseDC(windows.top, dc), 0) << "released to the wrong window";
    EXPECT_EQ(windows.drawn.load(), 0);
    EXPECT_EQ(ReleaseDC(windows.child, dc), 1);
    EXPECT_EQ(windows.drawn.load(), 1);
    EXPECT_EQ(ReleaseDC(windows.child, dc), 0);
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
}

TEST(WindowDC, UnknownWindowsGetNoDC) {
    TestWindows windows;
    EXPECT_EQ(GetDC(reinterpret_cast<HWND>(99)), nullptr);
    EXPECT_EQ(GetDC(nullptr), nullptr);
    HDC memory = CreateCompatibleDC(nullptr);
    EXPECT_EQ(WindowFromDC(memory), nullptr);
    EXPECT_EQ(ReleaseDC(nullptr, memory), 0);
    DeleteDC(memory);
}

TEST(WindowDC, GetAndReleaseFromManyThreads) {
    TestWindows windows;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&windows, t] {
            for (int i = 0; i < 200; ++i) {
                HDC dc = GetDC(t % 2 ? windows.top : windows.child);
                SetPixel(dc, t, 0, RGB(t, 0, 0));
                ReleaseDC(t % 2 ? windows.top : windows.child, dc);
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(windows.drawn.load(), 800);
}

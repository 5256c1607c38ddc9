// Solid fills through ExtTextOutW's opaque background, and icons.
#include "gdi_test_support.h"
#include "platform/gdi/target.h"

using namespace gdi_test;

TEST(SolidFill, OpaqueTextBackgroundFillsTheRectangleInTheBackgroundColour) {
    MemoryCanvas canvas(6, 5);
    EXPECT_EQ(SetBkColor(canvas.dc(), RGB(0, 128, 255)), RGB(255, 255, 255)) << "default white";
    RECT rect{1, 1, 4, 3};
    EXPECT_TRUE(ExtTextOutW(canvas.dc(), 0, 0, ETO_OPAQUE, &rect, u"ignored", 7, nullptr));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
            ASSERT_EQ(canvas.at(x, y), inside ? Rgb(0, 128, 255) : 0u) << x << "," << y;
        }
    // Without ETO_OPAQUE nothing is painted (text is not rendered).
    SetBkColor(canvas.dc(), RGB(9, 9, 9));
    RECT all{0, 0, 6, 5};
    EXPECT_TRUE(ExtTextOutW(canvas.dc(), 0, 0, 0, &all, u"x", 1, nullptr));
    EXPECT_EQ(canvas.at(0, 0), 0u);
    // A reversed rectangle is its ordered form, clipped to the bitmap.
    RECT reversed{8, 7, 5, 4};
    EXPECT_TRUE(ExtTextOutW(canvas.dc(), 0, 0, ETO_OPAQUE, &reversed, nullptr, 0, nullptr));
    EXPECT_EQ(canvas.at(5, 4), Rgb(9, 9, 9));
    EXPECT_EQ(canvas.at(4, 4), 0u);
}

TEST(Icons, DrawIconBlendsByAlphaAtItsOwnSize) {
    const uint32_t pixels[] = {0xFF102030, 0x00FFFFFF, 0x80FF0000, 0xFF000000};
    HICON icon = platform::gdi::CreateIconFromPixels(2, 2, pixels);
    ASSERT_NE(icon, nullptr);
    auto copy = platform::gdi::IconPixels(icon);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->row(1)[0], 0x80FF0000u);

    MemoryCanvas canvas(3, 3);
    canvas.fill(Rgb(0, 0, 200));
    EXPECT_TRUE(DrawIcon(canvas.dc(), 1, 1, icon));
    EXPECT_EQ(canvas.at(0, 0), Rgb(0, 0, 200));
    EXPECT_EQ(canvas.at(1, 1), 0x102030u);
    EXPECT_EQ(canvas.at(2, 1), Rgb(0, 0, 200)) << "transparent";
    EXPECT_EQ(canvas.at(1, 2), Rgb(128, 0, 100)) << "half";
    EXPECT_EQ(canvas.at(2, 2), 0u);
    // Clipped at the bitmap's edge.
    EXPECT_TRUE(DrawIcon(canvas.dc(), -1, -1, icon));
    EXPECT_EQ(canvas.at(0, 0), 0u);

    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DestroyIcon(icon));
    EXPECT_FALSE(DrawIcon(canvas.dc(), 0, 0, icon));
    EXPECT_EQ(platform::gdi::IconPixels(icon), nullptr);
    EXPECT_EQ(platform::gdi::CreateIconFromPixels(0, 2, pixels), nullptr);
    EXPECT_EQ(platform::gdi::CreateIconFromPixels(2, 2, nullptr), nullptr);
}

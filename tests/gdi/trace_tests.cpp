// The call trace other tests read to check which GDI calls a drawing made.
#include "gdi_test_support.h"
#include "platform/gdi/trace.h"

using namespace gdi_test;

TEST(GdiTrace, RecordsEachCallWithItsArgumentsInOrder) {
    MemoryCanvas canvas(4, 4);
    HDC dc = canvas.dc();
    const DibPixels pixels(2, 2, 24);
    const DibInfo info(2, -2, 24);
    const HWND nowhere = reinterpret_cast<HWND>(0x55);
    const RECT reversed{3, 1, 1, 3};
    std::vector<platform::gdi::GdiCall> trace;
    platform::gdi::SetGdiTrace(&trace);
    SetStretchBltMode(dc, HALFTONE);
    StretchDIBits(dc, 1, 2, 3, -4, 5, 6, 7, 8, pixels.data(), info.get(), 0, SRCCOPY);
    SetDIBitsToDevice(dc, -1, 2, 3, 4, 5, 6, 7, 8, pixels.data(), info.get(), 0);
    EXPECT_EQ(SetBkColor(dc, RGB(1, 2, 3)), RGB(255, 255, 255)) << "default white";
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &reversed, u"x", 1, nullptr);
    ReleaseDC(nowhere, GetDC(nowhere));
    platform::gdi::SetGdiTrace(nullptr);
    SetStretchBltMode(dc, COLORONCOLOR); // not recorded any more

    const std::vector<std::pair<std::string, std::vector<long>>> expected = {
        {"SetStretchBltMode", {HALFTONE}},
        {"StretchDIBits", {1, 2, 3, -4, 5, 6, 7, 8, 0, SRCCOPY}},
        {"SetDIBitsToDevice", {-1, 2, 3, 4, 5, 6, 7, 8, 0}},
        {"SetBkColor", {long(RGB(1, 2, 3))}},
        {"ExtTextOutW", {0, 0, ETO_OPAQUE, 3, 1, 1, 3, 1}},
        {"GetDC", {}},
        {"ReleaseDC", {}}};
    ASSERT_EQ(trace.size(), expected.size());
    for (size_t i = 0; i < trace.size(); ++i) {
        EXPECT_EQ(trace[i].name, expected[i].first);
        EXPECT_EQ(trace[i].args, expected[i].second) << trace[i].name;
        EXPECT_EQ(trace[i].dc, i < 5 ? dc : nullptr) << trace[i].name;
        EXPECT_EQ(trace[i].hwnd, i < 5 ? nullptr : nowhere) << trace[i].name;
        EXPECT_EQ(trace[i].bits, i == 1 || i == 2 ? pixels.data() : nullptr) << trace[i].name;
    }
    EXPECT_EQ(trace[1].info, info.get());
    // The reversed rectangle was filled in its ordered form, (1, 1)-(3, 3).
    EXPECT_EQ(canvas.at(1, 1), Rgb(1, 2, 3));
    EXPECT_EQ(canvas.at(2, 2), Rgb(1, 2, 3));
    EXPECT_EQ(canvas.at(3, 3) | canvas.at(0, 0), 0u);
}

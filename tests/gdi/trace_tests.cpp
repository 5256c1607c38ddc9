// The call trace other tests read to check which GDI calls a drawing made.
#include "gdi_test_support.h"
#include "platform/gdi/trace.h"

using namespace gdi_test;

TEST(GdiTrace, RecordsEachCallWithItsArgumentsInOrder) {
    MemoryCanvas canvas(4, 4);
    HDC dc = canvas.dc();
    DibPixels pixels(2, 2, 24);
    DibInfo info(2, -2, 24);
    std::vector<platform::gdi::GdiCall> trace;
    platform::gdi::SetGdiTrace(&trace);
    SetStretchBltMode(dc, HALFTONE);
    StretchDIBits(dc, 1, 2, 3, -4, 5, 6, 7, 8, pixels.data(), info.get(), 0, SRCCOPY);
    SetDIBitsToDevice(dc, -1, 2, 3, 4, 5, 6, 7, 8, pixels.data(), info.get(), 0);
    EXPECT_EQ(SetBkColor(dc, RGB(1, 2, 3)), RGB(255, 255, 255)) << "default white";
    RECT rect{3, 1, 1, 3}; // reversed: its ordered form is filled
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, u"x", 1, nullptr);
    DrawIcon(dc, 3, 4, nullptr);
    const HWND nowhere = reinterpret_cast<HWND>(0x55);
    GetDC(nowhere);
    ReleaseDC(nowhere, nullptr);
    platform::gdi::SetGdiTrace(nullptr);
    SetStretchBltMode(dc, COLORONCOLOR); // not recorded any more

    const std::vector<std::pair<std::string, std::vector<long>>> expected = {
        {"SetStretchBltMode", {HALFTONE}},
        {"StretchDIBits", {1, 2, 3, -4, 5, 6, 7, 8, 0, SRCCOPY}},
        {"SetDIBitsToDevice", {-1, 2, 3, 4, 5, 6, 7, 8, 0}},
        {"SetBkColor", {long(RGB(1, 2, 3))}},
        {"ExtTextOutW", {0, 0, ETO_OPAQUE, 3, 1, 1, 3, 1}},
        {"DrawIcon", {3, 4}},
        {"GetDC", {}},
        {"ReleaseDC", {}}};
    ASSERT_EQ(trace.size(), expected.size());
    for (size_t i = 0; i < trace.size(); ++i) {
        EXPECT_EQ(trace[i].name, expected[i].first);
        EXPECT_EQ(trace[i].args, expected[i].second) << trace[i].name;
        EXPECT_EQ(trace[i].dc, i < 6 ? dc : nullptr) << trace[i].name;
        EXPECT_EQ(trace[i].hwnd, i < 6 ? nullptr : nowhere) << trace[i].name;
    }
    EXPECT_EQ(trace[1].bits, pixels.data());
    EXPECT_EQ(trace[1].info, info.get());
    EXPECT_EQ(trace[2].bits, pixels.data());
    // The opaque fill painted the rectangle in the background colour, and only that.
    EXPECT_EQ(canvas.at(1, 1), Rgb(1, 2, 3));
    EXPECT_EQ(canvas.at(2, 2), Rgb(1, 2, 3));
    EXPECT_EQ(canvas.at(3, 3), 0u);
    EXPECT_EQ(canvas.at(0, 0), 0u);
}

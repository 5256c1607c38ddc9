// The call trace other tests read to check which GDI calls a drawing made.
#include "gdi_test_support.h"
#include "platform/gdi/trace.h"

using namespace gdi_test;
using platform::gdi::GdiCall;

TEST(GdiTrace, RecordsEachCallWithItsArgumentsInOrder) {
    MemoryCanvas canvas(4, 4);
    DibPixels pixels(2, 2, 24);
    DibInfo info = DibInfo::Make(2, -2, 24);
    std::vector<GdiCall> trace;
    platform::gdi::SetGdiTrace(&trace);
    SetStretchBltMode(canvas.dc(), HALFTONE);
    StretchDIBits(canvas.dc(), 1, 2, 3, -4, 5, 6, 7, 8, pixels.data(), info.get(), DIB_RGB_COLORS,
                  SRCCOPY);
    SetDIBitsToDevice(canvas.dc(), -1, 2, 3, 4, 5, 6, 7, 8, pixels.data(), info.get(),
                      DIB_RGB_COLORS);
    SetBkColor(canvas.dc(), RGB(1, 2, 3));
    RECT rect{10, 20, 30, 40};
    ExtTextOutW(canvas.dc(), 0, 0, ETO_OPAQUE, &rect, u"", 0, nullptr);
    DrawIcon(canvas.dc(), 3, 4, nullptr);
    HWND nowhere = reinterpret_cast<HWND>(0x55);
    GetDC(nowhere);
    ReleaseDC(nowhere, nullptr);
    platform::gdi::SetGdiTrace(nullptr);
    SetStretchBltMode(canvas.dc(), COLORONCOLOR); // not recorded any more

    ASSERT_EQ(trace.size(), 8u);
    EXPECT_EQ(trace[0].name, "SetStretchBltMode");
    EXPECT_EQ(trace[0].dc, canvas.dc());
    EXPECT_EQ(trace[0].args, (std::vector<long>{HALFTONE}));
    EXPECT_EQ(trace[1].name, "StretchDIBits");
    EXPECT_EQ(trace[1].args, (std::vector<long>{1, 2, 3, -4, 5, 6, 7, 8, 0, SRCCOPY}));
    EXPECT_EQ(trace[1].bits, pixels.data());
    EXPECT_EQ(trace[1].info, info.get());
    EXPECT_EQ(trace[2].name, "SetDIBitsToDevice");
    EXPECT_EQ(trace[2].args, (std::vector<long>{-1, 2, 3, 4, 5, 6, 7, 8, 0}));
    EXPECT_EQ(trace[2].bits, pixels.data());
    EXPECT_EQ(trace[3].name, "SetBkColor");
    EXPECT_EQ(trace[3].args, (std::vector<long>{long(RGB(1, 2, 3))}));
    EXPECT_EQ(trace[4].name, "ExtTextOutW");
    EXPECT_EQ(trace[4].args, (std::vector<long>{0, 0, ETO_OPAQUE, 10, 20, 30, 40, 0}));
    EXPECT_EQ(trace[5].name, "DrawIcon");
    EXPECT_EQ(trace[5].args, (std::vector<long>{3, 4}));
    EXPECT_EQ(trace[6].name, "GetDC");
    EXPECT_EQ(trace[6].hwnd, nowhere);
    EXPECT_EQ(trace[6].dc, nullptr);
    EXPECT_EQ(trace[7].name, "ReleaseDC");
    EXPECT_EQ(trace[7].hwnd, nowhere);
}

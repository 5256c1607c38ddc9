// StretchDIBits: the nearest-pixel mode, HALFTONE over a colour table, orientation and
// clipping. (HALFTONE against a reference: halftone_tests; bad input: bad_input_tests.)
#include <random>

#include "gdi_test_support.h"

using namespace gdi_test;

// Nearest modes take the source pixel under each destination centre; HALFTONE averages what it
// covers, by coverage, enlarging too. -1 marks a pixel left undrawn.
TEST(StretchDIBits, RowsScaleExactly) {
    struct Case {
        std::vector<int> source;
        int mode, bitCount, xSrc, srcWidth;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {{10, 20, 30, 40}, COLORONCOLOR, 24, 0, 4, {20, 40}},
        {{0, 90, 180}, HALFTONE, 24, 0, 3, {30, 150}},
        {{0, 200}, HALFTONE, 32, 0, 2, {0, 100, 200}},
        {{10, 20, 30, 40}, COLORONCOLOR, 24, 2, 4, {30, 40, -1, -1}},
        {{10, 20, 30, 40}, HALFTONE, 24, 2, 4, {30, 40, -1, -1}},
    };
    for (const Case& c : cases) {
        DibPixels row(int(c.source.size()), 1, c.bitCount);
        for (size_t x = 0; x < c.source.size(); ++x)
            row.set(int(x), 0, Rgb(c.source[x], c.source[x], c.source[x]));
        const int width = int(c.expected.size());
        MemoryCanvas canvas(width, 1);
        canvas.fill(0x01000000);
        SetStretchBltMode(canvas.dc(), c.mode);
        StretchDIBits(canvas.dc(), 0, 0, width, 1, c.xSrc, 0, c.srcWidth, 1, row.data(),
                      DibInfo(row.width, 1, c.bitCount).get(), 0, SRCCOPY);
        for (int x = 0; x < width; ++x) {
            const uint32_t word = canvas.at(x, 0);
            const int grey = int(word & 0xFF), expected = c.expected[x];
            EXPECT_EQ(word, expected < 0 ? 0x01000000 : Rgb(grey, grey, grey));
            EXPECT_NEAR(grey, expected < 0 ? 0 : expected, c.mode == HALFTONE ? 1 : 0)
                << "case " << (&c - cases) << ", pixel " << x;
        }
    }
}

TEST(StretchDIBits, HalftoneAveragesColoursNotIndicesInBothAxes) {
    DibPixels square(2, 2, 8);
    DibInfo info(2, 2, 8);
    info.header.biClrUsed = 4;
    const RGBQUAD colours[] = {{200, 0, 10, 0}, {100, 0, 20, 0}, {0, 0, 30, 0}, {0, 0, 40, 0}};
    std::copy(colours, colours + 4, info.colours);
    square.bytes = {0, 1, 0, 0, 2, 3, 0, 0}; // rows padded to four bytes
    MemoryCanvas canvas(1, 1);
    SetStretchBltMode(canvas.dc(), HALFTONE);
    StretchDIBits(canvas.dc(), 0, 0, 1, 1, 0, 0, 2, 2, square.data(), info.get(), 0, SRCCOPY);
    EXPECT_EQ(canvas.at(0, 0), Rgb(25, 0, 75));
}

// Bottom-up, drawn off the top left of a smaller DC, shows what its top-down twin drawn whole does.
TEST(StretchDIBits, OrientationAndClippingDoNotChangeThePicture) {
    DibPixels topDown(97, 61, 24), bottomUp(97, 61, 24);
    std::mt19937 random(2);
    for (int y = 0; y < 61; ++y)
        for (int x = 0; x < 97; ++x) {
            const uint32_t word = random() & 0xFFFFFF;
            topDown.set(x, y, word);
            bottomUp.set(x, 60 - y, word);
        }
    const DibInfo infoDown(97, -61, 24), infoUp(97, 61, 24);
    for (int mode : {COLORONCOLOR, HALFTONE})
        for (bool enlarge : {false, true}) {
            const int w = enlarge ? 150 : 40, h = enlarge ? 90 : 25;
            MemoryCanvas whole(w, h), part(w - 10, h - 7);
            SetStretchBltMode(whole.dc(), mode);
            SetStretchBltMode(part.dc(), mode);
            // Image rows 3..52 from the top are DIB rows 8..57 from the bottom.
            StretchDIBits(whole.dc(), 0, 0, w, h, 4, 3, 80, 50, topDown.data(), infoDown.get(), 0,
                          SRCCOPY);
            StretchDIBits(part.dc(), -10, -7, w, h, 4, 8, 80, 50, bottomUp.data(), infoUp.get(), 0,
                          SRCCOPY);
            for (int y = 0; y < h - 7; ++y)
                for (int x = 0; x < w - 10; ++x)
                    ASSERT_EQ(part.at(x, y), whole.at(x + 10, y + 7))
                        << mode << ", enlarge " << enlarge << ": " << x << "," << y;
        }
}

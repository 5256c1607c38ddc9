// A device-independent bitmap handed to a drawing call, checked and described once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32/structs.h"

namespace platform::gdi {

struct DibSource {
    int width = 0;
    int height = 0; // rows, always positive
    bool topDown = false;
    int bitCount = 0; // 8, 24 or 32
    size_t stride = 0;
    uint32_t palette[256] = {}; // 8-bit only: colour table as 0x00RRGGBB; missing entries black
    bool greyRamp = false;      // 8-bit only: palette[i] is grey level i for every i

    // The scan lines present in memory: memory rows [firstScan, endScan), row firstScan at
    // `bits`. Memory row 0 is the top row of a top-down bitmap and the bottom row of a
    // bottom-up one.
    const uint8_t* bits = nullptr;
    int firstScan = 0;
    int endScan = 0;

    // Image rows counted from the top, which is how drawing walks them.
    int scanOfImageRow(int row) const { return topDown ? row : height - 1 - row; }
    // Image rows [topRow, endRow) are present.
    int topRow() const { return topDown ? firstScan : height - endScan; }
    int endRow() const { return topDown ? endScan : height - firstScan; }
    const uint8_t* imageRow(int row) const {
        return bits + static_cast<size_t>(scanOfImageRow(row) - firstScan) * stride;
    }
};

// Checks the header: biSize 40 to 124, BI_RGB, 8, 24 or 32 bits, positive width, non-zero
// height, an image size that fits in 31 bits, and a colour table (DIB_RGB_COLORS) for 8 bits.
// On success every row of the bitmap is taken as present at `bits`.
bool ReadDibHeader(const BITMAPINFO* info, unsigned usage, const void* bits, DibSource& out);

} // namespace platform::gdi

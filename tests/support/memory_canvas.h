// A 32-bit top-down DIB section selected into a memory DC, whose pixels a test reads back.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/windows.h"
#include "tests/support/rect_print.h"

namespace testing_support {

class MemoryCanvas {
public:
    MemoryCanvas(int width, int height, uint32_t fill = 0) : m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = static_cast<uint32_t*>(bits);
        SelectObject(m_dc, m_bitmap);
        this->fill(fill);
    }
    ~MemoryCanvas() {
        DeleteDC(m_dc); // deselects the bitmap, so that it can be deleted
        DeleteObject(m_bitmap);
    }
    HDC dc() const { return m_dc; }
    // The pixel's word: 0x00RRGGBB where drawn.
    uint32_t at(int x, int y) const { return m_bits[size_t(y) * m_width + x]; }
    void fill(uint32_t word) { std::fill_n(m_bits, size(), word); }
    bool all(uint32_t word) const {
        return size_t(std::count(m_bits, m_bits + size(), word)) == size();
    }
    // The smallest rectangle holding every pixel that is no longer `fill`.
    RECT changed(uint32_t fill) const {
        RECT box{m_width, m_height, 0, 0};
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                if (at(x, y) != fill)
                    box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                           std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
        return box.right == 0 ? RECT{0, 0, 0, 0} : box;
    }

private:
    size_t size() const { return size_t(m_width) * m_height; }
    int m_width, m_height;
    HDC m_dc = CreateCompatibleDC(nullptr);
    HBITMAP m_bitmap = nullptr;
    uint32_t* m_bits = nullptr;
};

} // namespace testing_support

// DIB descriptions, source pixels, memory DCs over DIB sections, and guarded buffers.
#pragma once

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/windows.h"
#include "tests/support/memory_canvas.h"

namespace gdi_test {

inline uint32_t Rgb(int r, int g, int b) {
    return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}

// BITMAPINFOHEADER plus a full grey colour table.
struct DibInfo {
    BITMAPINFOHEADER header{};
    RGBQUAD colours[256]{};

    DibInfo(int width, int height, int bitCount) {
        header = {sizeof(header), width, height, 1, WORD(bitCount), BI_RGB, 0, 0, 0, 0, 0};
        for (int i = 0; i < 256; ++i)
            colours[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    }
    const BITMAPINFO* get() const { return reinterpret_cast<const BITMAPINFO*>(this); }
};

// Source pixels in memory order; set() takes 0x00RRGGBB (for 8 bits, the index).
struct DibPixels {
    int width, height, bitCount;
    size_t stride;
    std::vector<uint8_t> bytes;

    DibPixels(int w, int h, int bpp, uint32_t word = 0)
        : width(w), height(h), bitCount(bpp), stride(size_t((w * bpp + 31) / 32 * 4)),
          bytes(stride * h) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                set(x, y, word);
    }
    void set(int x, int scan, uint32_t word) {
        uint8_t* p = bytes.data() + scan * stride + x * (bitCount / 8);
        for (int c = 0; c < bitCount / 8; ++c)
            p[c] = c == 3 ? 0x77 : word >> (8 * c) & 0xFF; // the unused byte must never show
    }
    const void* data() const { return bytes.data(); }
};

using testing_support::MemoryCanvas;

// `size` bytes that end (or start) at an inaccessible page: reading past them faults.
class GuardedBuffer {
public:
    GuardedBuffer(size_t size, bool guardAfter = true) {
        const size_t page = size_t(sysconf(_SC_PAGESIZE)), dataPages = (size + page - 1) / page;
        m_length = (dataPages + 2) * page;
        m_map = static_cast<uint8_t*>(
            mmap(nullptr, m_length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(m_map, page, PROT_NONE);
        mprotect(m_map + (dataPages + 1) * page, page, PROT_NONE);
        m_data = guardAfter ? m_map + (dataPages + 1) * page - size : m_map + page;
        std::memset(m_data, 0x40, size);
    }
    ~GuardedBuffer() { munmap(m_map, m_length); }
    uint8_t* data() { return m_data; }

private:
    size_t m_length;
    uint8_t *m_map, *m_data;
};

} // namespace gdi_test

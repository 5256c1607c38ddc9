// Helpers for GDI tests: memory DCs over 32-bit DIB sections, DIB descriptions, and source
// buffers that fault on any read outside them.
#pragma once

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "platform/windows.h"

namespace gdi_test {

// BITMAPINFOHEADER plus a full colour table, as drawing code builds it.
struct DibInfo {
    BITMAPINFOHEADER header{};
    RGBQUAD colours[256]{};

    const BITMAPINFO* get() const { return reinterpret_cast<const BITMAPINFO*>(this); }

    static DibInfo Make(int width, int height, int bitCount) {
        DibInfo info;
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = width;
        info.header.biHeight = height;
        info.header.biPlanes = 1;
        info.header.biBitCount = static_cast<WORD>(bitCount);
        info.header.biCompression = BI_RGB;
        for (int i = 0; i < 256; ++i)
            info.colours[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
        return info;
    }
};

inline size_t Stride(int width, int bitCount) {
    return size_t((width * bitCount + 31) / 32 * 4);
}

// Pixels of a source DIB, in memory order, with helpers to write a pixel by memory row.
struct DibPixels {
    int width, height, bitCount;
    size_t stride;
    std::vector<uint8_t> bytes;

    DibPixels(int w, int h, int bpp)
        : width(w), height(h), bitCount(bpp), stride(Stride(w, bpp)), bytes(stride * h) {}

    // `word` is 0x00RRGGBB; for 8 bits its low byte is the index.
    void set(int x, int scan, uint32_t word) {
        uint8_t* p = bytes.data() + scan * stride + x * (bitCount / 8);
        p[0] = word & 0xFF;
        if (bitCount >= 24) {
            p[1] = word >> 8 & 0xFF;
            p[2] = word >> 16 & 0xFF;
        }
        if (bitCount == 32)
            p[3] = 0x77; // the unused byte must never show
    }
    const void* data() const { return bytes.data(); }
};

// A 32-bit top-down DIB section selected into a memory DC.
class MemoryCanvas {
public:
    MemoryCanvas(int width, int height, bool topDown = true) : m_width(width), m_height(height) {
        m_dc = CreateCompatibleDC(nullptr);
        DibInfo info = DibInfo::Make(width, topDown ? -height : height, 32);
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(m_dc, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = static_cast<uint32_t*>(bits);
        m_topDown = topDown;
        m_previous = SelectObject(m_dc, m_bitmap);
    }
    ~MemoryCanvas() {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    HDC dc() const { return m_dc; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // 0x00RRGGBB word at (x, y), y counted from the top; the unused byte included.
    uint32_t at(int x, int y) const {
        const int row = m_topDown ? y : m_height - 1 - y;
        return m_bits[size_t(row) * m_width + x];
    }
    void fill(uint32_t word) { std::fill_n(m_bits, size_t(m_width) * m_height, word); }

private:
    int m_width, m_height;
    bool m_topDown = true;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    uint32_t* m_bits = nullptr;
};

// `size` bytes that end (or start) exactly at an inaccessible page, so any read past the end
// (or before the start) faults, with or without a sanitizer.
class GuardedBuffer {
public:
    GuardedBuffer(size_t size, bool guardAfter = true) : m_size(size) {
        const size_t page = size_t(sysconf(_SC_PAGESIZE));
        const size_t dataPages = (size + page - 1) / page;
        m_length = (dataPages + 2) * page;
        m_map = static_cast<uint8_t*>(
            mmap(nullptr, m_length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(m_map, page, PROT_NONE);
        mprotect(m_map + (dataPages + 1) * page, page, PROT_NONE);
        m_data = guardAfter ? m_map + (dataPages + 1) * page - size : m_map + page;
    }
    ~GuardedBuffer() { munmap(m_map, m_length); }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    uint8_t* data() { return m_data; }
    size_t size() const { return m_size; }

private:
    size_t m_size, m_length;
    uint8_t* m_map;
    uint8_t* m_data;
};

inline uint32_t Rgb(int r, int g, int b) {
    return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}

} // namespace gdi_test

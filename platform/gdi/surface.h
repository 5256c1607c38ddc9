// A 32-bit pixel surface: what a top-level window or a memory bitmap draws into.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/gdi/pixel_box.h"

namespace platform::gdi {

// Pixels are 32-bit words 0x00RRGGBB (bytes B, G, R, X in memory), the layout of a 32-bit DIB.
// Rows are `stride` bytes apart; a negative stride is a bottom-up bitmap whose row 0 lies last
// in memory. Every drawing holds `mutex()` while it writes, so two threads drawing at once
// never tear a pixel run; the last drawing wins.
class Surface {
public:
    Surface(int width, int height);
    // A surface over memory owned by someone else (a DIB section's bits).
    Surface(int width, int height, uint8_t* firstRow, ptrdiff_t stride);
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    int width() const { return m_width; }
    int height() const { return m_height; }
    uint32_t* row(int y) { return reinterpret_cast<uint32_t*>(m_rows + y * m_stride); }
    const uint32_t* row(int y) const {
        return reinterpret_cast<const uint32_t*>(m_rows + y * m_stride);
    }
    std::mutex& mutex() const { return m_mutex; }

    // Owned surfaces only: keeps the overlapping pixels, fills new ones black. Takes mutex()
    // itself, so call it without holding it.
    void resize(int width, int height);

    // Counts drawings; a presenter compares it to what it last showed.
    uint64_t version() const { return m_version.load(std::memory_order_acquire); }
    void touch() { m_version.fetch_add(1, std::memory_order_acq_rel); }

    // What changed since a presenter last took it, as one bounding box, so that it uploads
    // only that. A new or resized surface has changed everywhere. Both with mutex() held.
    void addDrawn(const PixelBox& box) { m_drawn = Union(m_drawn, box); }
    PixelBox takeDrawn() {
        const PixelBox drawn = Intersect(m_drawn, PixelBox{0, 0, m_width, m_height});
        m_drawn = PixelBox{};
        return drawn;
    }

private:
    int m_width = 0;
    int m_height = 0;
    uint8_t* m_rows = nullptr;
    ptrdiff_t m_stride = 0;
    uint32_t* m_owned = nullptr;
    mutable std::mutex m_mutex;
    std::atomic<uint64_t> m_version{0};
    PixelBox m_drawn;
};

} // namespace platform::gdi

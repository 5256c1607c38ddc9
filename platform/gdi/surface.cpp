#include "platform/gdi/surface.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace platform::gdi {

namespace {

// Zeroed (black) pixels, or null when the size cannot be allocated.
uint32_t* AllocatePixels(int width, int height) {
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    return static_cast<uint32_t*>(std::calloc(std::max<size_t>(count, 1), sizeof(uint32_t)));
}

} // namespace

Surface::Surface(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    m_owned = AllocatePixels(width, height);
    if (m_owned == nullptr)
        width = height = 0;
    m_width = width;
    m_height = height;
    m_rows = reinterpret_cast<uint8_t*>(m_owned);
    m_stride = static_cast<ptrdiff_t>(width) * 4;
    m_drawn = PixelBox{0, 0, m_width, m_height};
}

Surface::Surface(int width, int height, uint8_t* firstRow, ptrdiff_t stride)
    : m_width(std::max(width, 0)), m_height(std::max(height, 0)), m_rows(firstRow),
      m_stride(stride), m_drawn{0, 0, m_width, m_height} {}

Surface::~Surface() {
    std::free(m_owned);
}

void Surface::resize(int width, int height) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_owned == nullptr && m_rows != nullptr)
        return; // a view over someone else's memory keeps its size
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height)
        return;
    uint32_t* pixels = AllocatePixels(width, height);
    if (pixels == nullptr)
        return;
    const int keepWidth = std::min(width, m_width);
    const int keepHeight = std::min(height, m_height);
    for (int y = 0; y < keepHeight; ++y)
        std::memcpy(pixels + static_cast<size_t>(y) * width, row(y), keepWidth * sizeof(uint32_t));
    std::free(m_owned);
    m_owned = pixels;
    m_rows = reinterpret_cast<uint8_t*>(pixels);
    m_stride = static_cast<ptrdiff_t>(width) * 4;
    m_width = width;
    m_height = height;
    m_drawn = PixelBox{0, 0, m_width, m_height};
    touch();
}

} // namespace platform::gdi

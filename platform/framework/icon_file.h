// Reading .ico files: the largest image, as 0xAARRGGBB words, top row first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::resources {

struct IconImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// False for data that is not an icon file we can read (every offset is checked).
bool DecodeIconFile(const uint8_t* data, size_t size, IconImage& out);

} // namespace platform::resources

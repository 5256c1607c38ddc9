#include "platform/framework/icon_file.h"

#include <cstring>

#include "platform/cvshim/picture_codecs.h"

namespace platform::resources {
namespace {

uint32_t Read32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | ((uint32_t)p[3] << 24);
}
uint16_t Read16(const uint8_t* p) {
    return (uint16_t)(p[0] | (p[1] << 8));
}

bool DecodePng(const uint8_t* data, size_t size, IconImage& out) {
    // As large as the bitmaps below may be.
    constexpr int kLargestSide = 1024;
    cv::Mat image = platform::DecodePng(data, size, kLargestSide);
    if (image.empty())
        return false;
    out.width = image.cols;
    out.height = image.rows;
    out.pixels.resize((size_t)out.width * out.height);
    const int channels = image.channels();
    for (int y = 0; y < image.rows; ++y) {
        const uint8_t* row = image.ptr<uint8_t>(y);
        for (int x = 0; x < image.cols; ++x) {
            const uint8_t* p = row + x * channels;
            uint32_t b = p[0], g = channels >= 3 ? p[1] : p[0], r = channels >= 3 ? p[2] : p[0];
            uint32_t a = channels == 4 ? p[3] : 255;
            out.pixels[(size_t)y * out.width + x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    return true;
}

// A device-independent bitmap of twice the icon's height: the colour rows, then the 1-bit
// transparency mask, both bottom-up.
bool DecodeDib(const uint8_t* data, size_t size, IconImage& out) {
    if (size < 40)
        return false;
    const uint32_t headerSize = Read32(data);
    const int32_t width = (int32_t)Read32(data + 4);
    const int32_t doubleHeight = (int32_t)Read32(data + 8);
    const uint16_t bits = Read16(data + 14);
    if (headerSize < 40 || headerSize > size || width <= 0 || width > 1024 || doubleHeight <= 0 ||
        doubleHeight > 2048 || (bits != 32 && bits != 24))
        return false;
    const int height = doubleHeight / 2;
    const size_t colourStride = ((size_t)width * bits / 8 + 3) & ~size_t{3};
    const size_t maskStride = (((size_t)width + 31) / 32) * 4;
    const size_t colourBytes = colourStride * height;
    if (headerSize + colourBytes > size)
        return false;
    const uint8_t* colour = data + headerSize;
    const bool hasMask = headerSize + colourBytes + maskStride * height <= size;
    const uint8_t* mask = colour + colourBytes;
    out.width = width;
    out.height = height;
    out.pixels.assign((size_t)width * height, 0);
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = colour + colourStride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = row + x * (bits / 8);
            uint32_t a = bits == 32 ? p[3] : 255;
            anyAlpha = anyAlpha || (bits == 32 && a != 0);
            out.pixels[(size_t)y * width + x] = (a << 24) | (p[2] << 16) | (p[1] << 8) | p[0];
        }
    }
    // Without alpha the mask says what is transparent (a set bit).
    if (!anyAlpha) {
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = mask + maskStride * (height - 1 - y);
            for (int x = 0; x < width; ++x) {
                bool transparent = hasMask && (row[x / 8] & (0x80 >> (x % 8)));
                uint32_t& p = out.pixels[(size_t)y * width + x];
                p = (p & 0x00FFFFFF) | (transparent ? 0 : 0xFF000000u);
            }
        }
    }
    return true;
}

} // namespace

bool DecodeIconFile(const uint8_t* data, size_t size, IconImage& out) {
    if (!data || size < 6 || Read16(data) != 0 || Read16(data + 2) != 1)
        return false;
    const size_t count = Read16(data + 4);
    if (count == 0 || 6 + count * 16 > size)
        return false;
    // The largest image is the one to keep; the desktop scales it down as it needs.
    size_t best = count;
    int bestArea = -1;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = data + 6 + i * 16;
        const int w = entry[0] ? entry[0] : 256, h = entry[1] ? entry[1] : 256;
        const uint32_t bytes = Read32(entry + 8), offset = Read32(entry + 12);
        if (offset > size || bytes > size - offset)
            continue;
        if (w * h > bestArea) {
            bestArea = w * h;
            best = i;
        }
    }
    if (best == count)
        return false;
    const uint8_t* entry = data + 6 + best * 16;
    const uint8_t* image = data + Read32(entry + 12);
    const size_t bytes = Read32(entry + 8);
    static const uint8_t kPng[] = {0x89, 'P', 'N', 'G'};
    if (bytes >= 4 && std::memcmp(image, kPng, 4) == 0)
        return DecodePng(image, bytes, out);
    return DecodeDib(image, bytes, out);
}

} // namespace platform::resources

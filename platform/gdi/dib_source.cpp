#include "platform/gdi/dib_source.h"

#include <cstring>

#include "platform/win32/constants.h"

namespace platform::gdi {

namespace {

constexpr uint32_t kLargestHeader = 124; // BITMAPV5HEADER
constexpr uint64_t kLargestImage = 0x7FFFFFFF;

} // namespace

bool ReadDibHeader(const BITMAPINFO* info, unsigned usage, const void* bits, DibSource& out) {
    if (info == nullptr || bits == nullptr)
        return false;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > kLargestHeader)
        return false;
    if (header.biCompression != BI_RGB)
        return false;
    const int bitCount = header.biBitCount;
    if (bitCount != 8 && bitCount != 24 && bitCount != 32)
        return false;
    if (header.biWidth <= 0 || header.biHeight == 0 || header.biHeight == INT32_MIN)
        return false;
    if (usage != DIB_RGB_COLORS && (usage != DIB_PAL_COLORS || bitCount == 8))
        return false; // no logical palettes here, so palette indices mean nothing

    const uint64_t width = static_cast<uint64_t>(header.biWidth);
    const uint64_t height =
        static_cast<uint64_t>(header.biHeight < 0 ? -int64_t(header.biHeight) : header.biHeight);
    const uint64_t stride = (width * bitCount + 31) / 32 * 4;
    if (stride > kLargestImage || stride * height > kLargestImage)
        return false;

    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.topDown = header.biHeight < 0;
    out.bitCount = bitCount;
    out.stride = static_cast<size_t>(stride);
    out.bits = static_cast<const uint8_t*>(bits);
    out.firstScan = 0;
    out.endScan = out.height;
    out.greyRamp = false;
    std::memset(out.palette, 0, sizeof(out.palette));

    if (bitCount == 8) {
        const uint32_t used =
            header.biClrUsed == 0 || header.biClrUsed > 256 ? 256 : header.biClrUsed;
        const auto* table = reinterpret_cast<const uint8_t*>(info) + header.biSize;
        bool grey = used == 256;
        for (uint32_t i = 0; i < used; ++i) {
            RGBQUAD entry;
            std::memcpy(&entry, table + i * sizeof(RGBQUAD), sizeof(entry));
            out.palette[i] = uint32_t(entry.rgbBlue) | uint32_t(entry.rgbGreen) << 8 |
                             uint32_t(entry.rgbRed) << 16;
            grey = grey && out.palette[i] == i * 0x010101u;
        }
        out.greyRamp = grey;
    }
    return true;
}

} // namespace platform::gdi

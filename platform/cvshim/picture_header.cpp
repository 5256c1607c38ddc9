// Picture sizes from file headers, for the formats the viewer's pictures come in.
#include <cctype>
#include <cstring>

#include "platform/cvshim/picture_file.h"

namespace platform {
namespace {

struct Bytes {
    const uint8_t* data;
    size_t size;
    bool has(size_t at, size_t n) const { return at <= size && n <= size - at; }
    uint32_t be16(size_t at) const { return uint32_t(data[at]) << 8 | data[at + 1]; }
    uint32_t be32(size_t at) const { return be16(at) << 16 | be16(at + 2); }
    uint32_t le16(size_t at) const { return uint32_t(data[at + 1]) << 8 | data[at]; }
    uint32_t le32(size_t at) const { return le16(at + 2) << 16 | le16(at); }
    bool is(size_t at, const char* text) const {
        return has(at, std::strlen(text)) && std::memcmp(data + at, text, std::strlen(text)) == 0;
    }
};

std::optional<cv::Size> SizeOf(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX)
        return std::nullopt;
    return cv::Size(static_cast<int>(width), static_cast<int>(height));
}

std::optional<cv::Size> Png(const Bytes& b) {
    // Signature, then the IHDR chunk: length, "IHDR", width, height (big-endian).
    if (!b.is(0, "\x89PNG\r\n\x1a\n") || !b.is(12, "IHDR") || !b.has(16, 8))
        return std::nullopt;
    return SizeOf(b.be32(16), b.be32(20));
}

std::optional<cv::Size> Jpeg(const Bytes& b) {
    if (!b.has(0, 2) || b.data[0] != 0xFF || b.data[1] != 0xD8)
        return std::nullopt;
    size_t at = 2;
    for (;;) {
        while (b.has(at, 1) && b.data[at] == 0xFF)
            ++at; // fill bytes before a marker
        if (!b.has(at, 1) || at < 3 || b.data[at - 1] != 0xFF)
            return std::nullopt;
        const uint8_t marker = b.data[at++];
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // markers without a segment
        if (marker == 0xD9 || marker == 0xDA || !b.has(at, 2))
            return std::nullopt; // image data before any frame header
        const uint32_t length = b.be16(at);
        // SOF0..SOF15 but DHT (C4), JPG (C8) and DAC (CC): length, precision, height, width.
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            if (!b.has(at, 7))
                return std::nullopt;
            return SizeOf(b.be16(at + 5), b.be16(at + 3));
        }
        if (length < 2)
            return std::nullopt;
        at += length;
    }
}

std::optional<cv::Size> Bmp(const Bytes& b) {
    if (!b.is(0, "BM") || !b.has(14, 12))
        return std::nullopt;
    if (b.le32(14) == 12) // BITMAPCOREHEADER: 16-bit width and height
        return SizeOf(b.le16(18), b.le16(20));
    // Height is negative for a top-down bitmap.
    const int64_t height = static_cast<int32_t>(b.le32(22));
    return SizeOf(static_cast<int32_t>(b.le32(18)), height < 0 ? -height : height);
}

std::optional<cv::Size> Pnm(const Bytes& b) {
    // "P1".."P6", then width and height in decimal, with blanks and # comments between.
    if (!b.has(0, 2) || b.data[0] != 'P' || b.data[1] < '1' || b.data[1] > '6')
        return std::nullopt;
    size_t at = 2;
    int64_t values[2] = {0, 0};
    for (int64_t& value : values) {
        for (;;) {
            if (!b.has(at, 1))
                return std::nullopt;
            if (b.data[at] == '#') {
                while (b.has(at, 1) && b.data[at] != '\n')
                    ++at;
            } else if (std::isspace(b.data[at])) {
                ++at;
            } else {
                break;
            }
        }
        if (!std::isdigit(b.data[at]))
            return std::nullopt;
        while (b.has(at, 1) && std::isdigit(b.data[at]) && value <= INT32_MAX)
            value = value * 10 + (b.data[at++] - '0');
        if (!b.has(at, 1) || !std::isspace(b.data[at]))
            return std::nullopt; // a number is whole only with a blank after it
    }
    return SizeOf(values[0], values[1]);
}

} // namespace

std::optional<cv::Size> PictureSizeFromHeader(const uint8_t* bytes, size_t size) {
    const Bytes b{bytes, size};
    for (auto reader : {Jpeg, Png, Bmp, Pnm})
        if (auto found = reader(b))
            return found;
    return std::nullopt;
}

} // namespace platform

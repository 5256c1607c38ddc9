// BMP (uncompressed, 1 to 32 bits) and the PNM family (P1..P6), read by hand: their layouts are a
// few fields and rows of samples.
#include <cctype>

#include "platform/cvshim/picture_codecs.h"

namespace platform {
namespace {

uint32_t Le16(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}
uint32_t Le32(const uint8_t* p) {
    return Le16(p) | Le16(p + 2) << 16;
}

struct BmpLayout {
    int64_t width = 0, height = 0; // height negative: rows stored top first
    uint32_t bits = 0, compression = 0, colours = 0, headerSize = 0;
};

bool ReadBmpLayout(const uint8_t* b, size_t size, BmpLayout& layout) {
    if (size < 26 || b[0] != 'B' || b[1] != 'M')
        return false;
    layout.headerSize = Le32(b + 14);
    if (layout.headerSize == 12) { // BITMAPCOREHEADER
        layout.width = Le16(b + 18);
        layout.height = Le16(b + 20);
        layout.bits = Le16(b + 24);
        return true;
    }
    if (layout.headerSize < 40 || size < 54)
        return false;
    layout.width = static_cast<int32_t>(Le32(b + 18));
    layout.height = static_cast<int32_t>(Le32(b + 22));
    layout.bits = Le16(b + 28);
    layout.compression = Le32(b + 30);
    layout.colours = Le32(b + 46);
    return true;
}

// BI_BITFIELDS with the masks of plain 32-bit BGRX is the same as uncompressed.
bool PlainBitfields(const uint8_t* b, size_t size) {
    return size >= 66 && Le32(b + 54) == 0xFF0000 && Le32(b + 58) == 0xFF00 && Le32(b + 62) == 0xFF;
}

} // namespace

cv::Mat DecodeBmp(const uint8_t* b, size_t size) {
    BmpLayout l;
    if (!ReadBmpLayout(b, size, l))
        return {};
    const bool plain =
        l.compression == 0 || (l.compression == 3 && l.bits == 32 && PlainBitfields(b, size));
    const bool knownBits =
        l.bits == 1 || l.bits == 4 || l.bits == 8 || l.bits == 24 || l.bits == 32;
    const int64_t height = l.height < 0 ? -l.height : l.height;
    if (!plain || !knownBits || l.width <= 0 || height <= 0)
        return {};
    // The palette follows the headers: 3 bytes an entry after a core header, 4 otherwise.
    const size_t entry = l.headerSize == 12 ? 3 : 4;
    const size_t paletteAt = 14 + size_t(l.headerSize) + (l.compression == 3 ? 12 : 0);
    size_t entries = 0;
    if (l.bits <= 8)
        entries = l.colours != 0 && l.colours < (1u << l.bits) ? l.colours : (1u << l.bits);
    const size_t dataAt = Le32(b + 10);
    const size_t stride = ((size_t(l.width) * l.bits + 31) / 32) * 4;
    if (paletteAt > size || entries * entry > size - paletteAt || dataAt > size ||
        stride * size_t(height) > size - dataAt)
        return {};

    cv::Mat picture(static_cast<int>(height), static_cast<int>(l.width), CV_8UC3);
    const uint8_t* palette = b + paletteAt;
    for (int y = 0; y < picture.rows; ++y) {
        const uint8_t* in = b + dataAt + stride * size_t(l.height < 0 ? y : picture.rows - 1 - y);
        uint8_t* out = picture.ptr(y);
        for (int x = 0; x < picture.cols; ++x, out += 3) {
            if (l.bits >= 24) {
                const uint8_t* p = in + size_t(x) * (l.bits / 8);
                out[0] = p[0], out[1] = p[1], out[2] = p[2];
                continue;
            }
            const size_t bit = size_t(x) * l.bits;
            const uint32_t index = (in[bit / 8] >> (8 - l.bits - bit % 8)) & ((1u << l.bits) - 1);
            const uint8_t* p = index < entries ? palette + index * entry : nullptr;
            out[0] = p ? p[0] : 0, out[1] = p ? p[1] : 0, out[2] = p ? p[2] : 0;
        }
    }
    return picture;
}

namespace {

// The words and samples of a PNM file: numbers in decimal between blanks and # comments.
struct PnmReader {
    const uint8_t* b;
    size_t size;
    size_t at = 2;

    void skipBlanks() {
        while (at < size && (std::isspace(b[at]) || b[at] == '#')) {
            if (b[at] == '#')
                while (at < size && b[at] != '\n')
                    ++at;
            else
                ++at;
        }
    }
    // A decimal number of at most `digits` digits (P1's samples are one digit each).
    bool number(uint32_t& value, int digits = 9) {
        skipBlanks();
        if (at >= size || !std::isdigit(b[at]))
            return false;
        value = 0;
        for (int n = 0; n < digits && at < size && std::isdigit(b[at]); ++n)
            value = value * 10 + (b[at++] - '0');
        return true;
    }
};

uint8_t ToEightBits(uint32_t sample, uint32_t maxval) {
    return static_cast<uint8_t>((std::min(sample, maxval) * 255 + maxval / 2) / maxval);
}

} // namespace

cv::Mat DecodePnm(const uint8_t* b, size_t size) {
    if (size < 2 || b[0] != 'P' || b[1] < '1' || b[1] > '6')
        return {};
    const int kind = b[1] - '0';
    const bool bits = kind == 1 || kind == 4, ascii = kind <= 3;
    const int channels = (kind == 3 || kind == 6) ? 3 : 1;
    PnmReader r{b, size};
    uint32_t width = 0, height = 0, maxval = 1;
    if (!r.number(width) || !r.number(height) || (!bits && !r.number(maxval)) || width == 0 ||
        height == 0 || maxval == 0 || maxval > 65535 || width > INT32_MAX || height > INT32_MAX)
        return {};
    // One blank ends the header of a binary file.
    if (!ascii && (r.at >= size || !std::isspace(b[r.at++])))
        return {};
    cv::Mat picture(static_cast<int>(height), static_cast<int>(width), CV_8UC(channels));
    const size_t wide = maxval > 255 ? 2 : 1;
    const size_t rowBytes = bits ? (size_t(width) + 7) / 8 : size_t(width) * channels * wide;
    if (!ascii && rowBytes * height > size - r.at)
        return {};
    for (int y = 0; y < picture.rows; ++y) {
        uint8_t* out = picture.ptr(y);
        const uint8_t* in = b + r.at + rowBytes * size_t(y);
        for (size_t i = 0; i < size_t(width) * channels; ++i) {
            uint32_t sample = 0;
            if (ascii && !r.number(sample, bits ? 1 : 9))
                return {};
            if (!ascii)
                sample = bits ? (in[i / 8] >> (7 - i % 8)) & 1
                              : (wide == 2 ? uint32_t(in[2 * i]) << 8 | in[2 * i + 1] : in[i]);
            // A set bit is black; other samples count up from black to maxval.
            out[i] = bits ? (sample ? 0 : 255) : ToEightBits(sample, maxval);
        }
    }
    if (channels == 3)
        for (int y = 0; y < picture.rows; ++y)
            for (uint8_t* p = picture.ptr(y); p < picture.ptr(y) + 3 * picture.cols; p += 3)
                std::swap(p[0], p[2]); // stored red first
    return picture;
}

} // namespace platform

// PNG through libpng: read from memory into 8-bit grey, BGR or BGRA; written from the same.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "platform/cvshim/picture_codecs.h"

namespace platform {
namespace {

struct Source {
    const uint8_t* bytes;
    size_t size;
    size_t at;
};

void ReadFromSource(png_structp png, png_bytep out, png_size_t count) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (count > source->size - source->at)
        png_error(png, "file cut short"); // longjmps to the reader's setjmp
    std::memcpy(out, source->bytes + source->at, count);
    source->at += count;
}

// The picture's sides, and what one ancillary chunk (a colour profile, compressed text) may
// take once decompressed.
void Limit(png_structp png, int largestSide) {
    png_set_user_limits(png, static_cast<png_uint_32>(largestSide),
                        static_cast<png_uint_32>(largestSide));
    png_set_chunk_malloc_max(png, 8u << 20);
}

// libpng reports errors by longjmp; nothing with a destructor lives between its setjmp and the
// calls that may jump, so the picture's buffer is made before setjmp is armed.
bool ReadRows(png_structp png, png_infop info, cv::Mat& picture, int largestSide) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    Limit(png, largestSide);
    png_read_info(png, info);
    // Every layout becomes 8-bit grey, grey+alpha, RGB or RGBA in blue-first order.
    png_set_strip_16(png);
    png_set_packing(png);
    png_set_palette_to_rgb(png);
    png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const int channels = png_get_channels(png, info);
    const auto width = static_cast<int>(png_get_image_width(png, info));
    const auto height = static_cast<int>(png_get_image_height(png, info));
    if (channels < 1 || channels > 4 || png_get_rowbytes(png, info) != size_t(width) * channels)
        return false;
    if (picture.rows != height || picture.cols != width ||
        picture.channels() != (channels == 2 ? 4 : channels))
        return false; // the caller made the buffer for the size and layout the header gives
    png_bytep rows[1];
    const int passes = png_set_interlace_handling(png);
    // Grey+alpha lands in the left half of a BGRA row and is spread out afterwards.
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < height; ++y) {
            rows[0] = picture.ptr(y);
            png_read_rows(png, rows, nullptr, 1);
        }
    return true;
}

void SpreadGreyAlpha(cv::Mat& picture) {
    for (int y = 0; y < picture.rows; ++y) {
        uint8_t* row = picture.ptr(y);
        for (int x = picture.cols - 1; x >= 0; --x) {
            const uint8_t grey = row[2 * x], alpha = row[2 * x + 1];
            row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = grey;
            row[4 * x + 3] = alpha;
        }
    }
}

// The layout after the expansions above, from the header alone: channels 1..4.
int ExpandedChannels(png_structp png, png_infop info) {
    const int type = png_get_color_type(png, info);
    const bool alpha = (type & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    const bool colour = (type & PNG_COLOR_MASK_COLOR) != 0;
    return (colour ? 3 : 1) + (alpha ? 1 : 0);
}

bool ReadHeader(png_structp png, png_infop info, int largestSide, int& width, int& height,
                int& channels) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    Limit(png, largestSide);
    png_read_info(png, info);
    width = static_cast<int>(png_get_image_width(png, info));
    height = static_cast<int>(png_get_image_height(png, info));
    channels = ExpandedChannels(png, info);
    return width > 0 && height > 0;
}

// libpng's own handlers print; a bad file is reported by the empty picture alone.
void Warn(png_structp, png_const_charp) {}
[[noreturn]] void Fail(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

// Runs `step` on a fresh libpng reader over `bytes`; false when the reader cannot be made or
// the step fails. Each pass reads the bytes from their start.
template <typename Step> bool WithReader(const uint8_t* bytes, size_t size, Step step) {
    Source source{bytes, size, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Warn);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = info != nullptr;
    if (ok) {
        png_set_read_fn(png, &source, ReadFromSource);
        ok = step(png, info);
    }
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    return ok;
}

} // namespace

cv::Mat DecodePng(const uint8_t* bytes, size_t size, int largestSide) {
    if (largestSide <= 0)
        return {};
    // The header is read once to size the buffer, then the file is read again from its start.
    int width = 0, height = 0, channels = 0;
    if (!WithReader(bytes, size, [&](png_structp png, png_infop info) {
            return ReadHeader(png, info, largestSide, width, height, channels);
        }))
        return {};
    cv::Mat picture(height, width, CV_8UC(channels == 2 ? 4 : channels));
    if (!WithReader(bytes, size, [&](png_structp png, png_infop info) {
            return ReadRows(png, info, picture, largestSide);
        }))
        return {};
    if (channels == 2)
        SpreadGreyAlpha(picture);
    return picture;
}

namespace {

bool WriteRows(png_structp png, png_infop info, FILE* file, const cv::Mat& picture) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    static const int kTypes[] = {0, PNG_COLOR_TYPE_GRAY, 0, PNG_COLOR_TYPE_RGB,
                                 PNG_COLOR_TYPE_RGB_ALPHA};
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.cols),
                 static_cast<png_uint_32>(picture.rows), 8, kTypes[picture.channels()],
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Screenshots are written often by tests and scenarios: fast compression, still lossless.
    png_set_compression_level(png, 1);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int y = 0; y < picture.rows; ++y)
        png_write_row(png, picture.ptr(y));
    png_write_end(png, nullptr);
    return true;
}

} // namespace

bool WritePngFile(const std::string& path, const cv::Mat& picture) {
    const int channels = picture.channels();
    if (picture.empty() || picture.dims != 2 || picture.depth() != CV_8U ||
        (channels != 1 && channels != 3 && channels != 4))
        return false;
    FILE* file = std::fopen(path.c_str(), "wbe");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Warn);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = info != nullptr && WriteRows(png, info, file, picture);
    png_destroy_write_struct(&png, info ? &info : nullptr);
    ok = std::fclose(file) == 0 && ok;
    if (!ok)
        std::remove(path.c_str());
    return ok;
}

} // namespace platform

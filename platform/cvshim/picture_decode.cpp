// Picking the decoder by the file's first bytes, and the channels the caller asked for.
#include <cstring>

#include <opencv2/imgproc.hpp>

#include "platform/cvshim/picture_codecs.h"
#include "platform/cvshim/picture_file.h"

namespace platform {
namespace {

bool Starts(const uint8_t* bytes, size_t size, const char* magic, size_t at = 0) {
    const size_t n = std::strlen(magic);
    return size >= at + n && std::memcmp(bytes + at, magic, n) == 0;
}

cv::Mat DecodeAsStored(const uint8_t* bytes, size_t size, bool grey, int largestSide,
                       cv::Size cover) {
    if (Starts(bytes, size, "\xFF\xD8"))
        return DecodeJpeg(bytes, size, grey, cover, largestSide);
    if (Starts(bytes, size, "\x89PNG"))
        return DecodePng(bytes, size, largestSide);
    if (Starts(bytes, size, "BM"))
        return DecodeBmp(bytes, size);
    if (Starts(bytes, size, "P"))
        return DecodePnm(bytes, size);
    return {};
}

} // namespace

cv::Mat DecodePicture(const uint8_t* bytes, size_t size, int flags, int largestSide,
                      cv::Size cover) {
    // The size the header gives bounds what is allocated before anything is decoded.
    const auto header = PictureSizeFromHeader(bytes, size);
    if (largestSide <= 0 || !header || header->width > largestSide || header->height > largestSide)
        return {};
    const bool grey = flags == 0;
    cv::Mat picture = DecodeAsStored(bytes, size, grey, largestSide, cover);
    if (picture.empty() || flags < 0)
        return picture;
    const int channels = picture.channels();
    cv::Mat converted;
    if (grey && channels != 1)
        cv::cvtColor(picture, converted, channels == 3 ? cv::COLOR_BGR2GRAY : cv::COLOR_BGRA2GRAY);
    else if (!grey && channels != 3)
        cv::cvtColor(picture, converted, channels == 1 ? cv::COLOR_GRAY2BGR : cv::COLOR_BGRA2BGR);
    else
        return picture;
    return converted;
}

} // namespace platform

// JPEG through libjpeg-turbo's TurboJPEG interface, decoded at the DCT scale that suffices.
#include <turbojpeg.h>

#include <climits>
#include <memory>

#include "platform/cvshim/picture_codecs.h"

namespace platform {
namespace {

struct HandleCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

int Scaled(int side, int eighths) {
    return (side * eighths + 7) / 8; // TJSCALED's rounding: up
}

} // namespace

int JpegScaleEighths(cv::Size picture, cv::Size cover) {
    if (cover.width <= 0 || cover.height <= 0)
        return 8;
    // The picture is shown at min(cover / picture, 1) of its size; a scale at least that big
    // keeps every pixel that is drawn. Compared in integers: eighths/8 >= cover/picture on
    // either side.
    for (int eighths : {1, 2, 4}) {
        const bool wide = int64_t(eighths) * picture.width >= int64_t(8) * cover.width;
        const bool tall = int64_t(eighths) * picture.height >= int64_t(8) * cover.height;
        if (wide || tall)
            return eighths;
    }
    return 8;
}

cv::Mat DecodeJpeg(const uint8_t* bytes, size_t size, bool grey, cv::Size cover, int largestSide) {
    if (size == 0 || size > ULONG_MAX)
        return {};
    Handle handle(tjInitDecompress());
    if (!handle)
        return {};
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(handle.get(), bytes, static_cast<unsigned long>(size), &width, &height,
                            &subsampling, &colourspace) != 0 ||
        width <= 0 || height <= 0 || width > largestSide || height > largestSide)
        return {};
    const int eighths = JpegScaleEighths({width, height}, cover);
    const bool stored_grey = colourspace == TJCS_GRAY;
    const bool as_grey = grey || stored_grey;
    cv::Mat picture(Scaled(height, eighths), Scaled(width, eighths), as_grey ? CV_8UC1 : CV_8UC3);
    // A hostile progressive file can make decoding cost without bound: its scans are limited.
    const int result =
        tjDecompress2(handle.get(), bytes, static_cast<unsigned long>(size), picture.data,
                      picture.cols, static_cast<int>(picture.step), picture.rows,
                      as_grey ? TJPF_GRAY : TJPF_BGR, TJFLAG_LIMITSCANS);
    // A warning (a file cut short, corrupt data the decoder stepped over) still gives a
    // picture of the full size, as the file's other readers show it.
    if (result != 0 && tjGetErrorCode(handle.get()) != TJERR_WARNING)
        return {};
    return picture;
}

std::vector<uint8_t> EncodeJpeg(const cv::Mat& picture, int quality) {
    if (picture.empty() || picture.depth() != CV_8U ||
        (picture.channels() != 1 && picture.channels() != 3))
        return {};
    Handle handle(tjInitCompress());
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    const bool grey = picture.channels() == 1;
    std::vector<uint8_t> bytes;
    if (handle &&
        tjCompress2(handle.get(), picture.data, picture.cols, static_cast<int>(picture.step),
                    picture.rows, grey ? TJPF_GRAY : TJPF_BGR, &out, &outSize,
                    grey ? TJSAMP_GRAY : TJSAMP_420, quality, 0) == 0)
        bytes.assign(out, out + outSize);
    tjFree(out);
    return bytes;
}

} // namespace platform

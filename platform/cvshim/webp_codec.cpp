// WebP through libwebp.
#include <webp/decode.h>

#include "platform/cvshim/picture_codecs.h"

namespace platform {

cv::Mat DecodeWebP(const uint8_t* bytes, size_t size, int largestSide) {
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes, size, &features) != VP8_STATUS_OK || features.width <= 0 ||
        features.height <= 0 || features.width > largestSide || features.height > largestSide)
        return {};
    const bool alpha = features.has_alpha != 0;
    cv::Mat picture(features.height, features.width, alpha ? CV_8UC4 : CV_8UC3);
    const size_t length = picture.step * static_cast<size_t>(picture.rows);
    const int stride = static_cast<int>(picture.step);
    const uint8_t* done = alpha ? WebPDecodeBGRAInto(bytes, size, picture.data, length, stride)
                                : WebPDecodeBGRInto(bytes, size, picture.data, length, stride);
    return done ? picture : cv::Mat();
}

} // namespace platform

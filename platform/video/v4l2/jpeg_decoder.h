// MJPEG frames to BGR pictures through libjpeg-turbo, decoded only as large as they are shown.
#pragma once

#include <cstddef>
#include <cstdint>

#include <opencv2/core.hpp>

namespace platform::v4l2 {

// The DCT scales the decoder reduces by while it decodes, largest reduction last.
constexpr int kJpegScaleDenominators[] = {1, 2, 4, 8};

// The largest denominator d of kJpegScaleDenominators whose picture, `frame` / d rounded up,
// still covers `area` when fitted into it keeping its shape: its width reaches the area's
// width or its height the area's height. 1 for an empty area.
int JpegScaleDenominator(cv::Size frame, cv::Size area);

// Whether the JPEG data ends with its end-of-image marker (after any padding of zero bytes
// a driver may add): a frame cut short by the transfer lacks it.
bool JpegComplete(const uint8_t* data, size_t size);

class JpegDecoder {
public:
    JpegDecoder();
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    // Decodes at the scale JpegScaleDenominator chooses for the size in the JPEG's own header
    // (which may differ from the mode's) into a new BGR picture. False, leaving `picture` as
    // it was, for a frame that is cut short or does not decode, or whose picture would have
    // more than `largestPicture` pixels (damaged data claiming a huge size); a frame that
    // decodes with only a warning (stray bytes) counts when it is complete.
    bool decode(const uint8_t* data, size_t size, cv::Size area, cv::Mat& picture,
                long long largestPicture = 3840LL * 2160);

private:
    void* m_handle;
};

} // namespace platform::v4l2

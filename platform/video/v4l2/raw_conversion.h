// Uncompressed V4L2 frames to BGR pictures.
#pragma once

#include <cstddef>
#include <cstdint>

#include <opencv2/core.hpp>

namespace platform::v4l2 {

// The raw formats ConvertRaw takes.
bool IsConvertibleRaw(uint32_t fourcc);

// Converts a `width` x `height` frame of pixel format `fourcc`, rows `bytesPerLine` apart
// (0: packed tight), into a new BGR picture. False, leaving `picture` as it was, when the
// format is not one it takes or `size` bytes do not hold the whole frame.
bool ConvertRaw(uint32_t fourcc, int width, int height, int bytesPerLine, const uint8_t* data,
                size_t size, cv::Mat& picture);

} // namespace platform::v4l2

// Reading a picture file with a bound on what it may cost: the size is read from the file's
// header before anything is decoded, so a picture too large to be used is never decoded.
#pragma once

#include <optional>
#include <string>

#include <opencv2/core.hpp>

namespace platform {

// The picture's width and height as its header gives them, for the formats whose header we
// read (JPEG, PNG, BMP, WebP and the PNM family); none for any other content or a header
// that is cut short or gives no size.
std::optional<cv::Size> PictureSizeFromHeader(const uint8_t* bytes, size_t size);

// cv::imread(path, flags) for a regular file whose header gives at most `largestSide` pixels a
// side; an empty image, without decoding, for anything else (a missing file, a FIFO or
// device, a bigger picture, a format whose header is not read). The file is read once and
// decoded from memory, so what is checked is what is decoded.
cv::Mat ReadPictureFile(const std::string& path, int flags, int largestSide);

} // namespace platform

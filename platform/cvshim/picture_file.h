// Reading a picture file with a bound on what it may cost: the size is read from the file's
// header before anything is decoded, so a picture too large to be used is never decoded, and a
// file that has not changed is not read again.
#pragma once

#include <optional>
#include <string>

#include <opencv2/core.hpp>

namespace platform {

// The picture's width and height as its header gives them, for the formats whose header we
// read (JPEG, PNG, BMP and the PNM family); none for any other content or a header
// that is cut short or gives no size.
std::optional<cv::Size> PictureSizeFromHeader(const uint8_t* bytes, size_t size);

// The picture in the regular file at `path` whose header gives at most `largestSide` pixels a
// side; an empty image, without decoding, for anything else (a missing file, a FIFO or device,
// a bigger picture, a format whose header is not read, a file that cannot be decoded). flags as
// cv::imread's: negative as stored (grey, BGR or BGRA), 0 grey, otherwise BGR; 8 bits.
// `cover`, when not empty, is the area the picture is drawn into, shrunk to fit and never
// enlarged: a JPEG is then decoded at the smallest DCT scale (1/8, 1/4, 1/2 or 1/1) that keeps
// every pixel drawn.
// The file is read once and decoded from memory, so what is checked is what is decoded. The
// last result is kept while the file's identity and times (device, inode, size, modification
// and change times) and the arguments stay the same: the image returned shares its pixels with
// that copy and must not be written to.
cv::Mat ReadPictureFile(const std::string& path, int flags, int largestSide, cv::Size cover = {});

} // namespace platform

// Decoding and encoding picture files in memory through libjpeg-turbo and libpng, and
// our own few lines for BMP and PNM. Every decoder takes untrusted bytes: it reads nothing past
// `size`, and a file it cannot read whole gives an empty picture.
#pragma once

#include <string>
#include <vector>

#include <opencv2/core.hpp>

namespace platform {

// How a picture's channels are delivered, as cv::imread's flags: negative as stored (grey, BGR
// or BGRA), 0 grey, otherwise BGR. Every depth is 8 bits.
cv::Mat DecodePicture(const uint8_t* bytes, size_t size, int flags, int largestSide,
                      cv::Size cover = {});

// The formats, each giving (grey: a JPEG is asked for its grey channel alone) its picture as
// stored: 1, 3 (BGR) or 4 (BGRA) channels. A JPEG is decoded at the smallest of its DCT scales
// (1/8, 1/4, 1/2, 1/1) at which the picture, shrunk to fit into `cover` without enlarging, loses
// nothing; an empty `cover` decodes at full size.
cv::Mat DecodeJpeg(const uint8_t* bytes, size_t size, bool grey, cv::Size cover, int largestSide);
cv::Mat DecodePng(const uint8_t* bytes, size_t size, int largestSide);
cv::Mat DecodeBmp(const uint8_t* bytes, size_t size);
cv::Mat DecodePnm(const uint8_t* bytes, size_t size);

// The DCT scale numerator (out of 8) DecodeJpeg uses for a `picture` drawn into `cover`.
int JpegScaleEighths(cv::Size picture, cv::Size cover);

// An 8-bit grey, BGR or BGRA picture as a PNG file, or as JPEG bytes (tests and tools).
bool WritePngFile(const std::string& path, const cv::Mat& picture);
std::vector<uint8_t> EncodeJpeg(const cv::Mat& picture, int quality);

} // namespace platform

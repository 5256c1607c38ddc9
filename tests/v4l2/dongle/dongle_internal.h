// Inside the test dongle: the device table and the pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dongle.h"

namespace cv {
class Mat;
}

namespace dongle {

// Pictures cycled through while streaming (encoded once per mode).
constexpr int kPatternFrames = 12;

struct SizeEntry {
    uint32_t fourcc = 0;
    int width = 0, height = 0; // a discrete size, or the largest of a range
    bool stepwise = false;
    int minWidth = 0, minHeight = 0, stepWidth = 1, stepHeight = 1;
    std::vector<double> fps; // fastest first
};

enum class Damage { Error, Empty, Truncated, WrongSize };

// What the frames show: the moving pattern, photo-like pictures, or black with a white frame
// when one is asked for (Flash).
enum class Content { Pattern, Natural, Flash };

struct Table {
    std::string card = "USB3.0 HDMI Capture";
    std::vector<SizeEntry> sizes;
    double quietAfter = -1, quietFor = 0;
    std::string logPath;
    Content content = Content::Pattern;
    std::vector<std::pair<Damage, int>> damage; // kind, every how many frames
    int burstFrames = 0, burstPeriodMs = 0;
    bool deny = false, busy = false;
    enum class Eio { Never, Once, Always } eio = Eio::Never;
    int slowMs = 0;
    std::string cacheDir; // where the pictures are kept between runs, when not empty
    std::string pluggedWhile;
};

// Entries it cannot read are left out.
Table ParseTable(const std::string& text);

std::vector<uint8_t> FrameBytes(uint32_t fourcc, int width, int height, int k);
// The pictures a stream cycles through, kPatternFrames of them (for Flash, black then white);
// read from `cacheDir` when it holds them, else made (and kept there, when it is given).
std::vector<std::vector<uint8_t>> StreamPictures(uint32_t fourcc, int width, int height,
                                                 Content content, const std::string& cacheDir = "");
std::vector<uint8_t> EncodeJpeg(const cv::Mat& bgr, int quality);
std::vector<std::vector<uint8_t>> NaturalJpegs(int width, int height);
// uvcvideo announces the largest frame: two bytes a pixel for YUYV, and as much for MJPG.
inline size_t FrameBufferSize(int width, int height) {
    return size_t(width) * height * 2;
}

} // namespace dongle

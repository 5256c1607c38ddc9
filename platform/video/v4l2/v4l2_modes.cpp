// Choosing the capture mode from what the device offers.
#include "platform/video/v4l2/v4l2_modes.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cstdio>

namespace platform::v4l2 {

bool ConvertibleToBgr(uint32_t fourcc) {
    // The formats the V4L2 source turns into BGR pictures: JPEG through libjpeg-turbo, the raw
    // ones through OpenCV's colour conversions (raw_conversion.cpp).
    switch (fourcc) {
    case V4L2_PIX_FMT_BGR24:
    case V4L2_PIX_FMT_RGB24:
    case V4L2_PIX_FMT_YUYV:
    case V4L2_PIX_FMT_UYVY:
    case V4L2_PIX_FMT_YUV420:
    case V4L2_PIX_FMT_YVU420:
    case V4L2_PIX_FMT_NV12:
    case V4L2_PIX_FMT_NV21:
    case V4L2_PIX_FMT_GREY:
    case V4L2_PIX_FMT_MJPEG:
    case V4L2_PIX_FMT_JPEG:
        return true;
    default:
        return false;
    }
}

bool IsJpeg(uint32_t fourcc) {
    return fourcc == V4L2_PIX_FMT_MJPEG || fourcc == V4L2_PIX_FMT_JPEG;
}

namespace {

// Larger frame first: by pixel count, then by width.
bool Larger(const Mode& a, const Mode& b) {
    const long long areaA = 1LL * a.width * a.height, areaB = 1LL * b.width * b.height;
    return areaA != areaB ? areaA > areaB : a.width > b.width;
}

bool SameSize(const Mode& a, const Mode& b) {
    return a.width == b.width && a.height == b.height;
}

} // namespace

std::optional<Mode> ChooseMode(const std::vector<Mode>& modes) {
    std::vector<Mode> usable;
    for (const Mode& m : modes)
        if (ConvertibleToBgr(m.fourcc) && m.width > 0 && m.height > 0 && m.fps > 0)
            usable.push_back(m);
    if (usable.empty())
        return std::nullopt;

    const bool anyFast = std::any_of(usable.begin(), usable.end(),
                                     [](const Mode& m) { return m.fps >= kWantedFps; });
    std::optional<Mode> size;
    for (const Mode& m : usable)
        if ((!anyFast || m.fps >= kWantedFps) && (!size || Larger(m, *size)))
            size = m;

    std::optional<Mode> best;
    for (const Mode& m : usable) {
        if (!SameSize(m, *size))
            continue;
        if (!best || m.fps > best->fps ||
            (m.fps == best->fps && IsJpeg(best->fourcc) && !IsJpeg(m.fourcc)))
            best = m;
    }
    return best;
}

std::vector<std::pair<int, int>> CandidateSizes(const SizeRange& r) {
    // Common sizes of capture sources, largest first.
    static constexpr std::pair<int, int> kCommon[] = {
        {3840, 2160}, {2560, 1440}, {1920, 1200}, {1920, 1080}, {1600, 1200},
        {1280, 1024}, {1280, 720},  {1024, 768},  {800, 600},   {720, 576},
        {720, 480},   {640, 480},   {320, 240}};
    auto onSteps = [](int v, int lo, int hi, int step) {
        return v >= lo && v <= hi && (step <= 1 || (v - lo) % step == 0);
    };
    std::vector<std::pair<int, int>> sizes{{r.maxWidth, r.maxHeight}};
    for (auto [w, h] : kCommon)
        if (onSteps(w, r.minWidth, r.maxWidth, r.stepWidth) &&
            onSteps(h, r.minHeight, r.maxHeight, r.stepHeight))
            sizes.emplace_back(w, h);
    sizes.emplace_back(r.minWidth, r.minHeight);
    std::vector<std::pair<int, int>> unique;
    for (auto s : sizes)
        if (s.first > 0 && s.second > 0 &&
            std::find(unique.begin(), unique.end(), s) == unique.end())
            unique.push_back(s);
    return unique;
}

std::string FourccText(uint32_t fourcc) {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>((fourcc >> (8 * i)) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

std::string Describe(const Mode& mode) {
    char fps[32];
    std::snprintf(fps, sizeof fps, "%g", mode.fps);
    return FourccText(mode.fourcc) + " " + std::to_string(mode.width) + "x" +
           std::to_string(mode.height) + " @" + fps;
}

} // namespace platform::v4l2

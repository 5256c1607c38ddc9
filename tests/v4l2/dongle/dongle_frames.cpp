// The dongle's pictures: a moving pattern, in the bytes of the format it streams.
#include "dongle_internal.h"

#include <linux/videodev2.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include <opencv2/imgproc.hpp>

namespace dongle {

namespace {

const cv::Scalar kGreen(40, 160, 40), kMagenta(160, 40, 160);

// A picture in the bytes of `fourcc` (MJPG or YUYV).
std::vector<uint8_t> PictureBytes(uint32_t fourcc, const cv::Mat& bgr) {
    const int width = bgr.cols, height = bgr.rows;
    std::vector<uint8_t> out;
    if (fourcc == V4L2_PIX_FMT_MJPEG)
        return EncodeJpeg(bgr, 85);
    // YUYV: the luma of each pixel, the chroma of each pair of pixels.
    cv::Mat yuv;
    cv::cvtColor(bgr, yuv, cv::COLOR_BGR2YUV);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x + 1 < width; x += 2) {
            const cv::Vec3b a = yuv.at<cv::Vec3b>(y, x), b = yuv.at<cv::Vec3b>(y, x + 1);
            out.insert(out.end(),
                       {a[0], uint8_t((a[1] + b[1]) / 2), b[0], uint8_t((a[2] + b[2]) / 2)});
        }
    return out;
}

} // namespace

std::vector<uint8_t> FrameBytes(uint32_t fourcc, int width, int height, int k) {
    // Green on the left, magenta on the right, a white bar that crosses the picture in
    // kPatternFrames frames.
    cv::Mat bgr(height, width, CV_8UC3, kGreen);
    bgr(cv::Rect(width / 2, 0, width - width / 2, height)).setTo(kMagenta);
    const int bar = std::max(1, width / 16);
    bgr(cv::Rect((width - bar) * k / (kPatternFrames - 1), 0, bar, height))
        .setTo(cv::Scalar::all(255));
    return PictureBytes(fourcc, bgr);
}

namespace {

std::vector<std::vector<uint8_t>> MakePictures(uint32_t fourcc, int width, int height,
                                               Content content) {
    if (content == Content::Natural && fourcc == V4L2_PIX_FMT_MJPEG)
        return NaturalJpegs(width, height);
    if (content == Content::Flash)
        return {PictureBytes(fourcc, cv::Mat(height, width, CV_8UC3, cv::Scalar::all(0))),
                PictureBytes(fourcc, cv::Mat(height, width, CV_8UC3, cv::Scalar::all(255)))};
    std::vector<std::vector<uint8_t>> pictures;
    for (int k = 0; k < kPatternFrames; ++k)
        pictures.push_back(FrameBytes(fourcc, width, height, k));
    return pictures;
}

// A cache file holds the pictures one after another, each after its size (a uint64_t).
std::vector<std::vector<uint8_t>> ReadPictures(const std::string& path) {
    std::vector<std::vector<uint8_t>> pictures;
    std::ifstream in(path, std::ios::binary);
    for (uint64_t size; in.read(reinterpret_cast<char*>(&size), sizeof size);) {
        if (size > (64u << 20))
            return {};
        std::vector<uint8_t> picture(size);
        if (!in.read(reinterpret_cast<char*>(picture.data()), std::streamsize(size)))
            return {};
        pictures.push_back(std::move(picture));
    }
    return pictures;
}

// Written whole under another name, then renamed, so a reader never sees half a file.
void WritePictures(const std::string& path, const std::vector<std::vector<uint8_t>>& pictures) {
    const std::string partial = path + "." + std::to_string(getpid());
    {
        std::ofstream out(partial, std::ios::binary);
        for (const auto& picture : pictures) {
            const uint64_t size = picture.size();
            out.write(reinterpret_cast<const char*>(&size), sizeof size);
            out.write(reinterpret_cast<const char*>(picture.data()), std::streamsize(size));
        }
    }
    std::rename(partial.c_str(), path.c_str());
}

} // namespace

std::vector<std::vector<uint8_t>> StreamPictures(uint32_t fourcc, int width, int height,
                                                 Content content, const std::string& cacheDir) {
    if (cacheDir.empty())
        return MakePictures(fourcc, width, height, content);
    const uint32_t name[] = {fourcc, 0};
    const std::string path = cacheDir + "/" + reinterpret_cast<const char*>(name) + "-" +
                             std::to_string(width) + "x" + std::to_string(height) +
                             (content == Content::Natural ? "-natural"
                              : content == Content::Flash ? "-flash"
                                                          : "-pattern");
    auto pictures = ReadPictures(path);
    if (pictures.empty()) {
        pictures = MakePictures(fourcc, width, height, content);
        mkdir(cacheDir.c_str(), 0755);
        WritePictures(path, pictures);
    }
    return pictures;
}

bool ShowsPattern(const cv::Mat& picture) {
    if (picture.type() != CV_8UC3 || picture.empty())
        return false;
    // Within 30 levels on each channel; the bar covers a sixteenth.
    auto share = [&](const cv::Scalar& colour) {
        cv::Mat near;
        cv::inRange(picture, colour - cv::Scalar::all(30), colour + cv::Scalar::all(30), near);
        return double(cv::countNonZero(near)) / picture.total();
    };
    return share(kGreen) > 0.4 && share(kMagenta) > 0.4;
}

} // namespace dongle

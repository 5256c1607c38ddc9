// The dongle's photo-like pictures: smooth gradients under fine detail and sensor noise,
// panning a little each frame, JPEG-encoded at quality 85 (about 300 KB at 1920x1080, as a
// capture card's camera or game picture).
#include "dongle_internal.h"

#include <turbojpeg.h>

#include <opencv2/core.hpp>

namespace dongle {

namespace {

// Pixels the picture pans by from one frame to the next.
constexpr int kPanStep = 6;
// Standard deviation of the sensor noise, in levels.
constexpr double kNoise = 2.5;

// A picture wider than the frame by the whole pan, so each frame crops it further right.
cv::Mat NaturalScene(int width, int height) {
    const int wide = width + kPanStep * kPatternFrames;
    cv::Mat scene(height, wide, CV_8UC3);
    cv::RNG rng(1234);
    for (int y = 0; y < height; ++y) {
        auto* row = scene.ptr<cv::Vec3b>(y);
        const double v = double(y) / height;
        for (int x = 0; x < wide; ++x) {
            const double u = double(x) / width;
            // Sky to ground gradients, a soft blob of light, and a fine texture whose strength
            // varies over the picture like foliage against a wall.
            const double light =
                60 * std::exp(-((u - 0.6) * (u - 0.6) + (v - 0.4) * (v - 0.4)) * 8);
            const double detail = (12 + 10 * std::sin(u * 7 + v * 5)) *
                                  std::sin(x * 0.9 + std::sin(y * 0.21) * 3) *
                                  std::sin(y * 0.77 + x * 0.05);
            const double base[3] = {150 - 90 * v, 120 - 40 * v + 30 * u, 70 + 100 * v};
            for (int c = 0; c < 3; ++c)
                row[x][c] = cv::saturate_cast<uint8_t>(base[c] + light + detail * (0.7 + 0.15 * c));
        }
    }
    cv::Mat noisy, noise(scene.size(), CV_16SC3);
    scene.convertTo(noisy, CV_16SC3);
    cv::randn(noise, cv::Scalar::all(0), cv::Scalar::all(kNoise));
    noisy += noise;
    noisy.convertTo(scene, CV_8UC3);
    return scene;
}

} // namespace

std::vector<uint8_t> EncodeJpeg(const cv::Mat& bgr, int quality) {
    tjhandle encoder = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    std::vector<uint8_t> out;
    if (encoder && tjCompress2(encoder, bgr.data, bgr.cols, int(bgr.step), bgr.rows, TJPF_BGR,
                               &jpeg, &size, TJSAMP_422, quality, 0) == 0)
        out.assign(jpeg, jpeg + size);
    tjFree(jpeg);
    if (encoder)
        tjDestroy(encoder);
    return out;
}

std::vector<std::vector<uint8_t>> NaturalJpegs(int width, int height) {
    const cv::Mat scene = NaturalScene(width, height);
    std::vector<std::vector<uint8_t>> frames;
    for (int k = 0; k < kPatternFrames; ++k)
        frames.push_back(EncodeJpeg(scene(cv::Rect(k * kPanStep, 0, width, height)), 85));
    return frames;
}

} // namespace dongle

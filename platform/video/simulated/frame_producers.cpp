// Test pattern, still image and looping video file.
#include "platform/video/simulated/frame_producers.h"
#include "platform/video/simulated/test_pattern.h"

#include <algorithm>
#include <filesystem>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

namespace platform {

namespace {

// Larger patterns are refused rather than left to fail allocating.
constexpr int64_t kMaxPatternPixels = 4096LL * 4096LL;

class ImageProducer : public FrameProducer {
public:
    explicit ImageProducer(cv::Mat image) : m_image(std::move(image)) {}
    bool next(cv::Mat& frame) override {
        m_image.copyTo(frame);
        return true;
    }

private:
    cv::Mat m_image;
};

class VideoFileProducer : public FrameProducer {
public:
    explicit VideoFileProducer(std::string path) : m_path(std::move(path)), m_video(m_path) {}
    bool opened() const { return m_video.isOpened(); }

    bool next(cv::Mat& frame) override {
        if (readBgr(frame))
            return true;
        // At the end: start again from the top.
        m_video.open(m_path);
        return readBgr(frame);
    }

private:
    bool readBgr(cv::Mat& frame) {
        if (!m_video.isOpened() || !m_video.read(frame) || frame.empty())
            return false;
        if (frame.type() == CV_8UC1)
            cv::cvtColor(frame, frame, cv::COLOR_GRAY2BGR);
        else if (frame.type() == CV_8UC4)
            cv::cvtColor(frame, frame, cv::COLOR_BGRA2BGR);
        return frame.type() == CV_8UC3;
    }

    std::string m_path;
    cv::VideoCapture m_video;
};

// OpenCV complains on stderr about paths it cannot open; a missing file is no news.
bool IsFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

std::unique_ptr<FrameProducer> MakeFrameProducer(const SimulatedPicture& picture) {
    switch (picture.kind) {
    case SimulatedPicture::Kind::Pattern: {
        const cv::Size size = picture.size;
        if (size.width <= 0 || size.height <= 0 ||
            (int64_t)size.width * size.height > kMaxPatternPixels)
            return nullptr;
        return MakeTestPattern(size);
    }
    case SimulatedPicture::Kind::ImageFile: {
        if (!IsFile(picture.path))
            return nullptr;
        cv::Mat image = cv::imread(picture.path, cv::IMREAD_COLOR);
        if (image.empty())
            return nullptr;
        return std::make_unique<ImageProducer>(std::move(image));
    }
    case SimulatedPicture::Kind::VideoFile: {
        if (!IsFile(picture.path))
            return nullptr;
        auto producer = std::make_unique<VideoFileProducer>(picture.path);
        if (!producer->opened())
            return nullptr;
        return producer;
    }
    }
    return nullptr;
}

} // namespace platform

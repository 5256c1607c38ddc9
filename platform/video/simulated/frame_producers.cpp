// Test pattern, still image and looping video file.
#include "platform/video/simulated/frame_producers.h"

#include <algorithm>
#include <filesystem>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

namespace platform {

namespace {

// Larger patterns are refused rather than left to fail allocating.
constexpr int64_t kMaxPatternPixels = 4096LL * 4096LL;

// Colour bars that roll sideways a few pixels per frame, with a white box bouncing along the
// diagonal, so consecutive frames differ.
class PatternProducer : public FrameProducer {
public:
    explicit PatternProducer(cv::Size size)
        : m_size(size), m_box(std::max(1, std::min(size.width, size.height) / 8)) {}

    bool next(cv::Mat& frame) override {
        static const cv::Scalar colours[] = {{255, 255, 255}, {0, 255, 255}, {255, 255, 0},
                                             {0, 255, 0},     {255, 0, 255}, {0, 0, 255},
                                             {255, 0, 0},     {0, 0, 0}};
        constexpr int count = static_cast<int>(std::size(colours));
        const int width = m_size.width;
        frame.create(m_size, CV_8UC3);
        const int shift = static_cast<int>((m_frame * 4) % width);
        for (int bar = 0; bar < count; ++bar) {
            int begin = static_cast<int>((int64_t)bar * width / count) + shift;
            int end = static_cast<int>((int64_t)(bar + 1) * width / count) + shift;
            if (begin >= width) {
                begin -= width;
                end -= width;
            }
            fillColumns(frame, begin, std::min(end, width), colours[bar]);
            if (end > width)
                fillColumns(frame, 0, end - width, colours[bar]);
        }
        const int travel = std::max(1, std::min(m_size.width, m_size.height) - m_box);
        const int pos = static_cast<int>((m_frame * 3) % (2 * travel));
        const int offset = pos < travel ? pos : 2 * travel - pos;
        const int x = std::min(offset, m_size.width - m_box);
        const int y = std::min(offset, m_size.height - m_box);
        frame(cv::Rect(x, y, m_box, m_box)).setTo(cv::Scalar(255, 255, 255));
        ++m_frame;
        return true;
    }

private:
    static void fillColumns(cv::Mat& frame, int begin, int end, const cv::Scalar& colour) {
        if (end > begin)
            frame.colRange(begin, end).setTo(colour);
    }

    cv::Size m_size;
    int m_box;
    uint64_t m_frame = 0;
};

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
        return std::make_unique<PatternProducer>(size);
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

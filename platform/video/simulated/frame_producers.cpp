// Test pattern and still image.
#include "platform/video/simulated/frame_producers.h"
#include "platform/video/simulated/test_pattern.h"

#include "platform/cvshim/picture_file.h"

namespace platform {

namespace {

// Larger patterns and pictures are refused rather than left to fail allocating.
constexpr int kLargestSide = 4096;
constexpr int64_t kMaxPatternPixels = int64_t(kLargestSide) * kLargestSide;

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
        // Copied: the reader's picture is shared with its cache.
        cv::Mat image = ReadPictureFile(picture.path, 1, kLargestSide).clone();
        if (image.empty())
            return nullptr;
        return std::make_unique<ImageProducer>(std::move(image));
    }
    }
    return nullptr;
}

} // namespace platform

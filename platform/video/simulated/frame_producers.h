// Where a simulated source's frames come from: a test pattern, an image file, a video file.
#pragma once

#include <memory>

#include <opencv2/core.hpp>

#include "platform/video/simulated_devices.h"

namespace platform {

class FrameProducer {
public:
    virtual ~FrameProducer() = default;
    // The next frame, 8-bit BGR; false when none can be made.
    virtual bool next(cv::Mat& frame) = 0;
};

// Null when the picture cannot be produced (bad size, unreadable file).
std::unique_ptr<FrameProducer> MakeFrameProducer(const SimulatedPicture& picture);

} // namespace platform

// The moving test pattern of a simulated input.
#pragma once

#include <memory>

#include <opencv2/core.hpp>

#include "platform/video/simulated/frame_producers.h"

namespace platform {

// Colour bars that roll sideways 4 pixels per frame, with a white box bouncing along the
// diagonal, so consecutive frames differ. Size must be positive.
//
// Frames are drawn into a few buffers that come back to the producer when every Mat over them
// has been released; a returned buffer is drawn again only where the picture changed, so a
// frame costs a small part of its size. A reader must not write into a frame it was given.
std::unique_ptr<FrameProducer> MakeTestPattern(cv::Size size);

} // namespace platform

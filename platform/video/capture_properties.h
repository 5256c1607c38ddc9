// The capture properties the platform's video sources answer and take. The device's own ones
// keep the numbers OpenCV's capture gives them, so a number logged or passed on means the same.
#pragma once

namespace platform {

// Capture time of the frame read last, in ms on CLOCK_MONOTONIC.
constexpr int kCapPropPosMsec = 0;
// The mode the device streams in: frame size, rate and pixel format (a V4L2 fourcc).
constexpr int kCapPropFrameWidth = 3;
constexpr int kCapPropFrameHeight = 4;
constexpr int kCapPropFps = 5;
constexpr int kCapPropFourcc = 6;
// Driver buffers the stream cycles through.
constexpr int kCapPropBufferSize = 38;

// Ours: the size, in pixels, of the area the frames are drawn into (fitted, keeping their
// shape). A source may then deliver frames smaller than the device's, as long as they still
// cover that area; 0 (the start) asks for frames at full size.
constexpr int kCapPropDrawWidth = 0x10001;
constexpr int kCapPropDrawHeight = 0x10002;

} // namespace platform

// The capture modes a V4L2 node offers, and the one the viewer streams in, apart from the
// system calls so the choice can be checked without hardware.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::v4l2 {

// One format, frame size and frame rate the device offers.
struct Mode {
    uint32_t fourcc = 0; // V4L2 pixel format
    int width = 0;
    int height = 0;
    double fps = 0;
    bool operator==(const Mode&) const = default;
};

// A rate "reaches 30 fps" from this on: devices built for NTSC rates announce 30000/1001.
constexpr double kWantedFps = 30000.0 / 1001.0;

// Whether the V4L2 source turns this pixel format into BGR pictures.
bool ConvertibleToBgr(uint32_t fourcc);
// Whether it is a compressed (JPEG) format, which costs a decode per frame.
bool IsJpeg(uint32_t fourcc);

// Among the modes whose format converts to BGR: the largest frame size that reaches
// kWantedFps (the largest of all when none does), then the highest rate at that size, then a
// raw format over a JPEG one. Earlier entries win remaining ties. Nothing when no mode fits.
std::optional<Mode> ChooseMode(const std::vector<Mode>& modes);

// The sizes worth asking rates for within a stepwise range: its largest and smallest size
// and the common sizes that lie on its steps.
struct SizeRange {
    int minWidth, maxWidth, stepWidth;
    int minHeight, maxHeight, stepHeight;
};
std::vector<std::pair<int, int>> CandidateSizes(const SizeRange& range);

// "MJPG 1920x1080 @60", for messages and tests.
std::string Describe(const Mode& mode);
std::string FourccText(uint32_t fourcc);

} // namespace platform::v4l2

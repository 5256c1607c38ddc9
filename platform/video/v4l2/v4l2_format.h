// The capture modes of an open node, and setting one.
#pragma once

#include <vector>

#include "platform/video/v4l2/v4l2_modes.h"

namespace platform::v4l2 {

// Every mode the node behind `fd` offers: each format, each frame size (for a stepwise
// range, CandidateSizes) and each of its frame intervals (for a range of intervals, the
// fastest).
std::vector<Mode> QueryModes(int fd);

// What the driver granted when asked for a mode.
struct GrantedFormat {
    Mode mode;
    int bytesPerLine = 0; // of a raw format's first plane; 0 for JPEG
};

// Asks for `mode` once with S_FMT and once with S_PARM; the driver may grant something near
// it. False, with errno set, when it refuses the format (EBUSY: another program streams from
// it); a driver that sets no rate keeps its own, reported as 0.
bool SetMode(int fd, const Mode& mode, GrantedFormat& granted);

} // namespace platform::v4l2

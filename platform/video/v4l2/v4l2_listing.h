// How the V4L2 device nodes become the list of video inputs, apart from the system calls so
// it can be checked without hardware.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/video/video_source.h"

namespace platform::v4l2 {

// Highest node number listed; the kernel hands out fewer video minors than this.
constexpr int kMaxVideoNodes = 256;

// The N of every "videoN" among the names of /dev entries, ascending. Other names, numbers
// with leading zeros and numbers of kMaxVideoNodes or more are not capture nodes OpenCV can
// open by index, and are left out.
std::vector<int> VideoNodeNumbers(const std::vector<std::string>& devEntries);

// The card name of /dev/video<n>, or nothing when that node cannot capture video.
using CardNameQuery = std::function<std::optional<std::string>(int n)>;

// Entry i describes /dev/video<i>, for i from 0 to the highest node number, so positions match
// OpenCV's capture indices. A missing node, or one that cannot capture, gets an empty name.
std::vector<VideoInputInfo> AssembleInputs(const std::vector<std::string>& devEntries,
                                           const CardNameQuery& cardName);

} // namespace platform::v4l2

// Reading a window's pixels and a list box's text back, for scenarios and tests.
#pragma once

#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "platform/win32/types.h"

namespace platform::scenario {

// The client area of a window as 8-bit BGR pixels; empty for an unknown window.
cv::Mat WindowPixels(HWND window);
bool SaveWindowSnapshot(HWND window, const std::string& path, std::string& error);

// The entries of a list box, in order, as UTF-8.
std::vector<std::string> ListBoxText(HWND listBox);
bool SaveListBoxText(HWND listBox, const std::string& path, std::string& error);

} // namespace platform::scenario

// The real vistrel program as a child process on an X display (Xvfb in CI), for end-to-end
// tests: its window found with xdotool, the X screen read back as pixels.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

namespace testing_support {

// Runs a shell command; returns what it printed on standard output, and its exit status in
// `status` when given.
std::string Shell(const std::string& command, int* status = nullptr);

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

class ViewerProcess {
public:
    // Starts `binary` with `env` ("NAME=value" entries) and what else this process has, less
    // every VISTREL_ variable; with `errors`, its standard error goes to that file and its
    // standard output nowhere.
    ViewerProcess(const std::string& binary, const std::vector<std::string>& env,
                  const std::string& errors = "");
    ~ViewerProcess(); // kills the program if it still runs
    ViewerProcess(const ViewerProcess&) = delete;
    ViewerProcess& operator=(const ViewerProcess&) = delete;

    bool started() const { return m_pid > 0; }
    // The X window id of the viewer once it is mapped; empty when none appears in `bound`.
    std::string window(std::chrono::seconds bound = std::chrono::seconds(10));
    Geometry geometry(const std::string& window);
    // Sends what a window manager sends for the close box (WM_DELETE_WINDOW) to `window`.
    static void requestClose(const std::string& window);
    // Waits for the program to end by itself: its exit status, 128 + the signal that ended it,
    // or -1 on timeout.
    int wait(std::chrono::milliseconds bound);
    long peakKb() const { return m_peakKb; } // its peak resident memory, once it ended

private:
    pid_t m_pid = -1;
    bool m_exited = false;
    long m_peakKb = 0;
};

// The whole X screen, as blue-green-red pixels (empty when it cannot be read).
cv::Mat Screenshot();
// Takes screenshots until `ready` holds for one (a slow build draws late), at most 15 s.
cv::Mat ScreenshotWhen(const std::function<bool(const cv::Mat&)>& ready);

} // namespace testing_support

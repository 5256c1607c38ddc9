// Runs the viewer dialog modally on a thread of its own, as the program runs it, on the
// headless backend with simulated inputs; the test thread drives it with messages and reads
// back what the window shows.
#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <opencv2/core.hpp>

#include "platform/video/simulated_devices.h"
#include "tests/support/rect_print.h"
#include "viewer/VelvoraDlg.h"

namespace testing_support {

class DialogRun {
public:
    // `prepare` runs on the dialog's thread after construction and before DoModal.
    explicit DialogRun(std::function<void(CVelvoraDlg&)> prepare = {});
    ~DialogRun();

    CVelvoraDlg& dialog() { return *m_dialog; }
    HWND window() const { return m_window; }
    HWND video() const;

    // Runs `work` on the dialog's thread and waits for it.
    void onUi(const std::function<void()>& work);
    // Posts, then waits until the dialog's thread has handled everything posted before.
    void post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void settle();

    // Posts WM_CLOSE and waits for DoModal to return; false if it did not within the bound.
    bool close(std::chrono::milliseconds bound = std::chrono::seconds(20));
    // Ends the dialog by `how` (run on the test thread) and waits for DoModal to return.
    bool end(const std::function<void()>& how,
             std::chrono::milliseconds bound = std::chrono::seconds(20));
    bool closed() const { return m_closed; }

    cv::Mat videoPixels() const;
    cv::Mat windowPixels() const;
    std::vector<std::string> eventLog();

private:
    std::unique_ptr<CVelvoraDlg> m_dialog;
    std::thread m_thread;
    std::promise<void> m_ready;
    std::future<void> m_done;
    HWND m_window = nullptr;
    bool m_closed = false;
};

// Waits until `condition` holds, at most `bound`: wide, for a busy machine under sanitizers;
// it returns as soon as the condition holds.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds bound = std::chrono::seconds(20));

// A fresh headless desktop and simulated inputs for one test.
std::shared_ptr<platform::SimulatedVideoProvider> FreshPlatform();

platform::SimulatedInput Named(const char* name, int width = 320, int height = 180, double fps = 0);

// Pixel helpers over 8-bit BGR images.
bool IsBlack(const cv::Mat& image, const cv::Rect& area);
int CountPixels(const cv::Mat& image, const cv::Scalar& bgr, int tolerance = 40);
// The bounding box of the pixels near `bgr`; empty when there are none.
cv::Rect BoundsOf(const cv::Mat& image, const cv::Scalar& bgr, int tolerance = 60);

std::string TempPath(const std::string& name);

} // namespace testing_support

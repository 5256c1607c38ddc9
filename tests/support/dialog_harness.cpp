#include "tests/support/dialog_harness.h"

#include <unistd.h>

#include <filesystem>

#include <opencv2/imgproc.hpp>

#include "platform/backend/backend.h"
#include "platform/notify/real_sources.h"
#include "platform/notify/simulated_notifications.h"
#include "platform/scenario/window_snapshot.h"
#include "platform/system/frame_allocator.h"
#include "platform/window/ui_thread.h"

namespace testing_support {

DialogRun::DialogRun(std::function<void(CVelvoraDlg&)> prepare) {
    std::promise<void> done;
    m_done = done.get_future();
    std::future<void> ready = m_ready.get_future();
    m_thread = std::thread([this, prepare, done = std::move(done)]() mutable {
        platform::MakeThisTheUiThread();
        m_dialog = std::make_unique<CVelvoraDlg>();
        if (prepare)
            prepare(*m_dialog);
        // Tell the test thread once the dialog has initialised and its loop runs.
        platform::PostToUiThread([this] {
            m_window = m_dialog->GetSafeHwnd();
            UpdateWindow(m_window); // the first paint, as the program shows it
            m_ready.set_value();
        });
        m_dialog->DoModal();
        done.set_value();
    });
    ready.wait();
}

DialogRun::~DialogRun() {
    if (!m_closed)
        close();
    if (m_thread.joinable()) {
        if (m_done.wait_for(std::chrono::seconds(20)) == std::future_status::ready)
            m_thread.join();
        else
            m_thread.detach(); // the test has failed already; do not hang the run
    }
    if (m_closed)
        m_dialog.reset();
    else
        (void)m_dialog.release();
}

HWND DialogRun::video() const {
    return GetDlgItem(m_window, IDC_VIDEO);
}

void DialogRun::onUi(const std::function<void()>& work) {
    std::promise<void> finished;
    std::future<void> wait = finished.get_future();
    platform::PostToUiThread([&] {
        work();
        finished.set_value();
    });
    wait.wait();
}

void DialogRun::post(UINT message, WPARAM wParam, LPARAM lParam) {
    PostMessageW(m_window, message, wParam, lParam);
    settle();
}

void DialogRun::settle() {
    // Tasks run before queued messages, so look until the queue is empty and painted.
    for (int i = 0; i < 1000; ++i) {
        bool pending = false;
        onUi([&] {
            UpdateWindow(m_window);
            MSG msg;
            pending = PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
        });
        if (!pending)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool DialogRun::close(std::chrono::milliseconds bound) {
    return end([this] { PostMessageW(m_window, WM_CLOSE, 0, 0); }, bound);
}

bool DialogRun::end(const std::function<void()>& how, std::chrono::milliseconds bound) {
    if (m_closed)
        return true;
    how();
    m_closed = m_done.wait_for(bound) == std::future_status::ready;
    return m_closed;
}

cv::Mat DialogRun::videoPixels() const {
    return platform::scenario::WindowPixels(video());
}

cv::Mat DialogRun::windowPixels() const {
    return platform::scenario::WindowPixels(m_window);
}

std::vector<std::string> DialogRun::eventLog() {
    std::vector<std::string> entries;
    onUi([&] { entries = platform::scenario::ListBoxText(GetDlgItem(m_window, IDC_EVENT_LOG)); });
    return entries;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

std::shared_ptr<platform::SimulatedVideoProvider> FreshPlatform() {
    platform::KeepFrameSizedAllocationsInHeap();
    platform::SetBackend(platform::CreateHeadlessBackend());
    platform::notify::SetRealNotificationSourcesEnabled(false);
    return platform::InstallSimulatedVideoProvider();
}

platform::SimulatedInput Named(const char* name, int width, int height, double fps) {
    platform::SimulatedInput input;
    input.friendlyName = platform::SimulatedName(name);
    input.picture = platform::SimulatedPicture::Pattern(width, height, fps);
    return input;
}

bool IsBlack(const cv::Mat& image, const cv::Rect& area) {
    const cv::Rect inside = area & cv::Rect(0, 0, image.cols, image.rows);
    return cv::countNonZero(image(inside).reshape(1)) == 0;
}

static cv::Mat Near(const cv::Mat& image, const cv::Scalar& bgr, int tolerance) {
    cv::Mat mask;
    cv::inRange(image, bgr - cv::Scalar::all(tolerance), bgr + cv::Scalar::all(tolerance), mask);
    return mask;
}

int CountPixels(const cv::Mat& image, const cv::Scalar& bgr, int tolerance) {
    return image.empty() ? 0 : cv::countNonZero(Near(image, bgr, tolerance));
}

cv::Rect BoundsOf(const cv::Mat& image, const cv::Scalar& bgr, int tolerance) {
    if (image.empty())
        return {};
    std::vector<cv::Point> points;
    cv::findNonZero(Near(image, bgr, tolerance), points);
    return points.empty() ? cv::Rect() : cv::boundingRect(points);
}

std::string TempPath(const std::string& name) {
    // One folder per test process: test programs run side by side (ctest -j, several build
    // trees on one machine) and must not overwrite each other's scenarios and screenshots.
    const auto folder =
        std::filesystem::temp_directory_path() / ("vistrel-tests-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    return (folder / name).string();
}

} // namespace testing_support

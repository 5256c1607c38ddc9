#include "platform/video/capture_trouble.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>

namespace platform {

// The words are fixed: the viewer draws them under the no-signal picture, and the README and
// the manual page quote them.
std::string OpenFailureText(const OpenFailure& failure) {
    switch (failure.error) {
    case EACCES:
    case EPERM:
        return "No permission to open " + (failure.node.empty() ? "the device" : failure.node) +
               ": add your user to the video group and log in again";
    case EBUSY:
        return "The capture device is in use by another program";
    default:
        return "";
    }
}

void CaptureTrouble::opened() {
    std::lock_guard lock(m_mutex);
    m_open = true;
    m_failure = {};
    m_lastSign = Clock::now();
}

void CaptureTrouble::openFailed(const OpenFailure& why) {
    std::lock_guard lock(m_mutex);
    m_open = false;
    m_failure = why;
}

void CaptureTrouble::released() {
    std::lock_guard lock(m_mutex);
    m_open = false;
    m_failure = {};
}

void CaptureTrouble::frameRead() {
    std::lock_guard lock(m_mutex);
    m_lastSign = Clock::now();
}

std::string CaptureTrouble::describe(Clock::time_point now) const {
    std::lock_guard lock(m_mutex);
    if (!m_open)
        return OpenFailureText(m_failure);
    if (now - m_lastSign >= kSilentAfter)
        return "No signal from the HDMI source";
    return "";
}

void ReportCaptureTrouble(const std::string& reason) {
    std::string line = "vistrel: " + reason + "\n";
    if (!reason.empty())
        line[9] = static_cast<char>(std::tolower(static_cast<unsigned char>(line[9])));
    // One write, so the line is not torn by another thread's output.
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, line.data(), line.size());
}

} // namespace platform

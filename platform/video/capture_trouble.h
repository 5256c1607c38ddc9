// Why a capture gives no picture, in words a person can act on: the device would not open
// (no permission, in use), or it is open and has sent no good frame for a while.
#pragma once

#include <chrono>
#include <mutex>
#include <string>

#include "platform/video/video_source.h"

namespace platform {

// An open device that has delivered no good frame for this long counts as silent.
constexpr std::chrono::seconds kSilentAfter{2};

// What one capture object went through last; safe from any thread.
class CaptureTrouble {
public:
    using Clock = std::chrono::steady_clock;

    void opened();                           // a source was opened
    void openFailed(const OpenFailure& why); // the open found no source
    void released();                         // nothing is open, and nothing failed
    void frameRead();                        // a good (non-empty) frame arrived

    // The reason, or "" when there is none to tell: nothing was tried, the last open failed
    // for no reason the device named, or the open device sends.
    std::string describe(Clock::time_point now = Clock::now()) const;

private:
    mutable std::mutex m_mutex;
    bool m_open = false;
    OpenFailure m_failure;
    Clock::time_point m_lastSign{}; // the open, or the last good frame since
};

// The sentence for a failed open; "" for an error no advice fits.
std::string OpenFailureText(const OpenFailure& failure);

// Writes "vistrel: " and the reason, its first letter in lower case, as one line on standard
// error.
void ReportCaptureTrouble(const std::string& reason);

} // namespace platform

// Wakes a source thread blocked in poll() so it can end: an eventfd that becomes readable
// once stop() is called.
#pragma once

namespace platform::notify {

class StopSignal {
public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    void stop();
    int fd() const { return fd_; }
    bool stopped() const;

private:
    int fd_;
};

} // namespace platform::notify

// Wakes a source thread blocked in poll() so it can end: an eventfd that becomes readable
// once stop() is called.
#pragma once

#include <functional>
#include <thread>

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

// A source's thread: runs `body`, which watches the signal; the destructor raises the signal
// and joins the thread.
class StoppableThread {
public:
    explicit StoppableThread(std::function<void(const StopSignal&)> body)
        : thread_([this, body = std::move(body)] { body(stop_); }) {}
    ~StoppableThread() {
        stop_.stop();
        thread_.join();
    }
    StoppableThread(const StoppableThread&) = delete;
    StoppableThread& operator=(const StoppableThread&) = delete;

private:
    StopSignal stop_;
    std::thread thread_;
};

} // namespace platform::notify

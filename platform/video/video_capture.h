// cv::VideoCapture over the platform's device layer, safe to release from one thread while
// another reads.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>

#include <opencv2/videoio.hpp>

#include "platform/video/video_source.h"

namespace platform {

// open(int) asks the current provider for the device. release() interrupts a read in
// progress and waits for it to return (up to a bound, after which the source is left to the
// reading thread to close), so a device is never closed under a read. Reads from two threads
// are serialised.
class VideoCapture : public cv::VideoCapture {
public:
    VideoCapture();
    ~VideoCapture() override;

    using cv::VideoCapture::open;
    bool open(int index, int apiPreference = cv::CAP_ANY) override;
    bool isOpened() const override;
    void release() override;
    bool read(cv::OutputArray image) override;

private:
    struct Slot;
    std::shared_ptr<Slot> m_slot;
    mutable std::mutex m_mutex;
};

} // namespace platform

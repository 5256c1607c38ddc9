// One open simulated input.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>

#include "platform/video/simulated/frame_producers.h"
#include "platform/video/simulated/simulated_device.h"

namespace platform {

class SimulatedSource : public VideoSource {
public:
    // The caller has counted the open in the device's stats.
    SimulatedSource(std::shared_ptr<SimulatedDevice> device,
                    std::unique_ptr<FrameProducer> producer, double fps, uint64_t unplugs);
    ~SimulatedSource() override;

    bool read(cv::Mat& frame) override;
    void interrupt() override;

private:
    class ReadCount;
    // Both with the device's lock held.
    bool alive() const;
    bool waitWhileBlocked(std::unique_lock<std::mutex>& lock, bool interruptible);
    // Sleeps until the next frame is due at the picture's pace; false when the source died
    // or was interrupted meanwhile.
    bool waitForNextFrame(std::unique_lock<std::mutex>& lock);

    std::shared_ptr<SimulatedDevice> m_device;
    // Guarded by the device's mutex.
    uint64_t m_unplugsAtOpen;
    bool m_interrupted = false;
    int m_reading = 0;
    uint64_t m_delivered = 0;
    std::chrono::steady_clock::time_point m_nextDue;
    const std::chrono::steady_clock::duration m_period;

    // Producing a frame happens outside the device's lock; this keeps two reads that overlap
    // (which a sound capture never lets happen, but the counters must see) from racing.
    std::mutex m_produceMutex;
    std::unique_ptr<FrameProducer> m_producer;
};

} // namespace platform

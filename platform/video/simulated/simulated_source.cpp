// Reads of a simulated input: faults, pacing and the counters.
#include "platform/video/simulated/simulated_source.h"

namespace platform {

namespace {

std::chrono::steady_clock::duration PeriodOf(double fps) {
    if (!(fps > 0))
        return std::chrono::steady_clock::duration::zero();
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(1.0 / fps));
}

} // namespace

// Counts a read in and out of the device's counters, exceptions included.
class SimulatedSource::ReadCount {
public:
    ReadCount(SimulatedSource& source, std::unique_lock<std::mutex>& lock)
        : m_source(source), m_lock(lock) {
        SimulatedInputStats& stats = m_source.m_device->stats;
        ++stats.reads;
        ++stats.readsInProgress;
        stats.maxConcurrentReads = std::max(stats.maxConcurrentReads, stats.readsInProgress);
        ++m_source.m_reading;
        m_source.m_device->changed.notify_all();
    }
    ~ReadCount() {
        if (!m_lock.owns_lock())
            m_lock.lock();
        --m_source.m_device->stats.readsInProgress;
        --m_source.m_reading;
        m_source.m_device->changed.notify_all();
    }
    ReadCount(const ReadCount&) = delete;
    ReadCount& operator=(const ReadCount&) = delete;

private:
    SimulatedSource& m_source;
    std::unique_lock<std::mutex>& m_lock;
};

SimulatedSource::SimulatedSource(std::shared_ptr<SimulatedDevice> device,
                                 std::unique_ptr<FrameProducer> producer, double fps,
                                 uint64_t unplugs)
    : m_device(std::move(device)), m_unplugsAtOpen(unplugs),
      m_nextDue(std::chrono::steady_clock::now()), m_period(PeriodOf(fps)),
      m_producer(std::move(producer)) {}

SimulatedSource::~SimulatedSource() {
    std::lock_guard lock(m_device->mutex);
    if (m_reading > 0)
        ++m_device->stats.destroyedDuringRead;
    --m_device->stats.sourcesOpen;
    m_device->changed.notify_all();
}

bool SimulatedSource::alive() const {
    return m_device->plugged && m_device->unplugs == m_unplugsAtOpen;
}

void SimulatedSource::interrupt() {
    std::lock_guard lock(m_device->mutex);
    m_interrupted = true;
    ++m_device->stats.interrupts;
    m_device->changed.notify_all();
}

bool SimulatedSource::waitWhileBlocked(std::unique_lock<std::mutex>& lock, bool interruptible) {
    const uint64_t faultChanges = m_device->faultChanges;
    m_device->changed.wait(lock, [&] {
        return !alive() || (interruptible && m_interrupted) ||
               m_device->faultChanges != faultChanges;
    });
    return alive() && !m_interrupted;
}

bool SimulatedSource::waitForNextFrame(std::unique_lock<std::mutex>& lock) {
    if (m_period == std::chrono::steady_clock::duration::zero())
        return true;
    const auto now = std::chrono::steady_clock::now();
    // A reader that fell far behind starts a new rhythm instead of getting a burst.
    if (m_nextDue + m_period < now)
        m_nextDue = now;
    const auto due = m_nextDue;
    m_nextDue += m_period;
    m_device->changed.wait_until(lock, due, [&] { return !alive() || m_interrupted; });
    return alive() && !m_interrupted;
}

bool SimulatedSource::read(cv::Mat& frame) {
    std::unique_lock lock(m_device->mutex);
    ReadCount count(*this, lock);

    for (;;) {
        if (!alive() || m_interrupted)
            return false;
        const SimulatedInput& input = m_device->input;
        const bool faulty =
            m_delivered >= static_cast<uint64_t>(std::max(0, input.faultAfterFrames));
        const SimulatedFault fault = faulty ? input.fault : SimulatedFault::None;
        if (fault == SimulatedFault::ReadFails)
            return false;
        if (fault == SimulatedFault::EmptyFrames) {
            frame.release();
            return true;
        }
        if (fault == SimulatedFault::Throws)
            throw cv::Exception(cv::Error::StsError, "simulated device error", "read", __FILE__,
                                __LINE__);
        if (fault == SimulatedFault::Undecodable) {
            if (!waitForNextFrame(lock))
                return false;
            throw cv::Exception(cv::Error::StsError, "simulated undecodable frame", "read",
                                __FILE__, __LINE__);
        }
        if (fault == SimulatedFault::Blocks || fault == SimulatedFault::BlocksUninterruptibly) {
            if (!waitWhileBlocked(lock, fault == SimulatedFault::Blocks))
                return false;
            continue;
        }
        break;
    }

    if (!waitForNextFrame(lock))
        return false;

    lock.unlock();
    bool ok;
    {
        std::lock_guard produce(m_produceMutex);
        ok = m_producer->next(frame);
    }
    lock.lock();
    if (ok) {
        ++m_delivered;
        ++m_device->stats.framesDelivered;
    }
    return ok;
}

} // namespace platform

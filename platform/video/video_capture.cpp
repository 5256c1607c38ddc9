// The capture object: one source at a time, handed between the thread that opens and
// releases and the thread that reads.
#include "platform/video/video_capture.h"

#include <condition_variable>
#include <exception>

namespace platform {

struct VideoCapture::Slot {
    explicit Slot(std::unique_ptr<VideoSource> s) : source(std::move(s)) {}
    std::unique_ptr<VideoSource> source;
    // Set when a release gave up waiting for the read on this source: the reader then owns
    // the source and destroys it. Guarded by Shared::mutex.
    bool abandoned = false;
};

struct VideoCapture::Shared {
    std::mutex mutex;
    std::condition_variable readEnded;
    std::shared_ptr<Slot> current; // the open source, or null
    Slot* reading = nullptr;       // the source a read is in progress on
    uint64_t generation = 0;
    // Held for the whole of a read, so reads never overlap.
    std::mutex readMutex;
    CaptureTrouble trouble;
};

VideoCapture::VideoCapture() : m_shared(std::make_shared<Shared>()) {}

VideoCapture::~VideoCapture() {
    release();
}

bool VideoCapture::open(int index) {
    std::lock_guard control(m_control);
    detachSource();

    std::unique_ptr<VideoSource> source;
    OpenFailure failure;
    try {
        if (auto provider = CurrentVideoSourceProvider())
            source = provider->openExplained(index, failure);
    } catch (const std::exception&) {
        source.reset();
    }
    source ? m_shared->trouble.opened() : m_shared->trouble.openFailed(failure);

    std::lock_guard lock(m_shared->mutex);
    ++m_shared->generation;
    if (source)
        m_shared->current = std::make_shared<Slot>(std::move(source));
    return m_shared->current != nullptr;
}

bool VideoCapture::isOpened() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->current != nullptr;
}

double VideoCapture::get(int propId) const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->current ? m_shared->current->source->get(propId) : 0;
}

std::string VideoCapture::trouble() const {
    return m_shared->trouble.describe();
}

bool VideoCapture::set(int propId, double value) {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->current && m_shared->current->source->set(propId, value);
}

uint64_t VideoCapture::generation() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->generation;
}

void VideoCapture::release() {
    std::lock_guard control(m_control);
    detachSource();
    m_shared->trouble.released();
}

void VideoCapture::detachSource() {
    Shared& shared = *m_shared;
    std::shared_ptr<Slot> old;
    {
        std::unique_lock lock(shared.mutex);
        ++shared.generation;
        old = std::move(shared.current);
        if (!old)
            return;
        if (shared.reading == old.get()) {
            // The source's own lock may be held by its read; ask it outside ours.
            lock.unlock();
            old->source->interrupt();
            lock.lock();
            const bool ended = shared.readEnded.wait_for(
                lock, kReleaseBound, [&] { return shared.reading != old.get(); });
            if (!ended) {
                old->abandoned = true;
                return;
            }
        }
    }
    old.reset();
}

bool VideoCapture::read(cv::OutputArray image) {
    return readFrom(image, false, 0);
}

bool VideoCapture::read(cv::OutputArray image, uint64_t generation) {
    return readFrom(image, true, generation);
}

bool VideoCapture::readFrom(cv::OutputArray image, bool checkGeneration, uint64_t generation) {
    // From here on only `shared` is used: this object may be destroyed while the device
    // read below is stuck.
    std::shared_ptr<Shared> shared = m_shared;
    std::lock_guard readLock(shared->readMutex);

    std::shared_ptr<Slot> slot;
    {
        std::lock_guard lock(shared->mutex);
        if (shared->current && (!checkGeneration || generation == shared->generation)) {
            slot = shared->current;
            shared->reading = slot.get();
        }
    }
    if (!slot) {
        image.release();
        return false;
    }

    // Ends the read, also when the device's read throws. While the source is still wanted,
    // the reader's reference is dropped under the lock, so the releasing thread (not this one)
    // closes the device as soon as it sees the read end; an abandoned source is destroyed
    // here, outside the lock.
    struct ReadInProgress {
        Shared& shared;
        std::shared_ptr<Slot>& slot;
        ~ReadInProgress() {
            {
                std::lock_guard lock(shared.mutex);
                shared.reading = nullptr;
                if (!slot->abandoned)
                    slot.reset();
            }
            shared.readEnded.notify_all();
            slot.reset();
        }
    } inProgress{*shared, slot};

    VideoSource* source = slot->source.get();
    bool ok;
    if (image.isMat()) {
        ok = source->read(image.getMatRef());
    } else {
        cv::Mat frame;
        ok = source->read(frame);
        if (ok)
            frame.copyTo(image);
    }
    if (!ok)
        image.release();
    else if (!image.empty())
        shared->trouble.frameRead();
    return ok;
}

} // namespace platform

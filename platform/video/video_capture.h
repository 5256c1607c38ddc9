// The viewer's capture object over the platform's device layer, safe to release from one
// thread while another reads.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>

#include <opencv2/core.hpp>

#include "platform/video/capture_trouble.h"
#include "platform/video/video_source.h"

namespace platform {

// open(int) asks the current provider for the device. release() interrupts a read in
// progress and waits for it to return (up to a bound, after which the source is left to the
// reading thread to close), so a device is never closed under a read. Reads from two threads
// are serialised.
//
// Any member may be called from any thread. open() and release() never overlap a read on the
// source they replace: they interrupt it and wait up to kReleaseBound for it to return. A read
// that outlasts the bound keeps the old source alive and destroys it itself when it returns,
// so neither call hangs on a stuck device. A read that was abandoned so and is still running
// also holds back later reads on this object until it returns.
//
// Stale readers: every open() and every release() moves generation() on. A reader that
// remembered generation() when it started passes it to read(image, generation), which fails
// unless the capture still reads from that very open, so a reader left over from an earlier
// open can never take frames from a later one.
class VideoCapture {
public:
    static constexpr std::chrono::milliseconds kReleaseBound{300};

    VideoCapture();
    ~VideoCapture();
    VideoCapture(const VideoCapture&) = delete;
    VideoCapture& operator=(const VideoCapture&) = delete;

    // Opens the provider's device `index`.
    bool open(int index);
    bool isOpened() const;
    void release();
    // Fails, leaving `image` empty, when the capture is not open or the device fails. An
    // exception of the device's read passes through to the caller.
    bool read(cv::OutputArray image);
    // As read(image), but fails unless `generation` is still generation().
    bool read(cv::OutputArray image, uint64_t generation);
    // A property (kCapProp*) of the open device (the mode it streams in); 0 when closed.
    double get(int propId) const;
    // Passes a property (kCapPropDraw*) to the open device, also while a read runs; false
    // when closed or the device does not take it.
    bool set(int propId, double value);

    // Identifies the current open; see above.
    uint64_t generation() const;
    // Why there is no picture, in words for the user ("" when there is nothing to tell): the
    // last open's failure, or an open device silent for kSilentAfter. See capture_trouble.h.
    std::string trouble() const;

private:
    struct Slot;
    struct Shared;
    bool readFrom(cv::OutputArray image, bool checkGeneration, uint64_t generation);
    // Detaches the current source and waits for a read on it; the caller holds m_control.
    void detachSource();

    // Readers hold the shared state by their own reference, so a reader left behind by an
    // abandoned release never touches a capture object that is gone.
    std::shared_ptr<Shared> m_shared;
    // Serialises open() and release() against each other.
    std::mutex m_control;
};

} // namespace platform

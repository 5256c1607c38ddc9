// One V4L2 capture node, opened through OpenCV's V4L2 backend in the device's best mode.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include <opencv2/videoio.hpp>

#include "platform/audio/dongle_sound.h"
#include "platform/video/v4l2/v4l2_modes.h"
#include "platform/video/video_source.h"

namespace platform::v4l2 {

// Driver buffers asked for. Measured with bench/v4l2_pump_bench (1920x1080 MJPG at 60 fps, one
// core, where a frame costs about as much CPU as its period): 2 buffers gave the lowest
// capture-to-screen latency in every run (median 16-27 ms against 17-38 ms for 3 and 16-48 ms
// for 4); more buffers dropped fewer frames in some runs only, and a reader that barely keeps
// up then shows every frame one or two periods late. OpenCV's backend delivers no frame at all
// with 1.
constexpr int kDriverBuffers = 2;

// How long one wait for a frame lasts before the reader looks whether it was interrupted;
// a release ends a read within about this time.
constexpr int64_t kWaitSliceNs = 20'000'000;

// Every mode the node behind `fd` offers: each format, each frame size (for a stepwise
// range, CandidateSizes) and each of its frame intervals (for a range of intervals, the
// fastest).
std::vector<Mode> QueryModes(int fd);

class V4l2Source : public VideoSource {
public:
    // Opens /dev/video<index>, asks it for its modes and streams in the chosen one.
    static std::unique_ptr<V4l2Source> Open(int index, int driverBuffers = kDriverBuffers);

    // Waits for a frame in short slices: a quiet device is waited for however long it stays
    // quiet; a failing device (unplugged) or an interrupt ends the wait with false.
    bool read(cv::Mat& frame) override;
    void interrupt() override { m_interrupted = true; }
    // The mode the device granted (FOURCC, FRAME_WIDTH, FRAME_HEIGHT, FPS, BUFFERSIZE) and,
    // on the reading thread, the capture time of the last frame (POS_MSEC).
    double get(int propId) const override;

    // The mode chosen from the device's table, and what the device granted when asked for it.
    const std::optional<Mode>& chosen() const { return m_chosen; }
    const Mode& granted() const { return m_granted; }

private:
    V4l2Source() = default;

    int m_index = -1;
    std::vector<cv::VideoCapture> m_streams; // the one capture, as waitAny takes it
    std::optional<Mode> m_chosen;
    Mode m_granted;
    int m_buffers = 0;
    std::atomic<bool> m_interrupted{false};
    std::unique_ptr<audio::DongleSound> m_sound; // the same dongle's sound, while this lives
};

// The provider with another number of driver buffers (for measuring).
std::shared_ptr<VideoSourceProvider> CreateProvider(int driverBuffers);

} // namespace platform::v4l2

// One V4L2 capture node, streaming in the device's best mode, its frames turned into BGR
// pictures here.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "platform/audio/dongle_sound.h"
#include "platform/system/running_median.h"
#include "platform/video/v4l2/jpeg_decoder.h"
#include "platform/video/v4l2/v4l2_format.h"
#include "platform/video/v4l2/v4l2_node.h"
#include "platform/video/v4l2/v4l2_stream.h"
#include "platform/video/video_source.h"

namespace platform::v4l2 {

// Driver buffers asked for. A read takes every filled buffer and decodes only the newest, so
// more buffers cost memory, not latency. Measured with bench/v4l2_pump_bench (1920x1080
// natural MJPG at 60 fps into 880x495, one core of a busy machine): 2 buffers dropped 12
// frames in 6 s, 4 and 8 none, at the same latency (median 18-21 ms); 8 also take a device's
// burst of 6 frames at once without a loss. The decode stays on the reading thread: with this
// all 60 frames a second are taken also with the other core busy, so a decode thread ahead of
// the drawing would only add a hand-over.
constexpr int kDriverBuffers = 8;

// The picture's delay told to the sound is the median of this many frames' (about half a
// second at 60 frames per second): one frame held up behind a slow drawing moves it by nothing,
// a lasting change (full screen, a busy machine) shows within a quarter second.
constexpr size_t kPictureDelayFrames = 31;

// Consecutive reads that may fail with EIO (a transfer the driver gave up on) before the
// device counts as gone.
constexpr int kIoErrorRetries = 3;

// The open error of a node that offers no mode we can turn into pictures.
constexpr int kNoUsableMode = ENOTSUP;

class V4l2Source : public VideoSource {
public:
    // Opens /dev/video<index>, asks it for its modes once and streams in the chosen one with
    // `driverBuffers` buffers. Null when that fails, with the node and the errno in `failure`.
    static std::unique_ptr<V4l2Source> Open(int index, int driverBuffers, OpenFailure& failure);
    static std::unique_ptr<V4l2Source> Open(int index) {
        OpenFailure failure;
        return Open(index, kDriverBuffers, failure);
    }
    // Stops the stream and closes the node; says once how many damaged frames were dropped.
    ~V4l2Source() override;

    // The newest frame the driver has filled, waiting for one however long the device stays
    // quiet. Every buffer filled meanwhile is taken, so the driver never runs out of them;
    // older ones are given back undecoded. Damaged frames (marked so by the driver, empty, cut
    // short or not decodable) are skipped. False at once when interrupted, when the device is
    // gone (ENODEV, a poll error, or EIO more than kIoErrorRetries times in a row), and on
    // every read after that.
    bool read(cv::Mat& frame) override;
    // Wakes a waiting read through an eventfd; this and later reads return false.
    void interrupt() override;
    // The mode the device granted (kCapPropFourcc, FrameWidth, FrameHeight, Fps), its buffers
    // (BufferSize) and the capture time of the last frame read (PosMsec).
    double get(int propId) const override;
    // kCapPropDrawWidth and kCapPropDrawHeight: JPEG frames are decoded at the smallest DCT
    // scale that still covers that area.
    bool set(int propId, double value) override;

    // The mode chosen from the device's table, and what the device granted when asked for it.
    const std::optional<Mode>& chosen() const { return m_chosen; }
    const Mode& granted() const { return m_granted.mode; }

private:
    V4l2Source() = default;
    // Takes the filled buffers (up to as many as there are), giving back all but the newest
    // undamaged one; false when the device is gone.
    bool takeNewest(FilledBuffer& newest, bool& have);
    bool decode(const FilledBuffer& buffer, cv::Mat& frame);
    // Tells the sound how late the last frame read reached the window.
    void notePictureDelay();

    std::string m_path;
    std::unique_ptr<NodeHandle> m_node; // outlives the stream
    std::unique_ptr<Stream> m_stream;
    int m_wakeFd = -1;
    std::optional<Mode> m_chosen;
    GrantedFormat m_granted;
    JpegDecoder m_jpeg;
    std::atomic<bool> m_interrupted{false};
    std::atomic<int> m_drawWidth{0}, m_drawHeight{0};
    std::atomic<double> m_captureMs{0};
    // Used by the reading thread only.
    bool m_gone = false;
    int m_ioErrors = 0;
    uint64_t m_damaged = 0;
    double m_undrawnCaptureMs = 0; // the capture time of the frame last returned, until noted
    RunningMedian<kPictureDelayFrames> m_pictureDelaysMs;
    std::unique_ptr<audio::DongleSound> m_sound; // the same dongle's sound, while this lives
};

// The provider with another number of driver buffers (for measuring).
std::shared_ptr<VideoSourceProvider> CreateProvider(int driverBuffers);

} // namespace platform::v4l2

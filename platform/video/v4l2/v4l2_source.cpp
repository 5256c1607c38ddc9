// Opening a V4L2 node in its best mode, and reads that wait for frames without giving up.
#include "platform/video/v4l2/v4l2_source.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/video/v4l2/raw_conversion.h"

namespace platform::v4l2 {

namespace {
// A longer delay is no delay of the picture's own: the sound is never held back further.
constexpr double kLongestPictureDelayMs = 1000;
} // namespace

std::unique_ptr<V4l2Source> V4l2Source::Open(int index, int driverBuffers, OpenFailure& failure) {
    failure.node = "/dev/video" + std::to_string(index);
    // Each call below is made once; a device slow to answer costs no more than that.
    auto node = std::make_unique<NodeHandle>(failure.node);
    if (node->fd() < 0) {
        failure.error = node->error();
        return nullptr;
    }
    std::unique_ptr<V4l2Source> source(new V4l2Source);
    source->m_path = failure.node;
    source->m_chosen = ChooseMode(QueryModes(node->fd()));
    if (!source->m_chosen) {
        failure.error = kNoUsableMode;
        return nullptr;
    }
    if (!SetMode(node->fd(), *source->m_chosen, source->m_granted)) {
        failure.error = errno;
        return nullptr;
    }
    if (!ConvertibleToBgr(source->m_granted.mode.fourcc)) {
        failure.error = kNoUsableMode;
        return nullptr;
    }
    source->m_stream = Stream::Start(node->fd(), driverBuffers);
    if (!source->m_stream) {
        failure.error = errno;
        return nullptr;
    }
    source->m_node = std::move(node);
    source->m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (source->m_wakeFd < 0) {
        failure.error = errno;
        return nullptr;
    }
    source->m_sound = audio::DongleSound::ForVideoNode(index);
    return source;
}

V4l2Source::~V4l2Source() {
    m_stream.reset();
    m_node.reset();
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
    if (m_damaged > 0)
        std::fprintf(stderr, "vistrel: %s: %llu damaged frames dropped\n", m_path.c_str(),
                     static_cast<unsigned long long>(m_damaged));
}

void V4l2Source::interrupt() {
    m_interrupted = true;
    const uint64_t one = 1;
    // The counter only grows; a full one wakes the reader as well.
    [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
}

bool V4l2Source::read(cv::Mat& frame) {
    notePictureDelay();
    while (!m_gone && !m_interrupted) {
        FilledBuffer newest;
        bool have = false;
        if (!takeNewest(newest, have)) {
            m_gone = true;
            break;
        }
        if (have) {
            const bool decoded = decode(newest, frame);
            if (!m_stream->requeue(newest.index))
                m_gone = true;
            if (decoded) {
                m_captureMs = newest.captureMs;
                m_undrawnCaptureMs = newest.captureMs;
                return true;
            }
            ++m_damaged;
            continue;
        }
        switch (m_stream->wait(m_wakeFd)) {
        case Stream::Wait::Ready:
            break;
        case Stream::Wait::Woken:
            return false;
        case Stream::Wait::Failed:
            m_gone = true;
            break;
        }
    }
    return false;
}

// The frame pump draws each frame it reads onto the window's surface before it reads again, so
// the next read begins when the last frame is there. The delay from the frame's capture (the
// driver's timestamp, taken as the frame begins) to then includes its transfer, its wait in a
// driver buffer, the decode and the drawing; it leaves out what follows the surface (the
// desktop's compositor, the screen's refresh), which the sound's aim of a few milliseconds
// behind the picture covers.
void V4l2Source::notePictureDelay() {
    if (!m_sound || m_undrawnCaptureMs <= 0)
        return;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const double delayMs = now.tv_sec * 1e3 + now.tv_nsec / 1e6 - m_undrawnCaptureMs;
    m_undrawnCaptureMs = 0;
    // Outside this, the driver's timestamps are not of the monotonic clock.
    if (!(delayMs >= 0 && delayMs <= kLongestPictureDelayMs))
        return;
    m_pictureDelaysMs.add(delayMs);
    if (const auto median = m_pictureDelaysMs.median(kPictureDelayFrames / 2 + 1))
        m_sound->setPictureDelay(std::chrono::microseconds(int64_t(*median * 1000)));
}

bool V4l2Source::takeNewest(FilledBuffer& newest, bool& have) {
    // No more than the buffers there are: a device that fills them faster than they are taken
    // (each call slow to answer) must not keep the read here.
    for (int taken = 0; taken < m_stream->buffers(); ++taken) {
        FilledBuffer buffer;
        const int error = m_stream->dequeue(buffer);
        if (error == EAGAIN)
            return true;
        if (error == EIO) // asked again after the next wait, a few times
            return ++m_ioErrors <= kIoErrorRetries;
        if (error != 0)
            return false;
        m_ioErrors = 0;
        if (buffer.damaged || buffer.bytes == 0) {
            ++m_damaged;
            if (!m_stream->requeue(buffer.index))
                return false;
            continue;
        }
        if (have && !m_stream->requeue(newest.index))
            return false;
        newest = buffer;
        have = true;
    }
    return true;
}

bool V4l2Source::decode(const FilledBuffer& buffer, cv::Mat& frame) {
    const Mode& mode = m_granted.mode;
    // A frame of another size than the mode's is shown at its own, up to four times the
    // mode's pixels.
    if (IsJpeg(mode.fourcc))
        return m_jpeg.decode(buffer.data, buffer.bytes, {m_drawWidth, m_drawHeight}, frame,
                             4LL * mode.width * mode.height);
    return ConvertRaw(mode.fourcc, mode.width, mode.height, m_granted.bytesPerLine, buffer.data,
                      buffer.bytes, frame);
}

double V4l2Source::get(int propId) const {
    switch (propId) {
    case kCapPropFourcc:
        return m_granted.mode.fourcc;
    case kCapPropFrameWidth:
        return m_granted.mode.width;
    case kCapPropFrameHeight:
        return m_granted.mode.height;
    case kCapPropFps:
        return m_granted.mode.fps;
    case kCapPropBufferSize:
        return m_stream->buffers();
    case kCapPropPosMsec:
        return m_captureMs;
    default:
        return 0;
    }
}

bool V4l2Source::set(int propId, double value) {
    const int pixels = value > 0 && value < 1e6 ? int(value) : 0;
    switch (propId) {
    case kCapPropDrawWidth:
        m_drawWidth = pixels;
        return true;
    case kCapPropDrawHeight:
        m_drawHeight = pixels;
        return true;
    default:
        return false;
    }
}

} // namespace platform::v4l2

// Delay and drift correction over whole frames.
#include "platform/audio/buffer_hold.h"

#include <algorithm>
#include <cstdlib>

namespace platform::audio {

namespace {
// Smoothing of the level per request: about 20 pieces (100 ms) of memory, enough to even out
// the uneven timing of the input's pieces against the output's requests.
constexpr double kSmoothing = 0.05;

// The sound is aimed this far behind the picture: the middle of what viewers accept (sound
// early by up to 20 ms, late by up to 40), so that an error in either latency stays inside.
constexpr int64_t kAimBehindUs = 10'000;
// How far the hold for the picture may move before it is changed: smaller changes would only
// make the sound jump for nothing.
constexpr int64_t kFollowStepUs = 5000;
// A longer picture delay is held as this.
constexpr int64_t kMaxPictureDelayUs = 1'000'000;
} // namespace

BufferHold::BufferHold(size_t frameBytes, unsigned rate)
    : m_frameBytes(frameBytes), m_rate(rate), m_usPerByte(1e6 / rate / frameBytes) {}

int64_t BufferHold::followPicture(int64_t pictureUs, int64_t ownUs) {
    const int64_t picture = std::min(pictureUs, kMaxPictureDelayUs);
    const int64_t want = picture > 0 ? std::max<int64_t>(0, picture + kAimBehindUs - ownUs) : 0;
    const int64_t held = int64_t(m_delayFrames) * 1'000'000 / m_rate;
    if (std::abs(want - held) >= kFollowStepUs || (want == 0 && held > 0))
        setDelayFrames(size_t(want * m_rate / 1'000'000));
    return ownUs + int64_t(m_delayFrames) * 1'000'000 / m_rate;
}

void BufferHold::setDelayFrames(size_t frames) {
    const size_t want = frames * m_frameBytes;
    const size_t have = m_delayFrames * m_frameBytes;
    if (want > have)
        m_held.insert(m_held.begin(), want - have, 0);
    else
        m_held.erase(m_held.begin(), m_held.begin() + std::min(have - want, m_held.size()));
    m_delayFrames = frames;
}

void BufferHold::push(const uint8_t* data, size_t bytes) {
    bytes -= bytes % m_frameBytes;
    if (data)
        m_held.insert(m_held.end(), data, data + bytes);
    else
        m_held.insert(m_held.end(), bytes, 0);
}

size_t BufferHold::readyBytes() const {
    const size_t keep = m_delayFrames * m_frameBytes;
    return m_held.size() > keep ? m_held.size() - keep : 0;
}

double BufferHold::readyUs() const {
    return double(readyBytes()) * m_usPerByte;
}

void BufferHold::pull(size_t wanted, std::vector<uint8_t>& out) {
    wanted -= wanted % m_frameBytes;
    size_t ready = readyBytes();
    const double level = (double(ready) - double(wanted)) * m_usPerByte;
    m_levelUs = m_measured ? m_levelUs + kSmoothing * (level - m_levelUs) : level;
    m_measured = true;
    size_t skip = 0;
    if (m_levelUs > kTargetUs + kFlushUs) {
        // Down to the target now, from what is there now.
        skip = level > kTargetUs ? size_t((level - kTargetUs) / m_usPerByte) : 0;
        skip = std::min(skip - skip % m_frameBytes, ready);
        m_levelUs = kTargetUs;
    } else if (m_levelUs > kTargetUs + kBandUs && ready > m_frameBytes) {
        skip = m_frameBytes; // the input runs ahead: one frame fewer
    }
    ready -= skip;
    const size_t taken = std::min(ready, wanted);
    // The oldest sound is played first; the newest stays held for the picture.
    const auto first = m_held.begin() + ptrdiff_t(skip);
    out.insert(out.end(), first, first + ptrdiff_t(taken));
    // The input runs behind: the last frame given twice, when the output wants more.
    if (m_levelUs < kTargetUs - kBandUs && taken >= m_frameBytes && taken < wanted) {
        const auto frame = first + ptrdiff_t(taken - m_frameBytes);
        out.insert(out.end(), frame, frame + ptrdiff_t(m_frameBytes));
    }
    m_held.erase(m_held.begin(), first + ptrdiff_t(taken));
}

} // namespace platform::audio

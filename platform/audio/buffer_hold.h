// The sound between the input and the output: held back for the picture, and handed to the
// output as it asks for it, at a steady level against the two devices' clocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::audio {

// The input arrives in pieces on the dongle's clock; the output asks for sound on its own
// clock. They run apart by up to a few hundred parts per million: left alone, sound would pile
// up here (growing latency) or the output would run dry (gaps). The hold watches its level,
// what it has ready beyond what the output asked for (negative when it asked for more), and
// when the smoothed level leaves the band around its target, drops or repeats one frame per
// request: one frame in a request of 480 (10 ms) is far below hearing and follows a drift of
// over 2000 ppm.
class BufferHold {
public:
    // The level kept: a little sound in hand for the output's next request.
    static constexpr double kTargetUs = 3000;
    // How far the smoothed level may stray from the target before a frame is dropped or
    // repeated.
    static constexpr double kBandUs = 2000;
    // Past this over the target (an output that starts slowly, a stall), the excess is dropped
    // at once.
    static constexpr double kFlushUs = 15000;

    BufferHold(size_t frameBytes, unsigned rate);

    // How many frames to hold back for the picture. A rise is filled with silence at once, a
    // fall drops the oldest sound at once: one short jump instead of a long slide.
    void setDelayFrames(size_t frames);
    size_t delayFrames() const { return m_delayFrames; }
    // Holds the sound back so that it lands a little behind a picture that takes `pictureUs`
    // from capture to screen, when the sound's own way (`ownUs`, the delay held aside) is the
    // shorter; no hold without a picture delay. Returns the sound's whole way, held delay
    // included.
    int64_t followPicture(int64_t pictureUs, int64_t ownUs);

    // Takes a piece of input (`data` null: a gap, played as silence).
    void push(const uint8_t* data, size_t bytes);
    // Appends to `out` what the output should play now: at most `wanted` bytes, what it asked
    // for.
    void pull(size_t wanted, std::vector<uint8_t>& out);

    // The sound ready beyond the delay, and the smoothed level, in microseconds.
    double readyUs() const;
    double levelUs() const { return m_levelUs; }

private:
    size_t readyBytes() const;

    size_t m_frameBytes;
    unsigned m_rate;
    double m_usPerByte;
    std::vector<uint8_t> m_held; // the input not yet played: the delay, then what is ready
    size_t m_delayFrames = 0;
    double m_levelUs = 0;
    bool m_measured = false;
};

} // namespace platform::audio

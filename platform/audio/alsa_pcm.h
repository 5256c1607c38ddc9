// Opening an ALSA PCM in the sound's format with small periods, without blocking.
#pragma once

#include <alsa/asoundlib.h>

#include <memory>
#include <string>

namespace platform::audio {

struct PcmClose {
    void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};
using Pcm = std::unique_ptr<snd_pcm_t, PcmClose>;

// The sound's format on both sides: 48 kHz, 16-bit stereo. ALSA's plug layer converts for a
// device that has another.
constexpr unsigned kAlsaRate = 48000;
constexpr size_t kAlsaFrameBytes = 4;

// How a PCM is to be set up: the period (how often the device wakes its reader or writer) and
// the buffer. The device may grant others (a mixer with periods of its own): `Granted` says.
struct PcmShape {
    snd_pcm_uframes_t periodFrames;
    snd_pcm_uframes_t bufferFrames;
};

// Opens `name` in non-blocking mode and sets it up; on failure, nothing and the error (a
// negative errno, as ALSA gives it) in `error`. alsa-lib's own messages on standard error are
// silenced: the caller says what is worth saying.
Pcm OpenPcm(const std::string& name, snd_pcm_stream_t stream, const PcmShape& shape, int& error);

// The period and buffer the device granted.
PcmShape Granted(snd_pcm_t* pcm);

// An output starts playing once it holds `frames`, not at its first write.
int StartAt(snd_pcm_t* pcm, snd_pcm_uframes_t frames);

} // namespace platform::audio

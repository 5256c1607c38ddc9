// The hardware and software parameters of a PCM.
#include "platform/audio/alsa_pcm.h"

#include <mutex>

namespace platform::audio {

namespace {

// alsa-lib prints every failure it meets ("ALSA lib pcm.c:2666:(snd_pcm_open_noupdate) Unknown
// PCM ..."), which a user without a sound card would see at every plug-in.
void Quiet(const char*, int, const char*, int, const char*, ...) {}

int SetHardware(snd_pcm_t* pcm, const PcmShape& shape) {
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    unsigned rate = kAlsaRate;
    snd_pcm_uframes_t period = shape.periodFrames;
    snd_pcm_uframes_t buffer = shape.bufferFrames;
    int error = 0;
    if ((error = snd_pcm_hw_params_any(pcm, hw)) < 0 ||
        (error = snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED)) < 0 ||
        (error = snd_pcm_hw_params_set_format(pcm, hw, SND_PCM_FORMAT_S16_LE)) < 0 ||
        (error = snd_pcm_hw_params_set_channels(pcm, hw, 2)) < 0 ||
        (error = snd_pcm_hw_params_set_rate_near(pcm, hw, &rate, nullptr)) < 0 ||
        (error = snd_pcm_hw_params_set_period_size_near(pcm, hw, &period, nullptr)) < 0 ||
        (error = snd_pcm_hw_params_set_buffer_size_near(pcm, hw, &buffer)) < 0 ||
        (error = snd_pcm_hw_params(pcm, hw)) < 0)
        return error;
    // The plug layer resamples to the rate asked for, so another rate means a PCM without it.
    return rate == kAlsaRate ? 0 : -EINVAL;
}

} // namespace

Pcm OpenPcm(const std::string& name, snd_pcm_stream_t stream, const PcmShape& shape, int& error) {
    static std::once_flag quieted;
    std::call_once(quieted, [] { snd_lib_error_set_handler(Quiet); });
    snd_pcm_t* opened = nullptr;
    error = snd_pcm_open(&opened, name.c_str(), stream, SND_PCM_NONBLOCK);
    if (error < 0)
        return nullptr;
    Pcm pcm(opened);
    if ((error = SetHardware(pcm.get(), shape)) < 0)
        return nullptr;
    return pcm;
}

PcmShape Granted(snd_pcm_t* pcm) {
    PcmShape shape{0, 0};
    snd_pcm_get_params(pcm, &shape.bufferFrames, &shape.periodFrames);
    return shape;
}

int StartAt(snd_pcm_t* pcm, snd_pcm_uframes_t frames) {
    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_sw_params_alloca(&sw);
    int error = 0;
    if ((error = snd_pcm_sw_params_current(pcm, sw)) < 0 ||
        (error = snd_pcm_sw_params_set_start_threshold(pcm, sw, frames)) < 0)
        return error;
    return snd_pcm_sw_params(pcm, sw);
}

} // namespace platform::audio

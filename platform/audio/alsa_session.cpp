// Reading the dongle's card and writing ALSA's default output, with a small, steady latency.
#include "platform/audio/alsa_session.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include <pthread.h>

#include "platform/audio/sound_card.h"

namespace platform::audio {

namespace {

using namespace std::chrono_literals;

// The input is read in 5 ms periods; the output is kept 15 ms full (and starts at that fill),
// or a period of ours more than its own period where it has longer ones (dmix's are 21 ms):
// 13 to 17 ms median from input to output in bench/alsa_sound_bench, about 30 ms behind dmix,
// under the 40 ms allowed. The buffers are larger only so that a late wake-up of the thread
// loses nothing.
constexpr snd_pcm_uframes_t kPeriodFrames = kAlsaRate / 200;
constexpr snd_pcm_uframes_t kOutputFillFrames = 3 * kPeriodFrames;
constexpr PcmShape kShape{kPeriodFrames, 10 * kPeriodFrames};

// The longest wait for the input: how long the owner may wait for the thread to end.
constexpr int kInputWaitMs = 20;
// How often the card's folder is looked at while it plays: a card that went ends its sound
// even where the input still gives something.
constexpr auto kCardLook = 250ms;
// A card not there yet is looked for this often; after a card or the output failed to open,
// they are tried again after the longer pause.
constexpr auto kCardSearch = 500ms;
constexpr auto kOpenRetry = 2s;

// Each trouble is said once per process: a replug or a resume brings no new news.
std::atomic<bool> g_saidOutput{false};
std::atomic<bool> g_saidCard{false};

void SayOnce(std::atomic<bool>& said, const std::string& what, int error) {
    if (!said.exchange(true))
        std::fprintf(stderr, "vistrel: %s (%s); the picture plays without sound\n", what.c_str(),
                     snd_strerror(error));
}

int64_t FramesToUs(int64_t frames) {
    return frames * 1'000'000 / kAlsaRate;
}

} // namespace

struct AlsaSession::Streams {
    Pcm input;
    Pcm output;
    PcmShape in{0, 0};
    PcmShape out{0, 0};
    snd_pcm_uframes_t outputFill = 0;
    BufferHold hold{kAlsaFrameBytes, kAlsaRate};
};

AlsaSession::AlsaSession(UsbDevice device, std::string sysRoot)
    : m_device(std::move(device)), m_sysRoot(std::move(sysRoot)), m_thread([this] { run(); }) {}

AlsaSession::~AlsaSession() {
    {
        std::lock_guard lock(m_stopMutex);
        m_stop = true;
    }
    m_stopped.notify_all();
    m_thread.join();
}

std::string AlsaSession::playingSource() const {
    std::lock_guard lock(m_playingMutex);
    return m_playing;
}

void AlsaSession::setPlaying(const std::string& source) {
    std::lock_guard lock(m_playingMutex);
    m_playing = source;
}

bool AlsaSession::pause(std::chrono::milliseconds length) {
    std::unique_lock lock(m_stopMutex);
    return !m_stopped.wait_for(lock, length, [this] { return m_stop.load(); });
}

void AlsaSession::run() {
    // Named as the server's sound thread is, for `top -H` and the sound benchmark.
    pthread_setname_np(pthread_self(), "vistrel-alsa");
    do {
        const auto card = FindSoundCard(m_sysRoot, m_device);
        const auto next = card ? play(*card) : kCardSearch;
        if (!pause(next))
            return;
    } while (!stopping());
}

// Plays the card until the owner goes, the card goes or a stream fails; returns the pause
// before the card is looked for again.
std::chrono::milliseconds AlsaSession::play(int card) {
    // The card's own device 0 through the plug layer, which converts a dongle that sends
    // another rate or format. By number: the folder just read says which card is the dongle's.
    const std::string name = "plughw:" + std::to_string(card);
    Streams streams;
    int error = 0;
    streams.input = OpenPcm(name, SND_PCM_STREAM_CAPTURE, kShape, error);
    if (!streams.input) {
        // A card that went while it was opened is an unplug, no trouble to speak of.
        if (error != -ENODEV && error != -ENOENT)
            SayOnce(g_saidCard, "the capture device's sound card " + name + " does not open",
                    error);
        return kOpenRetry;
    }
    streams.output = OpenPcm("default", SND_PCM_STREAM_PLAYBACK, kShape, error);
    if (!streams.output) {
        SayOnce(g_saidOutput, "no sound server, and ALSA's default output does not open", error);
        return kOpenRetry;
    }
    streams.in = Granted(streams.input.get());
    streams.out = Granted(streams.output.get());
    streams.outputFill =
        std::min(std::max(kOutputFillFrames, streams.out.periodFrames + kPeriodFrames),
                 streams.out.bufferFrames);
    m_piece.resize(streams.in.periodFrames * kAlsaFrameBytes);
    if (streams.in.periodFrames == 0 || StartAt(streams.output.get(), streams.outputFill) < 0 ||
        snd_pcm_start(streams.input.get()) < 0)
        return kOpenRetry;
    setPlaying(name);
    auto looked = std::chrono::steady_clock::now();
    while (!stopping()) {
        if (std::chrono::steady_clock::now() - looked >= kCardLook) {
            if (FindSoundCard(m_sysRoot, m_device) != card)
                break;
            looked = std::chrono::steady_clock::now();
        }
        // A period at a time; the wait only when less than one is there (a late wake-up finds
        // several). Nothing within the wait: an input that sends nothing. The output runs dry
        // and starts again with the next sound.
        const snd_pcm_sframes_t there = snd_pcm_avail_update(streams.input.get());
        if (there >= 0 && snd_pcm_uframes_t(there) < streams.in.periodFrames) {
            const int ready = snd_pcm_wait(streams.input.get(), kInputWaitMs);
            if (ready == 0)
                continue;
            if (ready < 0 && ready != -EPIPE) // the card went (ENODEV), a suspend
                break;
        }
        if (!copy(streams))
            break;
    }
    setPlaying("");
    m_soundLatencyUs = 0;
    return kCardSearch;
}

// Moves what the input has to the output; false when either stream failed for good (the card
// went: ENODEV).
bool AlsaSession::copy(Streams& streams) {
    snd_pcm_t* input = streams.input.get();
    snd_pcm_t* output = streams.output.get();
    const snd_pcm_sframes_t got =
        snd_pcm_readi(input, m_piece.data(), m_piece.size() / kAlsaFrameBytes);
    if (got == -EAGAIN)
        return true;
    if (got == -EPIPE) // the thread came late and the input overran: go on from now
        return snd_pcm_prepare(input) >= 0 && snd_pcm_start(input) >= 0;
    if (got < 0)
        return false;
    streams.hold.push(m_piece.data(), size_t(got) * kAlsaFrameBytes);

    snd_pcm_sframes_t room = snd_pcm_avail_update(output);
    if (room < 0) { // ran dry: it starts again once filled
        if (snd_pcm_recover(output, int(room), 1) < 0)
            return false;
        room = snd_pcm_avail_update(output);
    }
    const auto filled =
        snd_pcm_sframes_t(streams.out.bufferFrames) - std::max<snd_pcm_sframes_t>(room, 0);
    const auto wanted =
        std::max<snd_pcm_sframes_t>(snd_pcm_sframes_t(streams.outputFill) - filled, 0);
    snd_pcm_sframes_t inputDelay = 0;
    snd_pcm_delay(input, &inputDelay);
    followPicture(streams, FramesToUs(std::max<snd_pcm_sframes_t>(inputDelay, 0) + filled));

    // The output gets what keeps it at its fill and no more; the rest waits in the hold, which
    // keeps its own level against the two clocks' drift.
    m_out.clear();
    streams.hold.pull(size_t(wanted) * kAlsaFrameBytes, m_out);
    if (m_out.empty())
        return true;
    snd_pcm_sframes_t written =
        snd_pcm_writei(output, m_out.data(), m_out.size() / kAlsaFrameBytes);
    if (written == -EPIPE && snd_pcm_recover(output, int(written), 1) >= 0)
        written = snd_pcm_writei(output, m_out.data(), m_out.size() / kAlsaFrameBytes);
    return written >= 0 || written == -EAGAIN;
}

// Holds the sound back by what the picture takes longer than the sound's own way.
void AlsaSession::followPicture(Streams& streams, int64_t ownLatencyUs) {
    BufferHold& hold = streams.hold;
    m_soundLatencyUs =
        hold.followPicture(m_pictureDelayUs.load(), ownLatencyUs + int64_t(hold.readyUs()));
}

} // namespace platform::audio

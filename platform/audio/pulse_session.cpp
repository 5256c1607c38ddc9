// The sound thread's work: connecting, choosing the dongle's input, and copying it to the
// default output with a small, steady latency.
#include "platform/audio/pulse_session.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <utility>

namespace platform::audio {

namespace {

// The sound's format on both streams; the server converts a dongle that sends another.
constexpr pa_sample_spec kSpec{PA_SAMPLE_S16LE, 48000, 2};
constexpr size_t kFrameBytes = 4;

// The input is read in pieces of up to 10 ms, the output asks in 10 ms steps for a buffer of
// 20 ms (the server grants about 15): the way from input to output measured 15 ms median with
// a pipe source and a null sink (bench/sound_latency_bench), well under the 40 ms allowed.
// 5 ms pieces gained no latency there and cost a wake-up of the sound thread more per piece.
constexpr uint32_t kFragmentBytes = kSpec.rate / 100 * kFrameBytes;
constexpr uint32_t kTargetBytes = kSpec.rate / 50 * kFrameBytes;

// A server that is not there, or went, is looked for again this often: a restarted server
// brings the sound back within about this time.
constexpr std::chrono::milliseconds kReconnectPause{500};
// The latencies are asked for this often: a change of the picture's delay is followed within
// about this time, and the round trips to the server stay few.
constexpr std::chrono::milliseconds kTimingPause{500};
// After a stream failed (the input went, the output failed), the inputs are looked at again
// after this pause, so a stream that fails at once cannot spin.
constexpr std::chrono::milliseconds kReopenPause{200};

pa_proplist* VistrelProperties() {
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Vistrel");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "vistrel");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, "vistrel");
    pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "video");
    return props;
}

SourceEntry Entry(const pa_source_info& info) {
    SourceEntry entry;
    entry.name = info.name ? info.name : "";
    entry.monitor = info.monitor_of_sink != PA_INVALID_INDEX;
    void* state = nullptr;
    while (const char* key = pa_proplist_iterate(info.proplist, &state)) {
        if (const char* value = pa_proplist_gets(info.proplist, key))
            entry.properties[key] = value;
    }
    return entry;
}

int64_t LatencyUs(pa_stream* stream) {
    pa_usec_t usec = 0;
    int negative = 0;
    if (!stream || pa_stream_get_latency(stream, &usec, &negative) < 0)
        return -1;
    return negative ? 0 : int64_t(usec);
}

} // namespace

PulseSession::PulseSession(UsbDevice device, std::function<void()> noServer)
    : m_device(std::move(device)), m_noServer(std::move(noServer)),
      m_hold(kFrameBytes, kSpec.rate) {
    m_loop = pa_threaded_mainloop_new();
    if (!m_loop)
        return;
    pa_threaded_mainloop_set_name(m_loop, "vistrel-sound");
    if (pa_threaded_mainloop_start(m_loop) < 0) {
        pa_threaded_mainloop_free(m_loop);
        m_loop = nullptr;
        return;
    }
    pa_threaded_mainloop_lock(m_loop);
    after(std::chrono::milliseconds(0), &PulseSession::connect);
    pa_threaded_mainloop_unlock(m_loop);
}

PulseSession::~PulseSession() {
    if (!m_loop)
        return;
    pa_threaded_mainloop_lock(m_loop);
    m_closing = true; // a reconnection still pending finds nothing to do
    closeContext();
    pa_threaded_mainloop_unlock(m_loop);
    // Ends the thread; the timers still pending go with the loop, their calls with them.
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
}

std::string PulseSession::playingSource() const {
    std::lock_guard lock(m_playingMutex);
    return m_playing;
}

void PulseSession::setPlaying(const std::string& source) {
    std::lock_guard lock(m_playingMutex);
    m_playing = source;
}

void PulseSession::after(std::chrono::milliseconds delay, void (PulseSession::*work)()) {
    struct Call {
        PulseSession* self;
        void (PulseSession::*work)();
    };
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
    timeval when;
    pa_timeval_add(pa_gettimeofday(&when), pa_usec_t(delay.count()) * PA_USEC_PER_MSEC);
    pa_time_event* event = api->time_new(
        api, &when,
        [](pa_mainloop_api* api, pa_time_event* event, const timeval*, void* data) {
            const Call call = *static_cast<Call*>(data);
            api->time_free(event); // deletes the Call
            (call.self->*call.work)();
        },
        new Call{this, work});
    api->time_set_destroy(event, [](pa_mainloop_api*, pa_time_event*, void* data) {
        delete static_cast<Call*>(data);
    });
}

void PulseSession::connect() {
    if (m_context || m_closing)
        return;
    pa_proplist* props = VistrelProperties();
    m_context =
        pa_context_new_with_proplist(pa_threaded_mainloop_get_api(m_loop), "Vistrel", props);
    pa_proplist_free(props);
    if (!m_context)
        return;
    pa_context_set_state_callback(
        m_context,
        [](pa_context*, void* self) { static_cast<PulseSession*>(self)->onContextState(); }, this);
    // No server is started for us: where none runs, the viewer is silent.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        onContextState();
}

void PulseSession::closeContext() {
    closeStreams();
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
    m_listing = false;
    m_listAgain = false;
}

void PulseSession::onContextState() {
    if (!m_context)
        return; // a connection that failed at once, already closed by its own callback
    switch (pa_context_get_state(m_context)) {
    case PA_CONTEXT_READY:
        m_wasReady = true;
        pa_context_set_subscribe_callback(
            m_context,
            [](pa_context*, pa_subscription_event_type_t, uint32_t, void* self) {
                // A source came or went: when none plays, one of them may be the dongle's.
                auto* session = static_cast<PulseSession*>(self);
                if (!session->m_record)
                    session->listSources();
            },
            this);
        pa_operation_unref(
            pa_context_subscribe(m_context, PA_SUBSCRIPTION_MASK_SOURCE, nullptr, nullptr));
        listSources();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        if (!m_wasReady) {
            // No server at all: the owner takes another way, and this session is done.
            closeContext();
            m_closing = true;
            std::exchange(m_noServer, nullptr)();
            break;
        }
        closeContext();
        setPlaying("");
        after(kReconnectPause, &PulseSession::connect);
        break;
    default:
        break;
    }
}

void PulseSession::listSources() {
    if (!m_context || pa_context_get_state(m_context) != PA_CONTEXT_READY)
        return;
    if (m_listing) {
        m_listAgain = true;
        return;
    }
    m_listing = true;
    m_listed.clear();
    pa_operation_unref(pa_context_get_source_info_list(
        m_context,
        [](pa_context*, const pa_source_info* info, int eol, void* self) {
            static_cast<PulseSession*>(self)->onSourceListed(info, eol);
        },
        this));
}

void PulseSession::onSourceListed(const pa_source_info* info, int eol) {
    if (!eol && info) {
        m_listed.push_back(Entry(*info));
        return;
    }
    m_listing = false;
    if (m_listAgain) {
        m_listAgain = false;
        listSources();
        return;
    }
    if (m_record)
        return;
    if (auto source = ChooseSource(m_device, m_listed))
        openStreams(*source);
}

void PulseSession::openStreams(const std::string& source) {
    pa_proplist* props = VistrelProperties();
    m_record = pa_stream_new_with_proplist(m_context, "HDMI capture", &kSpec, nullptr, props);
    m_playback = pa_stream_new_with_proplist(m_context, "HDMI capture", &kSpec, nullptr, props);
    pa_proplist_free(props);
    if (!m_record || !m_playback) {
        closeStreams();
        return;
    }
    const auto onState = [](pa_stream* stream, void* self) {
        static_cast<PulseSession*>(self)->onStreamState(stream);
    };
    pa_stream_set_state_callback(m_record, onState, this);
    pa_stream_set_state_callback(m_playback, onState, this);
    pa_stream_set_read_callback(
        m_record,
        [](pa_stream*, size_t readable, void* self) {
            static_cast<PulseSession*>(self)->onReadable(readable);
        },
        this);

    // No automatic timing updates: each is a round trip to the server, and the hold for the
    // picture needs the latencies only now and then (followPicture).
    const auto timing = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY);
    pa_buffer_attr in{};
    in.maxlength = uint32_t(-1);
    in.fragsize = kFragmentBytes;
    // The input is never moved: when the dongle goes, its stream ends instead of being handed
    // to a microphone by the server's rescue of streams.
    const int recorded = pa_stream_connect_record(m_record, source.c_str(), &in,
                                                  pa_stream_flags_t(timing | PA_STREAM_DONT_MOVE));
    pa_buffer_attr out{};
    out.maxlength = uint32_t(-1);
    out.tlength = kTargetBytes;
    out.prebuf = kTargetBytes / 2;
    out.minreq = kFragmentBytes;
    // No sink named: the stream plays on the default output and moves with it when the desktop
    // changes the default (headphones plugged in).
    const int played =
        pa_stream_connect_playback(m_playback, nullptr, &out, timing, nullptr, nullptr);
    if (recorded < 0 || played < 0) {
        closeStreams();
        return;
    }
    m_hold = BufferHold(kFrameBytes, kSpec.rate);
    m_playbackReady = false;
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
    timeval now;
    m_timingEvent = api->time_new(
        api, pa_gettimeofday(&now),
        [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
            static_cast<PulseSession*>(self)->updateTiming();
        },
        this);
    m_waysUs.clear();
    setPlaying(source);
}

void PulseSession::closeStreams() {
    for (pa_stream** stream : {&m_record, &m_playback}) {
        if (!*stream)
            continue;
        pa_stream_set_state_callback(*stream, nullptr, nullptr);
        pa_stream_set_read_callback(*stream, nullptr, nullptr);
        if (PA_STREAM_IS_GOOD(pa_stream_get_state(*stream)))
            pa_stream_disconnect(*stream);
        pa_stream_unref(*stream);
        *stream = nullptr;
    }
    if (m_timingEvent) {
        pa_threaded_mainloop_get_api(m_loop)->time_free(m_timingEvent);
        m_timingEvent = nullptr;
    }
    m_playbackReady = false;
    m_soundLatencyUs = 0;
}

void PulseSession::onStreamState(pa_stream* stream) {
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (stream == m_playback)
        m_playbackReady = state == PA_STREAM_READY;
    if (state != PA_STREAM_FAILED && state != PA_STREAM_TERMINATED)
        return;
    // The dongle's input went (unplugged before its video) or the output failed: quietly
    // close both and look again; an input that is still there is opened again.
    closeStreams();
    setPlaying("");
    after(kReopenPause, &PulseSession::listSources);
}

// Every call into the library costs a system call of its own (it checks for a fork), on top of
// the wake-up: a wake-up takes the `readable` bytes of input there are (later input calls
// again) and makes one write, with as few calls as that needs.
void PulseSession::onReadable(size_t readable) {
    const void* data = nullptr;
    size_t bytes = 0;
    while (readable > 0 && m_record && pa_stream_peek(m_record, &data, &bytes) == 0 && bytes > 0) {
        // A hole in the input (data null) is played as silence.
        if (m_playbackReady)
            m_hold.push(static_cast<const uint8_t*>(data), bytes);
        pa_stream_drop(m_record);
        readable -= std::min(readable, bytes);
    }
    if (!m_playbackReady)
        return;
    // The output asks for what keeps its buffer full; it gets that and no more, so the wait
    // stays here where the hold sees it.
    m_out.clear();
    m_hold.pull(pa_stream_writable_size(m_playback), m_out);
    if (!m_out.empty())
        pa_stream_write(m_playback, m_out.data(), m_out.size(), nullptr, 0, PA_SEEK_RELATIVE);
}

// Asks both streams for their latencies now and then, and follows the picture when the
// output's answer is in; the next time follows after kTimingPause.
void PulseSession::updateTiming() {
    pa_operation* asked = pa_stream_update_timing_info(m_record, nullptr, nullptr);
    if (asked)
        pa_operation_unref(asked);
    asked = pa_stream_update_timing_info(
        m_playback,
        [](pa_stream* stream, int success, void* self) {
            auto* session = static_cast<PulseSession*>(self);
            if (success && stream == session->m_playback && session->m_playbackReady)
                session->followPicture();
        },
        this);
    if (asked)
        pa_operation_unref(asked);
    timeval when;
    pa_timeval_add(pa_gettimeofday(&when), pa_usec_t(kTimingPause.count()) * PA_USEC_PER_MSEC);
    pa_threaded_mainloop_get_api(m_loop)->time_restart(m_timingEvent, &when);
}

// Holds the sound back by what the picture takes longer than the sound's own way. That way is
// the one of the newest frame the hold has: its age, which the input's latency gives, then its
// wait behind the rest of the hold, in the output's buffer and in its device. Each look's figure
// swings with the sound thread's timing (input read late is old, and the output has less in
// hand), so the hold follows the median of the last few looks.
void PulseSession::followPicture() {
    const int64_t recorded = LatencyUs(m_record);
    const int64_t played = LatencyUs(m_playback);
    if (recorded < 0 || played < 0)
        return;
    m_waysUs.add(double(recorded + played + int64_t(m_hold.readyUs())));
    m_soundLatencyUs = m_hold.followPicture(m_pictureDelayUs.load(), int64_t(*m_waysUs.median()));
}

} // namespace platform::audio

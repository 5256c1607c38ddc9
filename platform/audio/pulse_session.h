// The sound thread: a connection to the sound server, the dongle's input and the output.
#pragma once

#include <pulse/pulseaudio.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/buffer_hold.h"
#include "platform/audio/source_choice.h"
#include "platform/audio/usb_device.h"
#include "platform/system/running_median.h"

namespace platform::audio {

// Everything but the constructor, the destructor and the three public calls runs on the
// threaded main loop's own thread, with its lock held (the library calls back that way): the
// connection, the choice of the input, the two streams and the copying between them.
class PulseSession {
public:
    // `noServer` is called once on the session's thread when the first connection fails (no
    // server answers); the session then stops trying. A server that goes after it answered is
    // looked for again.
    PulseSession(UsbDevice device, std::function<void()> noServer);
    ~PulseSession();

    void setPictureDelay(std::chrono::microseconds delay) { m_pictureDelayUs = delay.count(); }
    std::string playingSource() const;
    std::chrono::microseconds soundLatency() const {
        return std::chrono::microseconds(m_soundLatencyUs.load());
    }

private:
    void connect();
    void closeContext();
    void onContextState();
    void listSources();
    void onSourceListed(const pa_source_info* info, int eol);
    void openStreams(const std::string& source);
    void closeStreams();
    void onStreamState(pa_stream* stream);
    void onReadable(size_t readable);
    void updateTiming();
    void followPicture();
    void after(std::chrono::milliseconds delay, void (PulseSession::*work)());
    void setPlaying(const std::string& source);

    const UsbDevice m_device;
    std::function<void()> m_noServer;
    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_record = nullptr;
    pa_stream* m_playback = nullptr;
    bool m_playbackReady = false;           // the output takes sound
    pa_time_event* m_timingEvent = nullptr; // the next look at the latencies
    std::vector<SourceEntry> m_listed;      // the list being received
    bool m_listing = false;                 // a list is on its way
    bool m_listAgain = false;               // the sources changed while it was
    bool m_wasReady = false;                // connected once: a later failure is no news
    bool m_closing = false;                 // the owner is going: no new connection
    BufferHold m_hold;
    std::vector<uint8_t> m_out;
    // The sound's way from input to output at the last looks, in microseconds (followPicture):
    // two and a half seconds of looks every half second.
    RunningMedian<5> m_waysUs;

    std::atomic<int64_t> m_pictureDelayUs{0};
    std::atomic<int64_t> m_soundLatencyUs{0};
    mutable std::mutex m_playingMutex;
    std::string m_playing;
};

} // namespace platform::audio

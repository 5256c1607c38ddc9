// The sound thread where no sound server runs: the dongle's ALSA card to ALSA's default output.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/alsa_pcm.h"
#include "platform/audio/buffer_hold.h"
#include "platform/audio/usb_device.h"

namespace platform::audio {

// A thread of its own finds the device's card in sysfs, reads it and plays it on "default"
// (never "default" as the input: that is the computer's microphone). The constructor only
// starts the thread and the destructor ends it within one wait of the input (20 ms). A card
// that is not there yet is looked for again; a card that goes (unplugged) ends its sound
// quietly.
class AlsaSession {
public:
    AlsaSession(UsbDevice device, std::string sysRoot);
    ~AlsaSession();
    AlsaSession(const AlsaSession&) = delete;
    AlsaSession& operator=(const AlsaSession&) = delete;

    void setPictureDelay(std::chrono::microseconds delay) { m_pictureDelayUs = delay.count(); }
    // The card's PCM being played ("plughw:1"), empty while none is.
    std::string playingSource() const;
    std::chrono::microseconds soundLatency() const {
        return std::chrono::microseconds(m_soundLatencyUs.load());
    }

private:
    struct Streams;

    void run();
    bool pause(std::chrono::milliseconds length); // false when the owner is going
    bool stopping() const { return m_stop.load(); }
    std::chrono::milliseconds play(int card);
    bool copy(Streams& streams);
    void followPicture(Streams& streams, int64_t ownLatencyUs);
    void setPlaying(const std::string& source);

    const UsbDevice m_device;
    const std::string m_sysRoot;
    std::vector<uint8_t> m_piece;
    std::vector<uint8_t> m_out;

    std::atomic<bool> m_stop{false};
    std::mutex m_stopMutex;
    std::condition_variable m_stopped;
    std::atomic<int64_t> m_pictureDelayUs{0};
    std::atomic<int64_t> m_soundLatencyUs{0};
    mutable std::mutex m_playingMutex;
    std::string m_playing;
    std::thread m_thread; // last: starts once everything above is there
};

} // namespace platform::audio

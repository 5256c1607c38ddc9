// The sound of a capture dongle, played on the desktop's default output while it lives.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>

#include "platform/audio/usb_device.h"

namespace platform::audio {

class AlsaSession;
class PulseSession;

// Owns a thread of the sound server's client library that finds the dongle's input among the
// server's, and plays it through an output stream named "Vistrel" (the desktop's volume
// control turns it down or mutes it). Everything it does happens on that thread: creating it
// and destroying it never wait for the server. Without a server, without an input of the
// device, or with an input that sends nothing, it stays silent; a server that restarts is
// connected again, an input that comes later is taken when it comes. Where no server answers
// at all, the device's own ALSA card plays on ALSA's default output instead.
class DongleSound {
public:
    // Starts at once; the connection follows on the sound thread. `sysRoot` is where the
    // device's sound card is looked for ("/sys", or a copy of its shape for tests).
    explicit DongleSound(UsbDevice device, std::string sysRoot = "/sys");
    // Ends the streams and the thread; bounded, a few milliseconds.
    ~DongleSound();
    DongleSound(const DongleSound&) = delete;
    DongleSound& operator=(const DongleSound&) = delete;

    // The sound of the USB device behind /dev/video<index> (its folder in /sys); nothing when
    // the node is not a USB device's.
    static std::unique_ptr<DongleSound> ForVideoNode(int index);
    // Where ForVideoNode reads sysfs: "/sys", or a folder of its shape for a test device
    // (benchmarks). Set before any capture opens.
    static void ReadSysfsAt(std::string root);

    // How long the picture takes from capture to screen. When it is longer than the sound's
    // own way from input to output, the sound is held back by the difference, so that it
    // never leads the picture.
    void setPictureDelay(std::chrono::microseconds delay);

    // The input being played, empty while none is ("" without a server, before the input is
    // found, after it went).
    std::string playingSource() const;
    // The sound's way from the input to the output now: the input's and the output's
    // latencies and the delay held for the picture; zero while nothing plays.
    std::chrono::microseconds soundLatency() const;

private:
    void playThroughAlsa();

    const UsbDevice m_device;
    const std::string m_sysRoot;
    mutable std::mutex m_alsaMutex; // guards the two below
    std::chrono::microseconds m_pictureDelay{0};
    std::unique_ptr<AlsaSession> m_alsa; // only where no server answered
    std::unique_ptr<PulseSession> m_session;
};

} // namespace platform::audio

// A private PulseAudio server for the sound tests and benchmarks: a null sink as the speakers,
// pipe sources as inputs, a feeder that writes a tone into a pipe in real time, and a recorder
// of what reaches the speakers.
#pragma once

#include <pulse/simple.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace testing_support {

constexpr unsigned kSoundRate = 48000;

// Runs `pulseaudio` in a folder of its own (socket, state, cookie), with no configuration of
// the system's: only the modules named. PULSE_SERVER points this process and the `pactl` it
// runs at it while it lives.
class PulseServer {
public:
    // An input of the server fed through a pipe; `properties` are its source properties
    // ("device.vendor.id=3188 device.product.id=1000 ...").
    struct PipeSource {
        std::string name;
        std::string properties;
    };

    // `sharedMemory`: the sound passes to and from clients in shared memory, as on a desktop's
    // PulseAudio; without it, in the socket, the costlier way for a client.
    explicit PulseServer(std::vector<PipeSource> sources, bool sharedMemory = false);
    ~PulseServer();

    // Starts the server and waits until it answers; false when it does not within 8 s.
    bool start();
    // Ends it (SIGTERM) and waits for its exit.
    void stop();
    std::string folder() const { return m_folder; }
    std::string pipe(const std::string& source) const { return m_folder + "/" + source + ".pipe"; }
    // pactl's output for `arguments`, against this server.
    std::string pactl(const std::string& arguments) const;

private:
    std::string m_folder;
    std::vector<PipeSource> m_sources;
    bool m_sharedMemory;
    pid_t m_pid = -1;
};

// Writes a stereo sine (or silence, at 0 Hz) into a pipe source's pipe in pieces (5 ms unless
// said) at the pace of the clock, from a thread of its own; reopens the pipe when the server
// restarts. The server hands each piece on as it comes, as a sound card's driver hands on each
// period: the piece is the input's period. A click (1 ms at full scale) can be put at the
// start of the next piece.
class PipeFeeder {
public:
    PipeFeeder(std::string pipe, double hz,
               std::chrono::milliseconds piece = std::chrono::milliseconds(5));
    ~PipeFeeder();
    void click() { m_clickWanted = true; }
    // When the last click was captured (epoch when none was): a piece is written when its
    // last frame is in, so a click at its start was captured a piece before its write.
    std::chrono::steady_clock::time_point lastClick() const {
        return std::chrono::steady_clock::time_point(
            std::chrono::steady_clock::duration(m_clickAt.load()));
    }

private:
    void run();

    std::string m_pipe;
    double m_hz;
    std::chrono::milliseconds m_piece;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_clickWanted{false};
    std::atomic<int64_t> m_clickAt{0};
    std::thread m_thread;
};

// Records an output's monitor ("speakers.monitor") of the server in PULSE_SERVER, in small
// pieces.
class MonitorRecorder {
public:
    explicit MonitorRecorder(const std::string& source);
    ~MonitorRecorder();
    bool ok() const { return m_stream != nullptr; }
    // Reads `frames` stereo frames; false when the server went.
    bool read(std::vector<int16_t>& samples, size_t frames);

private:
    pa_simple* m_stream = nullptr;
};

// The share of the samples' (left channel) energy at `hz`, by Goertzel: near 1 for a pure tone
// at that frequency, near 0 without it (and 0 for silence).
double ToneShare(const std::vector<int16_t>& samples, double hz);

} // namespace testing_support

// The dongle's sound where no sound server runs, through ALSA configured by the test
// (tests/support/alsa_cards.h): the dongle's card reads a pipe.
//   AlsaSound/<s>   ALSA's "default" plays on a private PulseAudio server's null sink through
//                   ALSA's pulse plugin (an output with a clock and a buffer, as a device has);
//                   a click written into the card's pipe every quarter second, for <s> seconds:
//                   the median and 99th percentile of the time until it shows in the sink's
//                   monitor recording (which adds its own 5 ms pieces: an upper bound), its
//                   drift per minute, and the CPU the sound thread used, in percent of one core;
//   AlsaStartStop   what opening and releasing the sound costs the caller while it plays
//                   (default: a file), the longest of 20 of each.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/audio/dongle_sound.h"
#include "tests/support/alsa_cards.h"
#include "tests/support/pulse_server.h"
#include "tests/support/thread_cpu.h"

using namespace testing_support;
using Clock = std::chrono::steady_clock;

namespace {

const platform::audio::UsbDevice kDongle{"/devices/pci0000:00/0000:00:14.0/usb1/1-4",
                                         "pci-0000:00:14.0-usb-0:4", "3188", "1000"};

// Card 1 under the dongle's interface, fed with silence and clicks.
struct DongleCard {
    explicit DongleCard(const std::string& outputServer = "") : alsa(2, outputServer) {
        std::filesystem::create_directories(alsa.sysRoot() + kDongle.sysfsPath +
                                            "/1-4:1.1/sound/card1");
    }
    AlsaCards alsa;
    PipeFeeder feeder{alsa.pipe(1), 0};
};

// Reads the speakers' monitor without pause and notes each click's latency behind the last
// click written (ms) and when it came (s since `start`).
class ClickListener {
public:
    ClickListener(PipeFeeder& feeder, Clock::time_point start)
        : m_feeder(feeder), m_start(start), m_thread([this] { run(); }) {}
    ~ClickListener() { finish(); }
    void finish() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    std::vector<double> latencies, times;

private:
    void run() {
        constexpr size_t kPiece = kSoundRate / 200;
        MonitorRecorder monitor("speakers.monitor");
        std::vector<int16_t> piece;
        bool high = false;
        while (!m_stop && monitor.read(piece, kPiece)) {
            const Clock::time_point now = Clock::now();
            for (size_t frame = 0; frame < kPiece; ++frame) {
                const bool was = high;
                high = piece[2 * frame] > 15000;
                if (!high || was)
                    continue;
                const auto arrived =
                    now - std::chrono::microseconds((kPiece - frame) * 1'000'000 / kSoundRate);
                latencies.push_back(
                    std::chrono::duration<double, std::milli>(arrived - m_feeder.lastClick())
                        .count());
                times.push_back(std::chrono::duration<double>(arrived - m_start).count());
            }
        }
    }

    PipeFeeder& m_feeder;
    Clock::time_point m_start;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

double Percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

void AlsaSound(benchmark::State& state) {
    PulseServer server({});
    if (!server.start()) {
        state.SkipWithError("pulseaudio did not start");
        return;
    }
    const std::string serverAddress = getenv("PULSE_SERVER");
    DongleCard card(serverAddress); // PULSE_SERVER now names no server: the sound takes ALSA
    platform::audio::DongleSound sound(kDongle, card.alsa.sysRoot());
    std::this_thread::sleep_for(std::chrono::seconds(2)); // ALSA plays, the output settles
    if (sound.playingSource().empty()) {
        state.SkipWithError("the card did not play (ALSA's pulse plugin missing?)");
        return;
    }
    setenv("PULSE_SERVER", serverAddress.c_str(), 1); // for the monitor's recording
    const int seconds = int(state.range(0));
    std::vector<double> latencies, times;
    for (auto _ : state) {
        const double cpuBefore = ThreadCpuSeconds("vistrel-alsa");
        const Clock::time_point start = Clock::now();
        ClickListener listener(card.feeder, start);
        while (Clock::now() - start < std::chrono::seconds(seconds)) {
            card.feeder.click();
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        listener.finish();
        state.counters["cpu_percent"] =
            100 * (ThreadCpuSeconds("vistrel-alsa") - cpuBefore) / seconds;
        latencies = listener.latencies;
        times = listener.times;
    }
    // Drift: the slope of the least-squares line through (time, latency), per minute.
    const double n = double(latencies.size());
    double st = 0, sl = 0, stt = 0, stl = 0;
    for (size_t i = 0; i < latencies.size(); ++i) {
        st += times[i];
        sl += latencies[i];
        stt += times[i] * times[i];
        stl += times[i] * latencies[i];
    }
    state.counters["clicks"] = n;
    state.counters["median_ms"] = Percentile(latencies, 0.5);
    state.counters["p99_ms"] = Percentile(latencies, 0.99);
    state.counters["drift_ms_per_min"] = n > 1 ? 60 * (n * stl - st * sl) / (n * stt - st * st) : 0;
}
BENCHMARK(AlsaSound)->Arg(20)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void AlsaStartStop(benchmark::State& state) {
    DongleCard card;
    double longestStart = 0, longestStop = 0;
    for (auto _ : state) {
        for (int i = 0; i < 20; ++i) {
            const Clock::time_point before = Clock::now();
            auto sound =
                std::make_unique<platform::audio::DongleSound>(kDongle, card.alsa.sysRoot());
            const Clock::time_point started = Clock::now();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            const Clock::time_point stopping = Clock::now();
            sound.reset();
            const Clock::time_point stopped = Clock::now();
            longestStart = std::max(
                longestStart, std::chrono::duration<double, std::milli>(started - before).count());
            longestStop = std::max(
                longestStop, std::chrono::duration<double, std::milli>(stopped - stopping).count());
        }
    }
    state.counters["start_max_ms"] = longestStart;
    state.counters["stop_max_ms"] = longestStop;
}
BENCHMARK(AlsaStartStop)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();

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
#include "tests/support/sound_clicks.h"

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
        const double cpuBefore = ThreadUsage("vistrel-alsa").cpuSeconds;
        const Clock::time_point start = Clock::now();
        ClickListener listener(card.feeder, start);
        while (Clock::now() - start < std::chrono::seconds(seconds)) {
            card.feeder.click();
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        listener.finish();
        state.counters["cpu_percent"] =
            100 * (ThreadUsage("vistrel-alsa").cpuSeconds - cpuBefore) / seconds;
        latencies = listener.latencies;
        times = listener.times;
    }
    ReportClicks(state, latencies, times);
}
BENCHMARK(AlsaSound)->Arg(20)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void AlsaStartStop(benchmark::State& state) {
    DongleCard card;
    StartStop longest;
    for (auto _ : state)
        longest = TimeStartStop([&] {
            return std::make_unique<platform::audio::DongleSound>(kDongle, card.alsa.sysRoot());
        });
    state.counters["start_max_ms"] = longest.longestStartMs;
    state.counters["stop_max_ms"] = longest.longestStopMs;
}
BENCHMARK(AlsaStartStop)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();

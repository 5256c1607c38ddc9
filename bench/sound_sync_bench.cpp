// The sound against the picture: the viewer (headless, video area 880x495) streams from the
// test dongle (tests/v4l2, 1920x1080 MJPG of black frames) through our V4L2 source, and plays
// the dongle's sound from a pipe source of a private PulseAudio server
// (tests/support/pulse_server.h), which our sound code finds by its sysfs place as it would a
// real dongle's (a sysfs tree of one USB device whose video0 is the dongle). Every 400 ms the
// dongle shows one white frame and the pipe gets a click. Each event's offset is the click's
// delay from its write into the pipe to its arrival in the speakers' monitor, minus the white
// frame's delay from its capture timestamp to its pixels on the window's surface: the time
// between click and white frame as they reach the user, had they been captured at the same
// instant. Positive: the sound comes later than the picture (allowed: up to 40 ms later, 20 ms
// earlier).
//   SoundSync/<fps>/<extra>  the dongle at <fps> frames per second, each frame read <extra> ms
//                     late (0: the picture as fast as this machine draws it; 25 at 30 fps
//                     and 40 at 20 fps: a picture slower than the sound, as a slow decode
//                     makes it, which the sound must wait for; unheld, the sound would come
//                     some 15 and 30 ms early). Counters: offset_median/min/max_ms and the 10th
//                     and 90th percentiles (a busy machine stalls a frame or a piece now and
//                     then), picture_ms and sound_ms (medians of the two delays), events
//                     (both seen and heard).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>

#include "dongle.h"
#include "platform/audio/dongle_sound.h"
#include "platform/gdi/target.h"
#include "platform/video/v4l2/v4l2_source.h"
#include "tests/support/dialog_harness.h"
#include "tests/support/pulse_server.h"
#include "tests/support/sound_clicks.h"
#include "tests/support/wrapped_source.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

constexpr auto kEventPeriod = std::chrono::milliseconds(400);
constexpr int kEvents = 25;

double MonotonicMs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double Ms(std::chrono::steady_clock::time_point at) { // steady_clock is CLOCK_MONOTONIC
    return std::chrono::duration<double, std::milli>(at.time_since_epoch()).count();
}

// A sysfs tree with one USB device (3188:1000 at port 2 of a PCI controller) whose first
// interface is /dev/video0; the pipe source below claims the device's sound card.
constexpr const char* kUsbDevice = "/devices/pci0000:00/0000:00:14.0/usb1/1-2";
constexpr const char* kDongleSource = "sysfs.path=/devices/pci0000:00/0000:00:14.0/usb1/1-2/"
                                      "1-2:1.1/sound/card1 device.bus_path=pci-0000:00:14.0-usb-"
                                      "0:2:1.1 device.vendor.id=3188 device.product.id=1000";

class DongleSysfs {
public:
    DongleSysfs() {
        char folder[] = "/tmp/vistrel-sysfs-XXXXXX";
        m_root = mkdtemp(folder);
        const fs::path device = m_root + kUsbDevice;
        fs::create_directories(device / "1-2:1.0");
        std::ofstream(device / "idVendor") << "3188\n";
        std::ofstream(device / "idProduct") << "1000\n";
        std::ofstream(device / "devpath") << "2\n";
        const fs::path node = m_root + "/class/video4linux/video0";
        fs::create_directories(node);
        fs::create_directory_symlink(device / "1-2:1.0", node / "device");
    }
    ~DongleSysfs() {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    const std::string& root() const { return m_root; }

private:
    std::string m_root;
};

// Our V4L2 source with every read `extra` longer, as a slower decode would make it.
class SlowerSource : public WrappedSource {
public:
    SlowerSource(std::unique_ptr<platform::VideoSource> inner, std::chrono::milliseconds extra)
        : WrappedSource(std::move(inner)), m_extra(extra) {}
    bool read(cv::Mat& frame) override {
        const bool ok = m_inner->read(frame);
        std::this_thread::sleep_for(m_extra);
        return ok;
    }

private:
    std::chrono::milliseconds m_extra;
};

class SlowerProvider : public platform::VideoSourceProvider {
public:
    explicit SlowerProvider(std::chrono::milliseconds extra)
        : m_inner(platform::v4l2::CreateProvider(platform::v4l2::kDriverBuffers)), m_extra(extra) {}
    std::vector<platform::VideoInputInfo> listInputs() override { return m_inner->listInputs(); }
    std::unique_ptr<platform::VideoSource> open(int index) override {
        auto source = m_inner->open(index);
        return source ? std::make_unique<SlowerSource>(std::move(source), m_extra) : nullptr;
    }

private:
    std::shared_ptr<platform::VideoSourceProvider> m_inner;
    std::chrono::milliseconds m_extra;
};

// When the middle of the video area turned white on the window's surface, each time.
std::vector<double> WatchWhite(HWND video, const std::atomic<bool>& stop) {
    RECT clip{0, 0, 0, 0};
    HDC dc = GetDC(video);
    const std::shared_ptr<platform::gdi::Surface> surface = platform::gdi::SurfaceOfDC(dc, &clip);
    ReleaseDC(video, dc);
    std::vector<double> turned;
    bool white = false;
    while (surface && !stop) {
        uint32_t pixel;
        {
            std::lock_guard lock(surface->mutex());
            pixel = surface->row((clip.top + clip.bottom) / 2)[(clip.left + clip.right) / 2];
        }
        const double now = MonotonicMs();
        const bool nowWhite = (pixel & 0xff) > 200 && (pixel >> 8 & 0xff) > 200;
        if (nowWhite && !white)
            turned.push_back(now);
        white = nowWhite;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return turned;
}

// When a click's rising edge reached the speakers' monitor, each time (the monitor's own 5 ms
// pieces can only make it later).
std::vector<double> ListenForClicks(const std::atomic<bool>& stop) {
    constexpr size_t kPiece = kSoundRate / 200;
    MonitorRecorder monitor("speakers.monitor");
    std::vector<int16_t> piece;
    std::vector<double> heard;
    bool high = false;
    while (!stop && monitor.read(piece, kPiece)) {
        const double now = MonotonicMs();
        for (size_t frame = 0; frame < kPiece; ++frame) {
            const bool was = high;
            high = piece[2 * frame] > 15000;
            if (high && !was)
                heard.push_back(now - double(kPiece - frame) * 1e3 / kSoundRate);
        }
    }
    return heard;
}

// The first of `times` at or after `from` within half the events' period (a frame the pump
// passed over for a newer one never shows); nothing when none is.
std::optional<double> FirstAfter(const std::vector<double>& times, double from) {
    const auto it = std::lower_bound(times.begin(), times.end(), from);
    if (it == times.end() || *it - from >= double(kEventPeriod.count()) / 2)
        return std::nullopt;
    return *it;
}

void SoundSync(benchmark::State& state) {
    DongleSysfs sysfs;
    platform::audio::DongleSound::ReadSysfsAt(sysfs.root());
    PulseServer server(std::vector<PulseServer::PipeSource>{{"dongle", kDongleSource}});
    if (!server.start()) {
        state.SkipWithError("pulseaudio did not start");
        return;
    }
    PipeFeeder feeder(server.pipe("dongle"), 0);
    FreshPlatform();
    dongle::Configure("MJPG 1920x1080 " + std::to_string(state.range(0)) + "; content flash");
    platform::SetVideoSourceProvider(
        std::make_shared<SlowerProvider>(std::chrono::milliseconds(state.range(1))));
    std::vector<double> offsets, pictures, sounds;
    for (auto _ : state) {
        DialogRun run;
        run.onUi([&] { MoveWindow(run.video(), 0, 0, 880, 495, TRUE); });
        // The sound finds its input and the picture's delay settles.
        std::this_thread::sleep_for(std::chrono::seconds(3));
        std::atomic<bool> stop{false};
        auto shown = std::async(std::launch::async, [&] { return WatchWhite(run.video(), stop); });
        auto heard = std::async(std::launch::async, [&] { return ListenForClicks(stop); });
        std::vector<double> clicked;
        for (int i = 0; i < kEvents; ++i) {
            dongle::Flash();
            feeder.click();
            std::this_thread::sleep_for(kEventPeriod);
            clicked.push_back(Ms(feeder.lastClick()));
        }
        stop = true;
        const std::vector<double> whites = shown.get(), clicks = heard.get();
        const std::vector<double> flashed = dongle::FlashedMs();
        for (size_t i = 0; i < std::min(flashed.size(), clicked.size()); ++i) {
            const auto white = FirstAfter(whites, flashed[i]);
            const auto click = FirstAfter(clicks, clicked[i]);
            if (!white || !click)
                continue;
            pictures.push_back(*white - flashed[i]);
            sounds.push_back(*click - clicked[i]);
            offsets.push_back(sounds.back() - pictures.back());
        }
        run.close();
    }
    platform::SetVideoSourceProvider(nullptr);
    platform::audio::DongleSound::ReadSysfsAt("/sys");
    if (offsets.empty()) {
        state.SkipWithError("no event was both seen and heard");
        return;
    }
    state.counters["events"] = double(offsets.size());
    state.counters["offset_median_ms"] = Percentile(offsets, 0.5);
    state.counters["offset_min_ms"] = Percentile(offsets, 0);
    state.counters["offset_max_ms"] = Percentile(offsets, 1);
    state.counters["offset_p10_ms"] = Percentile(offsets, 0.1);
    state.counters["offset_p90_ms"] = Percentile(offsets, 0.9);
    state.counters["picture_ms"] = Percentile(pictures, 0.5);
    state.counters["sound_ms"] = Percentile(sounds, 0.5);
}
BENCHMARK(SoundSync)
    ->ArgNames({"fps", "extra"})
    ->Args({60, 0})
    ->Args({30, 25})
    ->Args({20, 40})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();

// Reading the monitor for clicks, and the figures of a run.
#include "tests/support/sound_clicks.h"

#include <dirent.h>

#include <algorithm>
#include <fstream>

namespace testing_support {

using Clock = std::chrono::steady_clock;

ThreadUse ThreadUsage(const std::string& name) {
    ThreadUse use;
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks)
        return use;
    while (dirent* entry = readdir(tasks)) {
        const std::string task = std::string("/proc/self/task/") + entry->d_name;
        std::string comm;
        std::getline(std::ifstream(task + "/comm"), comm);
        if (comm != name)
            continue;
        double runNs = 0;
        std::ifstream(task + "/schedstat") >> runNs;
        use.cpuSeconds += runNs / 1e9;
        std::ifstream status(task + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
                use.wakeUps += std::stod(line.substr(line.find(':') + 1));
        }
    }
    closedir(tasks);
    return use;
}

ClickListener::ClickListener(PipeFeeder& feeder, Clock::time_point start)
    : m_feeder(feeder), m_start(start), m_thread([this] { run(); }) {}

void ClickListener::finish() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void ClickListener::run() {
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
                std::chrono::duration<double, std::milli>(arrived - m_feeder.lastClick()).count());
            times.push_back(std::chrono::duration<double>(arrived - m_start).count());
        }
    }
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

ClickFigures FiguresOf(const std::vector<double>& latencies, const std::vector<double>& times) {
    const double n = double(latencies.size());
    double st = 0, sl = 0, stt = 0, stl = 0;
    for (size_t i = 0; i < latencies.size(); ++i) {
        st += times[i];
        sl += latencies[i];
        stt += times[i] * times[i];
        stl += times[i] * latencies[i];
    }
    ClickFigures figures;
    figures.clicks = n;
    figures.medianMs = Percentile(latencies, 0.5);
    figures.p99Ms = Percentile(latencies, 0.99);
    figures.driftMsPerMin = n > 1 ? 60 * (n * stl - st * sl) / (n * stt - st * st) : 0;
    return figures;
}

} // namespace testing_support

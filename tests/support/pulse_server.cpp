// Starting and feeding a private PulseAudio server.
#include "pulse_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "tests/support/viewer_process.h"

extern char** environ;

namespace testing_support {

namespace {
constexpr size_t kPieceFrames = kSoundRate / 200;
} // namespace

PulseServer::PulseServer(std::vector<PipeSource> sources, bool sharedMemory)
    : m_sources(std::move(sources)), m_sharedMemory(sharedMemory) {
    char folder[] = "/tmp/vistrel-pulse-XXXXXX";
    m_folder = mkdtemp(folder);
    setenv("PULSE_SERVER", ("unix:" + m_folder + "/native").c_str(), 1);
    // The server ends with the test even when it is killed: no pipe writer may block for it.
    signal(SIGPIPE, SIG_IGN);
}

PulseServer::~PulseServer() {
    stop();
    unsetenv("PULSE_SERVER");
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

bool PulseServer::start() {
    // As root it warns only; --system=no and its own runtime and state folders keep it away
    // from any other server. Anonymous clients: no cookie to share.
    std::vector<std::string> args = {
        "pulseaudio",
        "-n",
        "--daemonize=no",
        "--exit-idle-time=-1",
        m_sharedMemory ? "--disable-shm=no" : "--disable-shm=yes",
        "--system=no",
        "--use-pid-file=no",
        "--log-level=error",
        "-L",
        "module-native-protocol-unix auth-anonymous=1 socket=" + m_folder + "/native",
        "-L",
        "module-null-sink sink_name=speakers rate=48000"};
    for (const PipeSource& source : m_sources) {
        args.push_back("-L");
        args.push_back(
            "module-pipe-source source_name=" + source.name + " file=" + pipe(source.name) +
            " format=s16le rate=48000 channels=2 source_properties='" + source.properties + "'");
    }
    std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + m_folder, "PULSE_RUNTIME_PATH=" + m_folder,
                                    "PULSE_STATE_PATH=" + m_folder, "HOME=" + m_folder,
                                    "PATH=/usr/bin:/bin"};
    std::vector<char*> argv, envp;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    if (posix_spawnp(&m_pid, "pulseaudio", nullptr, nullptr, argv.data(), envp.data()) != 0) {
        m_pid = -1;
        return false;
    }
    for (int i = 0; i < 160; ++i) {
        int status = 1;
        Shell("pactl info >/dev/null 2>&1", &status);
        if (status == 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

void PulseServer::stop() {
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
}

std::string PulseServer::pactl(const std::string& arguments) const {
    return Shell("pactl " + arguments + " 2>&1");
}

PipeFeeder::PipeFeeder(std::string pipe, double hz, std::chrono::milliseconds piece)
    : m_pipe(std::move(pipe)), m_hz(hz), m_piece(piece), m_thread([this] { run(); }) {}

PipeFeeder::~PipeFeeder() {
    m_stop = true;
    m_thread.join();
}

void PipeFeeder::run() {
    int fd = -1;
    uint64_t frame = 0;
    const size_t pieceFrames = size_t(m_piece.count()) * kSoundRate / 1000;
    std::vector<int16_t> piece(pieceFrames * 2);
    auto next = std::chrono::steady_clock::now();
    while (!m_stop) {
        next += m_piece;
        std::this_thread::sleep_until(next);
        if (fd < 0) {
            // Non-blocking: without a reader (the server is down) the open fails, and a full
            // pipe drops the piece instead of stopping the clock.
            fd = ::open(m_pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0)
                continue;
        }
        const bool click = m_clickWanted.exchange(false);
        for (size_t i = 0; i < pieceFrames; ++i, ++frame) {
            const double t = double(frame) / kSoundRate;
            int16_t v = int16_t(m_hz > 0 ? 12000 * std::sin(2 * M_PI * m_hz * t) : 0);
            if (click && i < kSoundRate / 1000)
                v = 30000;
            piece[2 * i] = piece[2 * i + 1] = v;
        }
        const ssize_t written = ::write(fd, piece.data(), piece.size() * sizeof(int16_t));
        if (click)
            m_clickAt = (std::chrono::steady_clock::now() - m_piece).time_since_epoch().count();
        if (written < 0 && errno != EAGAIN) {
            ::close(fd);
            fd = -1;
        }
    }
    if (fd >= 0)
        ::close(fd);
}

MonitorRecorder::MonitorRecorder(const std::string& source) {
    const pa_sample_spec spec{PA_SAMPLE_S16LE, kSoundRate, 2};
    pa_buffer_attr attr{};
    attr.maxlength = uint32_t(-1);
    attr.fragsize = kPieceFrames * 4;
    m_stream = pa_simple_new(nullptr, "vistrel-test", PA_STREAM_RECORD, source.c_str(), "monitor",
                             &spec, nullptr, &attr, nullptr);
}

MonitorRecorder::~MonitorRecorder() {
    if (m_stream)
        pa_simple_free(m_stream);
}

bool MonitorRecorder::read(std::vector<int16_t>& samples, size_t frames) {
    samples.resize(frames * 2);
    return m_stream && pa_simple_read(m_stream, samples.data(), samples.size() * 2, nullptr) == 0;
}

double ToneShare(const std::vector<int16_t>& samples, double hz) {
    const size_t n = samples.size() / 2;
    if (n == 0)
        return 0;
    const double coefficient = 2 * std::cos(2 * M_PI * hz / kSoundRate);
    double s1 = 0, s2 = 0, energy = 0;
    for (size_t i = 0; i < n; ++i) {
        const double x = samples[2 * i];
        const double s0 = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
        energy += x * x;
    }
    if (energy <= 0)
        return 0;
    // A tone's power at its own bin is (n/2)^2 * amplitude^2 / ... : |X|^2 * 2 / n is the
    // energy it carries, against the energy of all samples.
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return power * 2 / double(n) / energy;
}

} // namespace testing_support

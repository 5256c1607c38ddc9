// Writing the ALSA configuration and making the pipes.
#include "tests/support/alsa_cards.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace testing_support {

namespace fs = std::filesystem;

AlsaCards::AlsaCards(int cards, const std::string& outputServer)
    : m_folder(
          (fs::temp_directory_path() / ("vistrel-alsa-" + std::to_string(getpid()))).string()) {
    signal(SIGPIPE, SIG_IGN); // a feeder writing into the pipe of a card that was closed
    fs::remove_all(m_folder);
    fs::create_directories(sysRoot());
    for (int card = 0; card < cards; ++card)
        mkfifo(pipe(card).c_str(), 0600);
    // The file plugin over the null plugin: "infile" is what a capture reads (at the pace its
    // writer gives it), "file" gets what is played. The plug plugin's name keeps its arguments
    // so that "plughw:1" parses as on a real system.
    std::ofstream conf(m_folder + "/asound.conf");
    conf << "pcm.null { type null }\n";
    if (outputServer.empty())
        conf << "pcm.!default { type file slave.pcm null format raw file \"" << playedFile()
             << "\" infile \"" << pipe(0) << "\" }\n";
    else
        conf << "pcm.!default { type pulse server \"" << outputServer << "\" }\n";
    conf << "pcm.plughw {\n"
         << "  @args [ CARD DEV SUBDEV ]\n"
         << "  @args.CARD { type string }\n"
         << "  @args.DEV { type integer default 0 }\n"
         << "  @args.SUBDEV { type integer default -1 }\n"
         << "  type file slave.pcm null format raw file \"/dev/null\"\n"
         << "  infile { @func concat strings [ \"" << m_folder << "/card\" $CARD \".pipe\" ] }\n"
         << "}\n";
    setenv("ALSA_CONFIG_PATH", (m_folder + "/asound.conf").c_str(), 1);
    setenv("PULSE_SERVER", "unix:/nonexistent/vistrel/native", 1);
}

AlsaCards::~AlsaCards() {
    unsetenv("PULSE_SERVER");
    unsetenv("ALSA_CONFIG_PATH");
    std::error_code error;
    fs::remove_all(m_folder, error);
}

std::string AlsaCards::pipe(int card) const {
    return m_folder + "/card" + std::to_string(card) + ".pipe";
}

size_t AlsaCards::playedBytes() const {
    std::error_code error;
    const auto size = fs::file_size(playedFile(), error);
    return error ? 0 : size_t(size);
}

} // namespace testing_support

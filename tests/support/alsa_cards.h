// ALSA without sound hardware or root, for the sound tests and benchmarks: a configuration of
// the test's own in which every card's input is a pipe and the default output a file, and an
// empty sysfs tree for the cards' folders.
#pragma once

#include <cstddef>
#include <string>

namespace testing_support {

// A folder with ALSA's whole configuration: "plughw:N" reads the pipe `pipe(N)` (fed with a
// PipeFeeder), "default" writes what it plays into `playedFile()` and, taken as an input,
// would read card 0's pipe. While it lives, ALSA_CONFIG_PATH points at it and PULSE_SERVER at
// a server that is not there, so the sound takes the ALSA way.
class AlsaCards {
public:
    // With `outputServer` ("unix:<socket>"), "default" plays on that PulseAudio server through
    // ALSA's pulse plugin (libasound2-plugins) instead: an output with a clock, for timing.
    explicit AlsaCards(int cards, const std::string& outputServer = "");
    ~AlsaCards();
    AlsaCards(const AlsaCards&) = delete;
    AlsaCards& operator=(const AlsaCards&) = delete;

    std::string pipe(int card) const;
    // The sysfs tree to give the sound ("<it>/devices/..."), empty at first.
    std::string sysRoot() const { return m_folder + "/sys"; }
    std::string playedFile() const { return m_folder + "/played.raw"; }
    // How much the default output has played so far, in bytes (16-bit stereo).
    size_t playedBytes() const;

private:
    std::string m_folder;
};

} // namespace testing_support

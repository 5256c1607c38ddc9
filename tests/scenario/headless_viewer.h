// The real vistrel binary played headless on a scenario, watched from outside: how it ended,
// what it said, how much memory it took.
#pragma once

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

#include "tests/support/dialog_harness.h"

extern char** environ;

namespace headless_viewer {

using namespace std::chrono_literals;
using testing_support::TempPath;

struct ViewerRun {
    bool ended = false; // by itself, within the bound
    int status = -1;    // exit status, when it exited
    int signal = 0;     // the signal that ended it, when one did
    std::string errors; // its standard error
    long peakKb = 0;    // its peak resident memory
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Plays `scenario` headless with `binary`; kills the viewer when it has not ended within
// `bound`.
inline ViewerRun Play(const std::string& scenario, const std::string& name,
                      std::chrono::milliseconds bound,
                      const std::string& binary = VISTREL_BINARY_DIR "/app/vistrel") {
    const std::string path = TempPath(name + ".scenario");
    const std::string errors = TempPath(name + ".stderr");
    std::ofstream(path) << scenario;
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "VISTREL_", 8) != 0)
            env.emplace_back(*e);
    env.push_back("VISTREL_BACKEND=headless");
    env.push_back("VISTREL_SCENARIO=" + path);
    env.push_back("VISTREL_SCENARIO_OUT=" + TempPath(""));
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(binary.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = -1;
    ViewerRun run;
    const bool spawned =
        posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv, envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!spawned)
        return run;
    const auto deadline = std::chrono::steady_clock::now() + bound;
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, WNOHANG, &usage) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return run;
        }
        std::this_thread::sleep_for(10ms);
    }
    run.ended = true;
    run.peakKb = usage.ru_maxrss;
    if (WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        run.signal = WTERMSIG(status);
    run.errors = ReadFile(errors);
    return run;
}

} // namespace headless_viewer

// The program's command line and its exit statuses: the viewer takes no arguments; --version
// and --help answer and end, anything else is a mistake.
#pragma once

namespace platform::entry {

// Exit statuses of the program, as --help, the README and the manual page list them.
constexpr int kExitBadArguments = 2; // also a scenario that cannot be read (scenario_runner)
constexpr int kExitNoDisplay = 5;

// With arguments: prints the version or the help on standard output (status 0), or one line
// on standard error for anything else (kExitBadArguments). Returns -1 when there are none and
// the viewer should start.
int AnswerCommandLine(int argc, char** argv);

} // namespace platform::entry

// The end of the program when the connection to the X display is lost (the X server ended or
// the connection broke): Xlib's own answer is exit(), from every thread that talks to the
// display at that moment, which runs the exit handlers several times at once.
#pragma once

namespace platform::sdl {

// Exit status of a viewer whose display went away.
constexpr int kDisplayLostExitCode = 4;

// Installs the handler for Xlib's fatal connection errors: the first thread to see the loss
// says so on standard error and ends the process with kDisplayLostExitCode, without exit
// handlers; any other thread that sees it too waits for that end. Idempotent.
void EndProcessOnDisplayLoss();

} // namespace platform::sdl

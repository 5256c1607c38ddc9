#include "platform/backend/sdl/display_loss.h"

#include <X11/Xlib.h>

#include <unistd.h>

#include "platform/win32/api.h"

namespace platform::sdl {

namespace {

int OnDisplayLost(Display*) {
    // write(2) only: the handler may run while another thread holds stdio or heap locks.
    static const char message[] = "vistrel: the connection to the display was lost\n";
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, message, sizeof(message) - 1);
    // Only the first caller ends the process; Xlib must never get the handler back, as it
    // would call exit() itself.
    ExitProcess(kDisplayLostExitCode);
    return 0;
}

} // namespace

void EndProcessOnDisplayLoss() {
    // Process-wide in Xlib, so it covers SDL's own connections too (SDL loads the same libX11).
    XSetIOErrorHandler(OnDisplayLost);
}

} // namespace platform::sdl

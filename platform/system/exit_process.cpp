#include <atomic>
#include <cstdio>
#include <unistd.h>

#include "platform/win32/api.h"

void ExitProcess(UINT exitCode) {
    // Threads may end the process at the same moment (a lost display is seen by every thread
    // that talks to it). The first one ends it; the others wait here for the end, so the
    // process ends once, with the first one's code, and nothing runs twice.
    static std::atomic<bool> ending{false};
    if (ending.exchange(true)) {
        for (;;)
            pause();
    }
    std::fflush(nullptr);
    _exit(static_cast<int>(exitCode));
}

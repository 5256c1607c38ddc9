#include <cstdio>
#include <unistd.h>

#include "platform/win32/api.h"

void ExitProcess(UINT exitCode) {
    std::fflush(nullptr);
    _exit(static_cast<int>(exitCode));
}

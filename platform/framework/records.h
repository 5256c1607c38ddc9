// What the framework was asked to set up but does nothing more with, kept for inspection.
#pragma once

#include <string>

#include "platform/win32/types.h"

namespace platform::framework {

struct Records {
    int controlContainerCalls = 0;
    int commonControlsCalls = 0;
    DWORD commonControlsClasses = 0; // ICC_* flags of the accepted calls
    int shellManagersCreated = 0;
    int shellManagersAlive = 0;
    std::u16string registryKey;
};

// User-interface thread only.
Records& FrameworkRecords();

} // namespace platform::framework

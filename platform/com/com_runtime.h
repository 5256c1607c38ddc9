// What the COM runtime records about the calling thread.
#pragma once

namespace platform {

// CoInitialize calls on this thread not yet matched by CoUninitialize.
int ComInitializations();

} // namespace platform

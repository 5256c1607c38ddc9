// The system device enumerator class: video input categories over the current provider.
#pragma once

#include "platform/win32/com.h"

namespace platform {

// A new enumerator object with one reference, or null.
ICreateDevEnum* CreateSystemDeviceEnumerator();

} // namespace platform

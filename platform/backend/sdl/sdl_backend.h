// The desktop backend: one SDL window per top-level window, on the user's X11 or Wayland
// session. CreateSdlBackend (declared with the interface) returns null without a display.
#pragma once

#include "platform/backend/backend.h"

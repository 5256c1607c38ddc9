// Menus: each window's system menu, as a list of items.
#pragma once

#include "platform/win32/types.h"

namespace platform::window {

// Frees a menu and its items; null is ignored.
void DestroyMenuHandle(HMENU menu);

} // namespace platform::window

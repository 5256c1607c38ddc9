// SDL key symbols to Windows virtual-key codes.
#pragma once

#include "platform/win32/types.h"

namespace platform::sdl {

// 0 for keys without a virtual-key code.
UINT VirtualKeyFromSdl(int sdlKey);

} // namespace platform::sdl

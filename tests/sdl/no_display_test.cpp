// Values the desktop has no use for, and no backend without a real display.
#include <gtest/gtest.h>

#include <SDL_keycode.h>

#include <cstdlib>
#include <string>

#include "platform/backend/sdl/desktop_style.h"
#include "platform/backend/sdl/key_map.h"
#include "platform/backend/sdl/sdl_backend.h"

using namespace platform::sdl;

TEST(Mapping, UnknownCommandsShowAndUnknownKeysAreNone) {
    EXPECT_EQ(ShowActionOf(12345), ShowAction::Show);
    EXPECT_EQ(ShowActionOf(-1), ShowAction::Show);
    for (int key : {int(SDLK_F13), int(SDLK_UNKNOWN), -5})
        EXPECT_EQ(VirtualKeyFromSdl(key), 0u) << key;
}

// Backend selection falls back to headless on a null result.
TEST(CreateSdlBackend, NullWithoutADisplay) {
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    setenv("SDL_VIDEODRIVER", "x11", 1);
    EXPECT_EQ(platform::CreateSdlBackend(), nullptr);
    // An SDL without a real desktop behind it is no desktop either.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    EXPECT_EQ(platform::CreateSdlBackend(), nullptr);
    unsetenv("SDL_VIDEODRIVER");
    if (!display.empty())
        setenv("DISPLAY", display.c_str(), 1);
}

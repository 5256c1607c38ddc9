// No backend without a real display: the program falls back to headless on a null result.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/backend/sdl/sdl_backend.h"

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

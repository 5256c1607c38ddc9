// Show commands and keys as the desktop sees them, and no backend without a real display.
#include <gtest/gtest.h>

#include <SDL_keycode.h>

#include <cstdlib>
#include <string>

#include "platform/backend/sdl/desktop_style.h"
#include "platform/backend/sdl/key_map.h"
#include "platform/backend/sdl/sdl_backend.h"
#include "platform/win32/constants.h"

using namespace platform::sdl;

TEST(ShowAction, Commands) {
    const std::pair<int, ShowAction> cases[] = {{SW_HIDE, ShowAction::Hide},
                                                {SW_SHOW, ShowAction::Show},
                                                {SW_SHOWNORMAL, ShowAction::Restore},
                                                {SW_RESTORE, ShowAction::Restore},
                                                {SW_MAXIMIZE, ShowAction::Maximize},
                                                {SW_SHOWMINIMIZED, ShowAction::Minimize},
                                                {SW_MINIMIZE, ShowAction::Minimize},
                                                {12345, ShowAction::Show},
                                                {-1, ShowAction::Show}};
    for (const auto& [command, action] : cases)
        EXPECT_EQ(ShowActionOf(command), action) << command;
}

TEST(KeyMap, VirtualKeys) {
    const std::pair<int, UINT> cases[] = {
        {SDLK_a, 'A'},    {SDLK_z, 'Z'},     {SDLK_0, '0'}, {SDLK_9, '9'},     {SDLK_F1, 0x70},
        {SDLK_F12, 0x7B}, {SDLK_KP_0, 0x60}, {SDLK_F13, 0}, {SDLK_UNKNOWN, 0}, {-5, 0}};
    for (const auto& [key, vk] : cases)
        EXPECT_EQ(VirtualKeyFromSdl(key), vk) << key;
}

// Backend selection falls back to headless on a null result.
TEST(CreateSdlBackend, NullWithoutADisplay) {
    const char* saved = std::getenv("DISPLAY");
    const std::string display = saved ? saved : "";
    unsetenv("DISPLAY");
    setenv("SDL_VIDEODRIVER", "x11", 1);
    EXPECT_EQ(platform::CreateSdlBackend(), nullptr);
    // An SDL without a real desktop behind it is no desktop either.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    EXPECT_EQ(platform::CreateSdlBackend(), nullptr);
    unsetenv("SDL_VIDEODRIVER");
    if (saved)
        setenv("DISPLAY", display.c_str(), 1);
}

// What the desktop makes of styles, show commands, keys and texts; no display needed.
#include <gtest/gtest.h>

#include <SDL_keycode.h>

#include <cstdlib>
#include <string>

#include "platform/backend/sdl/desktop_style.h"
#include "platform/backend/sdl/sdl_backend.h"
#include "platform/backend/sdl/key_map.h"
#include "platform/system/utf.h"
#include "platform/win32/constants.h"

using namespace platform::sdl;
using platform::Utf16ToUtf8;

TEST(DesktopStyle, DialogFramesAndFullScreen) {
    const LONG dialog = 0x10CB08C8; // caption, system menu, minimise and maximise boxes
    DesktopStyle s = DesktopStyleOf(dialog);
    EXPECT_TRUE(s.bordered);
    EXPECT_FALSE(s.resizable);
    EXPECT_TRUE(s.maximizable);
    EXPECT_TRUE(s.minimizable);

    // Full screen clears both frame bits and keeps the thin WS_BORDER: no desktop frame.
    s = DesktopStyleOf(dialog & LONG(0xFFBBFFFF));
    EXPECT_FALSE(s.bordered);
    EXPECT_FALSE(s.resizable);

    // Back from full screen both bits are set: framed and resizable.
    s = DesktopStyleOf((dialog & LONG(0xFFBBFFFF)) | 0x00440000);
    EXPECT_TRUE(s.bordered);
    EXPECT_TRUE(s.resizable);

    s = DesktopStyleOf(WS_POPUP | WS_THICKFRAME);
    EXPECT_TRUE(s.bordered);
    EXPECT_TRUE(s.resizable);
    EXPECT_FALSE(s.maximizable);
}

TEST(ShowAction, Commands) {
    EXPECT_EQ(ShowActionOf(SW_HIDE), ShowAction::Hide);
    EXPECT_EQ(ShowActionOf(SW_SHOW), ShowAction::Show);
    EXPECT_EQ(ShowActionOf(SW_SHOWNORMAL), ShowAction::Restore);
    EXPECT_EQ(ShowActionOf(SW_RESTORE), ShowAction::Restore);
    EXPECT_EQ(ShowActionOf(SW_MAXIMIZE), ShowAction::Maximize);
    EXPECT_EQ(ShowActionOf(SW_SHOWMINIMIZED), ShowAction::Minimize);
    EXPECT_EQ(ShowActionOf(SW_MINIMIZE), ShowAction::Minimize);
    EXPECT_EQ(ShowActionOf(12345), ShowAction::Show);
    EXPECT_EQ(ShowActionOf(-1), ShowAction::Show);
}

TEST(KeyMap, VirtualKeys) {
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_ESCAPE), 0x1Bu);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RETURN), 0x0Du);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_ENTER), 0x0Du);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_a), UINT('A'));
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_z), UINT('Z'));
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_0), UINT('0'));
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_9), UINT('9'));
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F1), 0x70u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F4), UINT(VK_F4));
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F12), 0x7Bu);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_SPACE), UINT(VK_SPACE));
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_1), 0x61u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_0), 0x60u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F13), 0u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_UNKNOWN), 0u);
    EXPECT_EQ(VirtualKeyFromSdl(-5), 0u);
}

TEST(Utf8, FromUtf16) {
    EXPECT_EQ(Utf16ToUtf8(u"Vistrel v1.2.6"), "Vistrel v1.2.6");
    EXPECT_EQ(Utf16ToUtf8(u"关于 Velvora(&A)..."), "关于 Velvora(&A)...");
    EXPECT_EQ(Utf16ToUtf8(u"\u00e9"), "\xc3\xa9");
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xf0\x9f\x98\x80");
    // Lone surrogates, at the end or followed by something else, become U+FFFD.
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD83D))), "\xef\xbf\xbd");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xD83D), u'a'}), "\xef\xbf\xbd"
                                                                   "a");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDE00), char16_t(0xD83D)}),
              "\xef\xbf\xbd\xef\xbf\xbd");
    EXPECT_EQ(Utf16ToUtf8(u""), "");
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

// System services: the module path cut like Win32, and the ANSI code page.
#include <unistd.h>

#include <cstring>
#include <string>

#include "window_test_support.h"

namespace {

TEST(ModuleFileName, IsTheRunningExecutableCutLikeWin32) {
    char expected[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", expected, sizeof(expected) - 1), 0);
    char small[8];
    std::memset(small, 'x', sizeof(small));
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, 5), 5u);
    EXPECT_EQ(std::string(small), std::string(expected).substr(0, 4));
    EXPECT_EQ(small[5], 'x') << "nothing written past the given size";
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, 0), 0u);
}

// The two-call protocol counts the terminator; ANSI is Windows-1252 with '?' for the rest.
TEST(CodePages, AnsiIsWindows1252WithATerminatorAndADefaultCharacter) {
    const WCHAR text[] = u"€é中😀";
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr), 5);
    char out[16] = {}, tooSmall[4];
    BOOL usedDefault = FALSE;
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, -1, out, 16, nullptr, &usedDefault), 5);
    EXPECT_EQ(std::string(out), "\x80\xe9??");
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"USB#VID", -1, tooSmall, 4, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, nullptr, -1, out, 16, nullptr, nullptr), 0);

    WCHAR wide[8] = {};
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\x80\xe9\x81", -1, wide, 8), 4);
    EXPECT_EQ(std::u16string(wide), u"€é\u0081");
}

} // namespace

// System services: module path, code pages, threads, the application object.
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "window_test_support.h"

namespace {

TEST(ModuleFileName, IsTheRunningExecutableCutLikeWin32) {
    char expected[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", expected, sizeof(expected) - 1), 0);
    char path[261] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, 260);
    EXPECT_EQ(std::string(path), std::string(expected));
    EXPECT_EQ(n, std::string(expected).size());

    char small[8];
    std::memset(small, 'x', sizeof(small));
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, 5), 5u);
    EXPECT_EQ(std::string(small), std::string(expected).substr(0, 4));
    EXPECT_EQ(small[5], 'x') << "nothing written past the given size";
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, 0), 0u);
}

TEST(CodePages, TwoCallProtocolWithTerminator) {
    const WCHAR* name = u"\\\\?\\USB#VID_3188";
    const int needed = WideCharToMultiByte(CP_ACP, 0, name, -1, nullptr, 0, nullptr, nullptr);
    EXPECT_EQ(needed, 17) << "the length counts the terminating zero";
    std::string narrow(needed, 'x');
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, name, -1, narrow.data(), needed, nullptr, nullptr),
              17);
    EXPECT_EQ(narrow, std::string("\\\\?\\USB#VID_3188\0", 17));
    char tooSmall[4];
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, name, -1, tooSmall, 4, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, name, 3, tooSmall, 4, nullptr, nullptr), 3);
}

TEST(CodePages, AnsiIsWindows1252WithADefaultCharacter) {
    const WCHAR text[] = u"€é中😀";
    char out[16] = {};
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, out, 16, nullptr, &usedDefault);
    EXPECT_EQ(n, 5);
    EXPECT_EQ(std::string(out), "\x80\xe9??");
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u4e2d", 1, out, 16, "#", nullptr), 1);
    EXPECT_EQ(out[0], '#');

    WCHAR wide[8] = {};
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\x80\xe9\x81", 3, wide, 8), 3);
    EXPECT_EQ(std::u16string(wide), u"€é\u0081");
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, nullptr, -1, out, 16, nullptr, nullptr), 0);
}

DWORD WaitForGo(LPVOID parameter) {
    auto* go = static_cast<std::atomic<bool>*>(parameter);
    for (int i = 0; i < 5000 && !*go; ++i)
        Sleep(1);
    return 42;
}

TEST(Threads, HandlesReportExitAndMayBeClosedEarly) {
    std::atomic<bool> go{false};
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, WaitForGo, &go, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 259u) << "still active";
    EXPECT_EQ(WaitForSingleObject(thread, 1), (DWORD)WAIT_TIMEOUT);
    go = true;
    EXPECT_EQ(WaitForSingleObject(thread, 10000), (DWORD)WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_FALSE(CloseHandle(thread)) << "a closed handle is no longer valid";

    // Closing a running thread's handle leaves it running, detached.
    static std::atomic<bool> finished{false};
    static std::atomic<bool> release{false};
    HANDLE detached = CreateThread(
        nullptr, 0,
        [](LPVOID) -> DWORD {
            for (int i = 0; i < 5000 && !release; ++i)
                Sleep(1);
            finished = true;
            return 0;
        },
        nullptr, 0, nullptr);
    ASSERT_TRUE(CloseHandle(detached));
    release = true;
    for (int i = 0; i < 5000 && !finished; ++i)
        Sleep(1);
    EXPECT_TRUE(finished);
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
}

} // namespace

namespace {

class CountingApp : public CWinApp {
public:
    int initCalls = 0;
    bool onMainThread = false;
    BOOL InitInstance() override {
        ++initCalls;
        onMainThread = getpid() == gettid();
        CWinApp::InitInstance();
        return FALSE;
    }
    int ExitInstance() override { return 7; }
};

TEST(Application, AfxWinMainRunsInitInstanceOnceWithoutALoop) {
    CountingApp app;
    EXPECT_EQ(AfxWinMain(nullptr, nullptr, nullptr, SW_SHOWDEFAULT), 7);
    EXPECT_EQ(app.initCalls, 1);
    EXPECT_TRUE(app.onMainThread);
}

} // namespace

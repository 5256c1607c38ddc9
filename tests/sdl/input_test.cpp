// Close requests and wake-ups, from a real X server to the backend's events. Double-clicks and
// keys reach the viewer in tests/e2e.
#include <SDL.h>

#include <atomic>
#include <thread>

#include "tests/support/viewer_process.h"

#include "desktop_fixture.h" // last: Xlib's macros

// libdbus keeps a read buffer of SDL's session-bus connection to the end of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}

namespace sdltest {
namespace {

using Input = DesktopTest;

TEST_F(Input, CloseBoxAndQuitAskToClose) {
    const unsigned long w = open(4, Client(100, 100, 300, 200), "close");
    ASSERT_NE(w, 0u);
    testing_support::ViewerProcess::requestClose(std::to_string(w));
    EXPECT_TRUE(pumpUntil([&] { return !log.empty(); }));
    settle();
    // Only a request: the window stays, and the last window's close is no quit.
    EXPECT_EQ(log, Log{"close 4"});
    EXPECT_TRUE(mapped(w));

    ASSERT_NE(open(5, Client(400, 10, 100, 100), "five"), 0u);
    SDL_Event quit{SDL_QUIT};
    SDL_PushEvent(&quit);
    EXPECT_TRUE(pumpUntil([&] { return log.size() >= 2; }));
    EXPECT_EQ(log, (Log{"close 4", "close 5"}));
}

TEST_F(Input, OtherThreadsWakeTheWaitAndCallIn) {
    ASSERT_NE(open(1, Client(10, 10, 100, 100), "waiting"), 0u);
    // Bounds the test only: a lost wake-up would leave a wait below running for a minute.
    std::atomic<bool> stop{false}, watchdogFired{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 200 && !stop; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        watchdogFired = !stop;
    });
    for (int round = 0; round < 3; ++round) {
        std::thread waker([&] { backend->wake(); });
        backend->pumpEvents(events, 60000);
        waker.join();
    }
    stop = true;
    watchdog.join();
    EXPECT_FALSE(watchdogFired);

    // Calls from other threads run on the interface thread.
    const unsigned long w = findWindow("waiting");
    std::thread other([&] {
        backend->setGeometry(Hwnd(1), Client(30, 40, 150, 120));
        backend->setTitle(Hwnd(1), u"after");
    });
    other.join();
    EXPECT_TRUE(pumpUntil([&] { return findWindow("after") == w; }));
    EXPECT_EQ(geometry(w), (ScreenRect{30, 40, 150, 120}));
}

// The probe that found the display ran on another thread: SDL starts again on this one, which
// opens windows and is woken as before.
TEST_F(Input, ProbedOnAnotherThreadWorksOnTheInterfaceThread) {
    backend.reset();
    std::thread([&] { backend = platform::CreateSdlBackend(); }).join();
    ASSERT_TRUE(backend);
    const unsigned long w = open(2, Client(50, 60, 120, 90), "probed elsewhere");
    ASSERT_NE(w, 0u);
    EXPECT_TRUE(mapped(w));
    std::thread waker([&] { backend->wake(); });
    backend->pumpEvents(events, 20000);
    waker.join();
    EXPECT_TRUE(pumpUntil([&] { return mapped(w); }));
}

} // namespace
} // namespace sdltest

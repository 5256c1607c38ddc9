// Messages and tasks between threads.
#include <atomic>
#include <thread>

#include "platform/window/message_loop.h"
#include "window_test_support.h"

using namespace window_tests;

namespace {

constexpr UINT kAsk = WM_APP + 1;
constexpr UINT kAskBack = WM_APP + 2;

std::atomic<HWND> g_peer{nullptr};

size_t ThisThread() {
    return std::hash<std::thread::id>{}(std::this_thread::get_id());
}

// Answers kAsk with the id of the thread it runs on; kAskBack first sends to g_peer.
LRESULT Answering(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kAsk)
        return LRESULT(ThisThread() + wParam);
    if (message == kAskBack)
        return SendMessageW(g_peer.load(), kAsk, 1, 0);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND AnsweringWindow() {
    HWND hwnd = CreateWindowExW(0, u"Answering", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)Answering);
    return hwnd;
}

using ThreadTest = WindowTest;

// A send runs on the window's thread; two threads sending to each other do not deadlock; a
// window whose thread ended answers nothing.
TEST_F(ThreadTest, SendMessageRunsOnTheWindowsThread) {
    std::atomic<HWND> other{nullptr};
    std::atomic<size_t> otherId{0};
    std::atomic<bool> stop{false};
    std::thread loop([&] {
        HWND hwnd = AnsweringWindow();
        otherId = ThisThread();
        other = hwnd;
        while (!stop) {
            MSG msg;
            if (platform::window::NextMessage(msg, 20))
                DispatchMessageW(&msg);
        }
    }); // leaves its window behind
    while (!other)
        std::this_thread::yield();
    auto send = [](HWND hwnd, UINT message, WPARAM wParam) { // bounded: cannot hang the test
        DWORD_PTR result = 0;
        EXPECT_TRUE(SendMessageTimeoutW(hwnd, message, wParam, 0, SMTO_NORMAL, 20000, &result));
        return size_t(result);
    };
    EXPECT_EQ(send(other, kAsk, 5), otherId + 5);
    g_peer = AnsweringWindow();
    EXPECT_EQ(send(other, kAskBack, 0), ThisThread() + 1);
    stop = true;
    loop.join();
    EXPECT_EQ(SendMessageW(other, kAsk, 5, 0), 0);
    EXPECT_FALSE(DestroyWindow(other)) << "only its own thread may destroy a window";
    g_peer = nullptr;
}

TEST_F(ThreadTest, PostedMessagesAndTasksWakeTheLoop) {
    HWND hwnd = AnsweringWindow();
    std::thread poster([hwnd] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        PostMessageW(hwnd, WM_APP + 9, 1, 2);
    });
    MSG msg{};
    bool got = false;
    for (int i = 0; i < 100 && !got; ++i)
        got = platform::window::NextMessage(msg, 50) && msg.message == WM_APP + 9;
    poster.join();
    EXPECT_TRUE(got);
    EXPECT_EQ(msg.hwnd, hwnd);

    std::vector<int> order;
    platform::PostToUiThreadAfter(30, [&] { order.push_back(2); });
    std::thread([&] { platform::PostToUiThread([&] { order.push_back(1); }); }).join();
    ASSERT_TRUE(PumpUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

} // namespace

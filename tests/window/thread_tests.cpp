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

// Answers kAsk with the id of the thread it runs on; kAskBack first sends to g_peer.
LRESULT Answering(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kAsk)
        return (LRESULT)std::hash<std::thread::id>{}(std::this_thread::get_id()) + wParam;
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

// A thread with a window of its own and a message loop, until stopped.
class WindowThread {
public:
    WindowThread() {
        m_thread = std::thread([this] {
            m_hwnd = AnsweringWindow();
            m_id = std::hash<std::thread::id>{}(std::this_thread::get_id());
            m_ready = true;
            while (!m_stop) {
                MSG msg;
                if (platform::window::NextMessage(msg, 20))
                    DispatchMessageW(&msg);
            }
            DestroyWindow(m_hwnd);
        });
        while (!m_ready)
            std::this_thread::yield();
    }
    ~WindowThread() {
        m_stop = true;
        m_thread.join();
    }
    HWND hwnd() const { return m_hwnd; }
    size_t id() const { return m_id; }

private:
    std::thread m_thread;
    std::atomic<bool> m_ready{false}, m_stop{false};
    HWND m_hwnd = nullptr;
    size_t m_id = 0;
};

class ThreadTest : public WindowTest {};

TEST_F(ThreadTest, SendMessageRunsOnTheWindowsThread) {
    WindowThread other;
    EXPECT_EQ((size_t)SendMessageW(other.hwnd(), kAsk, 5, 0), other.id() + 5);
}

TEST_F(ThreadTest, TwoThreadsSendingToEachOtherDoNotDeadlock) {
    WindowThread other;
    HWND mine = AnsweringWindow();
    g_peer = mine;
    // The other thread, while answering, sends back to this thread, which is waiting on it.
    const size_t me = std::hash<std::thread::id>{}(std::this_thread::get_id());
    EXPECT_EQ((size_t)SendMessageW(other.hwnd(), kAskBack, 0, 0), me + 1);
    g_peer = nullptr;
}

TEST_F(ThreadTest, SendingToAWindowWhoseThreadEndedReturnsZero) {
    HWND orphan = nullptr;
    std::thread([&] { orphan = AnsweringWindow(); }).join();
    EXPECT_EQ(SendMessageW(orphan, kAsk, 5, 0), 0);
    EXPECT_FALSE(DestroyWindow(orphan)) << "only its own thread may destroy a window";
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

    std::atomic<int> ran{0};
    std::thread([&] { platform::PostToUiThread([&] { ran = 1; }); }).join();
    ASSERT_TRUE(PumpUntil([&] { return ran == 1; }));

    std::vector<int> order;
    platform::PostToUiThreadAfter(30, [&] { order.push_back(2); });
    platform::PostToUiThread([&] { order.push_back(1); });
    ASSERT_TRUE(PumpUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST_F(ThreadTest, QuitEndsGetMessage) {
    PostQuitMessage(3);
    MSG msg;
    EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.wParam, 3u);
}

} // namespace

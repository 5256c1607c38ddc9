// SendMessageW and PostMessageW.
#include <algorithm>
#include <chrono>

#include "platform/win32/api.h"
#include "platform/win32/constants.h"
#include "platform/window/thread_queue.h"
#include "platform/window/window_tree.h"

using namespace platform::window;

namespace {

// Sends and waits, up to `timeoutMs` when it is not negative; false when the time ran out.
bool Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, int timeoutMs, LRESULT& result) {
    result = 0;
    std::shared_ptr<ThreadQueue> owner;
    {
        std::lock_guard lock(TreeMutex());
        Window* w = FindLocked(hwnd);
        if (!w)
            return false;
        owner = w->owner;
    }
    auto me = CurrentThreadQueue();
    if (owner == me) {
        result = CallWindowProcOf(hwnd, message, wParam, lParam);
        return true;
    }

    auto sent = std::make_shared<SentMessage>(SentMessage{hwnd, message, wParam, lParam, me});
    {
        std::lock_guard lock(owner->mutex);
        if (!owner->alive)
            return false;
        owner->incoming.push_back(sent);
    }
    owner->notify();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    // While waiting, answer what others send to this thread, so two threads sending to each
    // other's windows never wait on each other for good.
    for (;;) {
        ServeIncomingSends(*me);
        std::unique_lock lock(me->mutex);
        if (sent->done) {
            result = sent->result;
            return true;
        }
        auto wait = std::chrono::milliseconds(100);
        if (timeoutMs >= 0) {
            auto left = deadline - std::chrono::steady_clock::now();
            if (left <= std::chrono::steady_clock::duration::zero())
                return false;
            wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(left));
        }
        me->cv.wait_for(lock, wait, [&] { return sent->done || !me->incoming.empty(); });
    }
}

} // namespace

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result;
    Send(hwnd, message, wParam, lParam, -1, result);
    return result;
}

LRESULT SendMessageTimeoutW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT,
                            UINT timeoutMs, DWORD_PTR* result) {
    LRESULT r;
    const bool done =
        Send(hwnd, message, wParam, lParam, (int)std::min<UINT>(timeoutMs, 0x7fffffff), r);
    if (result)
        *result = done ? (DWORD_PTR)r : 0;
    return done ? TRUE : FALSE;
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<ThreadQueue> owner;
    if (hwnd) {
        std::lock_guard lock(TreeMutex());
        Window* w = FindLocked(hwnd);
        if (!w)
            return FALSE;
        owner = w->owner;
    } else {
        owner = CurrentThreadQueue();
    }
    {
        std::lock_guard lock(owner->mutex);
        if (!owner->alive)
            return FALSE;
        MSG msg{hwnd, message, wParam, lParam, GetTickCount(), {0, 0}};
        owner->posted.push_back(msg);
    }
    owner->notify();
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    auto me = CurrentThreadQueue();
    {
        std::lock_guard lock(me->mutex);
        me->quitPosted = true;
        me->quitCode = exitCode;
    }
    me->notify();
}

// SendMessageW and PostMessageW.
#include <chrono>

#include "platform/win32/api.h"
#include "platform/win32/constants.h"
#include "platform/window/thread_queue.h"
#include "platform/window/window_tree.h"

using namespace platform::window;

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<ThreadQueue> owner;
    {
        std::lock_guard lock(TreeMutex());
        Window* w = FindLocked(hwnd);
        if (!w)
            return 0;
        owner = w->owner;
    }
    auto me = CurrentThreadQueue();
    if (owner == me)
        return CallWindowProcOf(hwnd, message, wParam, lParam);

    auto sent = std::make_shared<SentMessage>(SentMessage{hwnd, message, wParam, lParam, me});
    {
        std::lock_guard lock(owner->mutex);
        if (!owner->alive)
            return 0;
        owner->incoming.push_back(sent);
    }
    owner->notify();
    // While waiting, answer what others send to this thread, so two threads sending to each
    // other's windows never wait on each other for good.
    for (;;) {
        ServeIncomingSends(*me);
        std::unique_lock lock(me->mutex);
        if (sent->done)
            return sent->result;
        me->cv.wait_for(lock, std::chrono::milliseconds(100),
                        [&] { return sent->done || !me->incoming.empty(); });
        if (sent->done)
            return sent->result;
    }
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

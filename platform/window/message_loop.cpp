#include "platform/window/message_loop.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <vector>

#include "platform/backend/backend.h"
#include "platform/win32/api.h"
#include "platform/win32/constants.h"
#include "platform/window/desktop_events.h"
#include "platform/window/paint.h"
#include "platform/window/thread_queue.h"
#include "platform/window/ui_tasks.h"
#include "platform/window/window_tree.h"

namespace platform::window {
namespace {

using Clock = std::chrono::steady_clock;

std::atomic<PreTranslateHook> g_preTranslate{nullptr};

// Longest single wait, so that a lost wake-up costs at most this much.
constexpr int kMaxWaitMs = 250;

bool TakePosted(ThreadQueue& queue, MSG& msg, bool remove) {
    std::lock_guard lock(queue.mutex);
    if (!queue.posted.empty()) {
        msg = queue.posted.front();
        if (remove)
            queue.posted.pop_front();
        return true;
    }
    return false;
}

bool TakeQuit(ThreadQueue& queue, MSG& msg, bool remove) {
    std::lock_guard lock(queue.mutex);
    if (!queue.quitPosted)
        return false;
    msg = MSG{nullptr, WM_QUIT, (WPARAM)queue.quitCode, 0, GetTickCount(), {0, 0}};
    if (remove)
        queue.quitPosted = false;
    return true;
}

bool HasWork(ThreadQueue& queue) {
    return !queue.posted.empty() || !queue.incoming.empty() || queue.quitPosted;
}

} // namespace

void SetPreTranslateHook(PreTranslateHook hook) {
    g_preTranslate.store(hook);
}

void TranslateAndDispatch(MSG& msg) {
    if (PreTranslateHook hook = g_preTranslate.load(); hook && msg.hwnd && hook(&msg))
        return;
    DispatchMessageW(&msg);
}

void PresentChanged() {
    auto me = CurrentThreadQueue();
    std::vector<std::pair<HWND, std::shared_ptr<gdi::Surface>>> toPresent;
    {
        std::lock_guard lock(TreeMutex());
        for (HWND top : TopLevelLocked()) {
            Window* w = FindLocked(top);
            if (!w || w->owner != me || !w->surface || !(w->style & WS_VISIBLE) ||
                (w->style & WS_MINIMIZE))
                continue;
            const uint64_t version = w->surface->version();
            if (version == w->presentedVersion && !w->presentWanted)
                continue;
            w->presentedVersion = version;
            w->presentWanted = false;
            toPresent.emplace_back(top, w->surface);
        }
    }
    for (auto& [hwnd, surface] : toPresent)
        CurrentBackend().present(hwnd, *surface);
}

bool NextMessage(MSG& msg, int timeoutMs, bool remove) {
    auto me = CurrentThreadQueue();
    const bool mainThread = IsMainThread();
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    bool firstPass = true;
    for (;;) {
        if (mainThread)
            CurrentBackend().pumpEvents(DesktopEvents(), 0);
        ServeIncomingSends(*me);
        if (mainThread)
            RunDueTasks();
        ServeIncomingSends(*me);
        if (TakePosted(*me, msg, remove))
            return true;
        if (NextPaintMessage(*me, msg))
            return true;
        if (TakeQuit(*me, msg, remove))
            return true;
        PresentChanged();

        int wait = kMaxWaitMs;
        if (timeoutMs >= 0) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0 && !firstPass)
                return false;
            if (left.count() <= 0)
                wait = 0;
            else
                wait = std::min<int>(wait, (int)left.count());
        }
        firstPass = false;
        if (mainThread) {
            if (int task = MsUntilNextTask(); task >= 0)
                wait = std::min(wait, task);
            {
                std::lock_guard lock(me->mutex);
                if (HasWork(*me))
                    continue;
            }
            // Anything queued for this thread meanwhile wakes the backend.
            CurrentBackend().pumpEvents(DesktopEvents(), wait);
        } else {
            std::unique_lock lock(me->mutex);
            me->cv.wait_for(lock, std::chrono::milliseconds(wait), [&] { return HasWork(*me); });
        }
    }
}

} // namespace platform::window

using namespace platform::window;

BOOL GetMessageW(LPMSG msg, HWND, UINT, UINT) {
    if (!msg)
        return -1;
    while (!NextMessage(*msg, -1)) {
    }
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageW(LPMSG msg, HWND, UINT, UINT, UINT removeFlags) {
    if (!msg)
        return FALSE;
    return NextMessage(*msg, 0, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

LRESULT DispatchMessageW(const MSG* msg) {
    if (!msg || !msg->hwnd)
        return 0;
    return CallWindowProcOf(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

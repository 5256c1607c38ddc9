#include "platform/window/thread_queue.h"
#include "platform/window/ui_thread.h"

#include <atomic>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/backend/backend.h"
#include "platform/win32/constants.h"
#include "platform/window/window_tree.h"

namespace platform::window {
namespace {

// Ends a thread's queue with the thread: senders still waiting get 0.
struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue = std::make_shared<ThreadQueue>();
    QueueHolder() { queue->thread = std::this_thread::get_id(); }
    ~QueueHolder() {
        std::deque<std::shared_ptr<SentMessage>> pending;
        {
            std::lock_guard lock(queue->mutex);
            queue->alive = false;
            pending.swap(queue->incoming);
        }
        for (auto& sent : pending) {
            std::lock_guard lock(sent->sender->mutex);
            sent->done = true;
            sent->sender->cv.notify_all();
        }
    }
};

} // namespace

void ThreadQueue::notify() {
    cv.notify_all();
    CurrentBackend().wake();
}

std::shared_ptr<ThreadQueue> CurrentThreadQueue() {
    thread_local QueueHolder holder;
    return holder.queue;
}

namespace {
// The thread that runs tasks and desktop events: the process's main thread unless a test
// hands the role to a thread of its own.
std::atomic<pid_t> g_uiThread{0};
} // namespace

bool IsMainThread() {
    const pid_t ui = g_uiThread.load(std::memory_order_acquire);
    return static_cast<pid_t>(syscall(SYS_gettid)) == (ui ? ui : getpid());
}

} // namespace platform::window

void platform::MakeThisTheUiThread() {
    window::g_uiThread.store(static_cast<pid_t>(syscall(SYS_gettid)), std::memory_order_release);
}

namespace platform::window {

LRESULT CallWindowProcOf(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = nullptr;
    {
        std::lock_guard lock(TreeMutex());
        if (Window* w = FindLocked(hwnd))
            proc = w->proc;
    }
    return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

bool ServeIncomingSends(ThreadQueue& queue) {
    bool any = false;
    for (;;) {
        std::shared_ptr<SentMessage> sent;
        {
            std::lock_guard lock(queue.mutex);
            if (queue.incoming.empty())
                return any;
            sent = queue.incoming.front();
            queue.incoming.pop_front();
        }
        any = true;
        LRESULT result = CallWindowProcOf(sent->hwnd, sent->message, sent->wParam, sent->lParam);
        std::lock_guard lock(sent->sender->mutex);
        sent->result = result;
        sent->done = true;
        sent->sender->cv.notify_all();
    }
}

} // namespace platform::window

// Per-thread message queues: posted messages and messages sent from other threads. (Work for
// the user-interface thread has its own queue: platform/window/ui_thread.h.)
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/win32/types.h"

namespace platform::window {

struct ThreadQueue;

// A message sent from another thread, answered by the window's thread.
struct SentMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::shared_ptr<ThreadQueue> sender;
    LRESULT result = 0; // guarded by the sender's mutex
    bool done = false;  // guarded by the sender's mutex
};

struct ThreadQueue {
    std::mutex mutex;
    std::condition_variable cv;
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> incoming;
    bool alive = true;
    bool quitPosted = false;
    int quitCode = 0;
    std::thread::id thread;

    // Wakes the thread wherever it waits: on its queue or in the backend.
    void notify();
};

std::shared_ptr<ThreadQueue> CurrentThreadQueue();
bool IsMainThread();

// Calls the window's procedure on this thread; 0 for a window that is gone.
LRESULT CallWindowProcOf(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Answers the messages other threads sent to this thread's windows. Returns whether any.
bool ServeIncomingSends(ThreadQueue& queue);

} // namespace platform::window

#include "platform/window/ui_tasks.h"

#include <chrono>
#include <functional>
#include <map>
#include <mutex>

#include "platform/backend/backend.h"
#include "platform/win32/api.h"
#include "platform/win32/constants.h"
#include "platform/window/message_loop.h"
#include "platform/window/ui_thread.h"

namespace platform::window {
namespace {

using Clock = std::chrono::steady_clock;

struct Tasks {
    std::mutex mutex;
    // Ordered by due time, then by posting order.
    std::map<std::pair<Clock::time_point, uint64_t>, std::function<void()>> queue;
    uint64_t sequence = 0;
};

Tasks& TheTasks() {
    static Tasks* tasks = new Tasks;
    return *tasks;
}

} // namespace

bool RunDueTasks() {
    auto& tasks = TheTasks();
    bool any = false;
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(tasks.mutex);
            auto it = tasks.queue.begin();
            if (it == tasks.queue.end() || it->first.first > Clock::now())
                return any;
            task = std::move(it->second);
            tasks.queue.erase(it);
        }
        any = true;
        if (task)
            task();
    }
}

int MsUntilNextTask() {
    auto& tasks = TheTasks();
    std::lock_guard lock(tasks.mutex);
    if (tasks.queue.empty())
        return -1;
    auto wait = tasks.queue.begin()->first.first - Clock::now();
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
    return ms <= 0 ? 0 : (int)std::min<long long>(ms, 1 << 30);
}

} // namespace platform::window

namespace platform {

void PostToUiThread(std::function<void()> task) {
    PostToUiThreadAfter(0, std::move(task));
}

void PostToUiThreadAfter(int delayMs, std::function<void()> task) {
    auto& tasks = window::TheTasks();
    {
        std::lock_guard lock(tasks.mutex);
        auto due = window::Clock::now() + std::chrono::milliseconds(delayMs > 0 ? delayMs : 0);
        tasks.queue.emplace(std::make_pair(due, tasks.sequence++), std::move(task));
    }
    // The main thread waits in the backend.
    CurrentBackend().wake();
}

void PumpUiThread() {
    // Bounded, so that a window that keeps posting to itself cannot hang a test.
    for (int i = 0; i < 100000; ++i) {
        MSG msg;
        if (!window::NextMessage(msg, 0))
            break;
        if (msg.message == WM_QUIT) {
            PostQuitMessage((int)msg.wParam); // left for the loop that waits for it
            break;
        }
        window::TranslateAndDispatch(msg);
    }
    window::PresentChanged();
}

} // namespace platform

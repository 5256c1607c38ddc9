// Threads behind Win32 handles: CreateThread, WaitForSingleObject, GetExitCodeThread,
// CloseHandle. Closing the handle of a running thread lets it run on, detached.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "platform/win32/api.h"
#include "platform/win32/constants.h"

namespace {

constexpr DWORD kStillActive = 259;

struct ThreadState {
    std::mutex mutex;
    std::condition_variable finishedCv;
    bool finished = false;
    DWORD exitCode = kStillActive;
};

struct ThreadHandle {
    std::shared_ptr<ThreadState> state = std::make_shared<ThreadState>();
    std::thread thread;
};

std::mutex g_handlesMutex;
std::unordered_set<void*>& Handles() {
    static auto* handles = new std::unordered_set<void*>;
    return *handles;
}

std::atomic<DWORD> g_nextThreadId{1000};

std::shared_ptr<ThreadState> StateOf(HANDLE handle) {
    std::lock_guard lock(g_handlesMutex);
    if (!Handles().count(handle))
        return nullptr;
    return static_cast<ThreadHandle*>(handle)->state;
}

} // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, size_t, LPTHREAD_START_ROUTINE routine, LPVOID parameter,
                    DWORD, DWORD* threadId) {
    if (!routine)
        return nullptr;
    auto* handle = new ThreadHandle;
    try {
        handle->thread = std::thread([state = handle->state, routine, parameter] {
            const DWORD code = routine(parameter);
            std::lock_guard lock(state->mutex);
            state->exitCode = code;
            state->finished = true;
            state->finishedCv.notify_all();
        });
    } catch (const std::system_error&) {
        delete handle;
        return nullptr;
    }
    if (threadId)
        *threadId = g_nextThreadId++;
    std::lock_guard lock(g_handlesMutex);
    Handles().insert(handle);
    return handle;
}

BOOL CloseHandle(HANDLE handle) {
    ThreadHandle* thread = nullptr;
    {
        std::lock_guard lock(g_handlesMutex);
        if (!Handles().erase(handle))
            return FALSE;
        thread = static_cast<ThreadHandle*>(handle);
    }
    if (thread->thread.joinable())
        thread->thread.detach();
    delete thread;
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    auto state = StateOf(handle);
    if (!state)
        return 0xFFFFFFFF; // WAIT_FAILED
    std::unique_lock lock(state->mutex);
    auto done = [&] { return state->finished; };
    if (milliseconds == INFINITE)
        state->finishedCv.wait(lock, done);
    else if (!state->finishedCv.wait_for(lock, std::chrono::milliseconds(milliseconds), done))
        return WAIT_TIMEOUT;
    return WAIT_OBJECT_0;
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
    auto state = StateOf(thread);
    if (!state || !exitCode)
        return FALSE;
    std::lock_guard lock(state->mutex);
    *exitCode = state->exitCode;
    return TRUE;
}

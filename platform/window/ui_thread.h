// Work handed to the user-interface thread from any thread.
#pragma once

#include <functional>

namespace platform {

// Runs `task` on the thread that runs the message loop, between two messages. Tasks posted
// before a loop runs wait for it. Safe from any thread.
void PostToUiThread(std::function<void()> task);

// As PostToUiThread, but not before `delayMs` milliseconds have passed.
void PostToUiThreadAfter(int delayMs, std::function<void()> task);

// Runs posted tasks and dispatches queued messages of this thread until none is left (tests
// use it to let the user-interface thread settle without a modal loop).
void PumpUiThread();

// Makes the calling thread the one that runs tasks and desktop events (the main thread by
// default). For tests that run a dialog on a thread of their own; call it before the dialog
// is created.
void MakeThisTheUiThread();

} // namespace platform

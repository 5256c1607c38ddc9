// Tasks for the user-interface thread (see platform/window/ui_thread.h). The process's main
// thread is the user-interface thread: its message loops run them.
#pragma once

namespace platform::window {

// Runs the tasks that are due; returns whether any ran.
bool RunDueTasks();
// Milliseconds until the next task is due (0 when one is due), or -1 when none waits.
int MsUntilNextTask();

} // namespace platform::window

// The message loop's pieces, shared by PumpUiThread, GetMessageW and the framework's modal
// loop.
#pragma once

#include "platform/win32/types.h"

namespace platform::window {

// Waits up to `timeoutMs` (negative: without limit) for the next message of this thread.
// Meanwhile it answers messages sent from other threads, runs desktop events, runs due
// user-interface tasks (main thread) and presents changed surfaces. Posted messages come
// first, then WM_PAINT for windows needing it, then WM_QUIT once PostQuitMessage was called
// and nothing else is queued. Returns false when the time ran out.
bool NextMessage(MSG& msg, int timeoutMs, bool remove = true);

// The framework's pre-translation: returns TRUE when it consumed the message.
using PreTranslateHook = BOOL (*)(MSG* msg);
void SetPreTranslateHook(PreTranslateHook hook);

// Pre-translation, then dispatch to the window procedure.
void TranslateAndDispatch(MSG& msg);

// Shows the changed surfaces of this thread's top-level windows.
void PresentChanged();

} // namespace platform::window

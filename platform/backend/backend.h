// The desktop a top-level window lives on. One interface, one folder per backend: headless
// (surfaces only) and sdl (a real window on the user's desktop).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/gdi/surface.h"
#include "platform/win32/types.h"

namespace platform {

// What a backend reports back to the window manager; always called on the user-interface
// thread, from inside Backend::pumpEvents.
struct BackendEvents {
    std::function<void(HWND)> closeRequested;
    std::function<void(HWND, int clientWidth, int clientHeight)> resized; // by the user or WM
    std::function<void(HWND, int x, int y)> moved;                        // client origin
    std::function<void(HWND)> minimized;
    std::function<void(HWND)> maximized;
    std::function<void(HWND)> restored;
    std::function<void(HWND)> exposed;                     // the desktop lost the window's pixels
    std::function<void(HWND, int x, int y)> doubleClicked; // client coordinates
    std::function<void(HWND, int x, int y)> buttonDown;
    std::function<void(HWND, int x, int y)> buttonUp;
    std::function<void(HWND, UINT virtualKey, bool down)> key;
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual const char* name() const = 0;

    virtual SIZE screenSize() = 0;

    // Top-level windows. `clientScreen` is the client area in screen coordinates; `style` the
    // window's WS_* bits, which decide borders and resizability.
    virtual void createWindow(HWND hwnd, const RECT& clientScreen, LONG style,
                              const std::u16string& title) = 0;
    virtual void destroyWindow(HWND hwnd) = 0;
    virtual void setStyle(HWND hwnd, LONG style) = 0;
    virtual void setGeometry(HWND hwnd, const RECT& clientScreen) = 0;
    virtual void setTitle(HWND hwnd, const std::u16string& title) = 0;
    virtual void show(HWND hwnd, int showCommand) = 0; // SW_* values
    virtual void setIcon(HWND hwnd, const gdi::Surface& icon) = 0;

    // Shows the surface's pixels, taking what was drawn since the last present (the surface's
    // drawn box) as what changed; user-interface thread only.
    virtual void present(HWND hwnd, gdi::Surface& surface) = 0;

    // Waits up to `timeoutMs` for desktop events or wake(), then delivers what arrived.
    virtual void pumpEvents(const BackendEvents& events, int timeoutMs) = 0;
    // Any thread: makes a waiting pumpEvents return.
    virtual void wake() = 0;
};

// The backend in use: chosen at first use from VISTREL_BACKEND ("headless" or "sdl"); by
// default sdl where a display exists, else headless.
Backend& CurrentBackend();
// Tests install their own (or reset to the headless one) before creating windows.
void SetBackend(std::unique_ptr<Backend> backend);
std::unique_ptr<Backend> CreateHeadlessBackend(int screenWidth = 1920, int screenHeight = 1080);
// Null when SDL cannot open a display; `why` then gets SDL's reason.
std::unique_ptr<Backend> CreateSdlBackend(std::string* why = nullptr);

// Why the backend in use is not a desktop although none was asked to be headless: "cannot
// open the display \":0\" (SDL's reason)", or the words for no display named at all; "" when
// the backend in use is a desktop or was installed (SetBackend) or chosen headless on purpose.
// Chooses the backend when none is in use yet.
std::string DisplayProblem();

// Sets what the desktop's libraries read from the environment when they start, where the user
// has not set it; called by main() before any other thread runs (setenv is not thread-safe).
void PrepareDesktopEnvironment();

} // namespace platform

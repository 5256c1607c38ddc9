// A real SDL backend on the X display of the test run, and what the tests need to look at that
// display from the outside: window lookup, geometry, pixels and synthetic input (xdotool).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend/sdl/sdl_backend.h"

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include <X11/Xlib.h>

namespace sdltest {

struct ScreenRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const ScreenRect&) const = default;
};
std::ostream& operator<<(std::ostream& os, const ScreenRect& r);

inline HWND Hwnd(uintptr_t n) {
    return reinterpret_cast<HWND>(n);
}
inline RECT Client(int x, int y, int w, int h) {
    return {x, y, x + w, y + h};
}

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Pumps backend events until `done` holds; gives up after a few seconds so that a fault
    // fails the test instead of hanging it.
    bool pumpUntil(const std::function<bool()>& done);
    // Pumps for a short while so that a window that should not change has had the chance to.
    void settle();
    bool logged(const std::string& entry) const;
    int count(const std::string& entry) const;

    // The X window titled `title` (searching the whole tree), 0 if none.
    unsigned long findWindow(const std::string& title);
    // Client area of an X window in root coordinates.
    ScreenRect geometry(unsigned long xwindow);
    bool mapped(unsigned long xwindow);
    // 0x00RRGGBB of the screen (what is visible) at root coordinates.
    uint32_t screenPixel(int x, int y);
    // Runs xdotool with `args`; false if it failed.
    bool xdotool(const std::string& args);

    std::unique_ptr<platform::Backend> backend;
    platform::BackendEvents events;
    std::vector<std::string> log; // every event but exposed, which only counts
    int exposures = 0;
    Display* x = nullptr;
};

} // namespace sdltest

#include <chrono>
#include <cstdlib>
#include <ostream>
#include <thread>

#include "desktop_fixture.h"

#include <X11/Xutil.h>

// libdbus keeps a read buffer of SDL's session-bus connection to the end of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}

namespace sdltest {

std::ostream& operator<<(std::ostream& os, const ScreenRect& r) {
    return os << r.x << "," << r.y << " " << r.w << "x" << r.h;
}

void DesktopTest::SetUp() {
    if (!std::getenv("DISPLAY") || !(x = XOpenDisplay(nullptr)))
        GTEST_SKIP() << "no X display (run under scripts/with-display)";
    backend = platform::CreateSdlBackend();
    if (!backend)
        GTEST_SKIP() << "SDL cannot open the display";
    auto named = [this](const char* what) {
        return [this, what](HWND h) {
            log.push_back(std::string(what) + " " + std::to_string(uintptr_t(h)));
        };
    };
    events.closeRequested = named("close");
    events.minimized = named("minimized");
    events.maximized = named("maximized");
    events.restored = named("restored");
    events.exposed = [this](HWND) { ++exposures; };
    auto at = [this](const char* what) {
        return [this, what](HWND, int a, int b) {
            log.push_back(std::string(what) + " " + std::to_string(a) + "," + std::to_string(b));
        };
    };
    events.resized = at("resized");
    events.moved = at("moved");
    events.doubleClicked = at("dblclk");
    events.buttonDown = at("down");
    events.buttonUp = at("up");
    events.key = [this](HWND, UINT vk, bool down) {
        log.push_back("key " + std::to_string(vk) + (down ? " down" : " up"));
    };
}

void DesktopTest::TearDown() {
    backend.reset();
    if (x)
        XCloseDisplay(x);
}

bool DesktopTest::pumpUntil(const std::function<bool()>& done) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        backend->pumpEvents(events, 20);
    }
    return true;
}

void DesktopTest::settle() {
    for (int i = 0; i < 10; ++i)
        backend->pumpEvents(events, 20);
}

bool DesktopTest::logged(const std::string& entry) const {
    return count(entry) > 0;
}

int DesktopTest::count(const std::string& entry) const {
    int n = 0;
    for (const auto& e : log)
        n += e == entry;
    return n;
}

namespace {

unsigned long FindIn(Display* x, ::Window w, const std::string& title) {
    char* name = nullptr;
    if (XFetchName(x, w, &name) && name) {
        const bool match = title == name;
        XFree(name);
        if (match)
            return w;
    }
    ::Window root, parent, *children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(x, w, &root, &parent, &children, &n))
        return 0;
    unsigned long found = 0;
    for (unsigned int i = 0; i < n && !found; ++i)
        found = FindIn(x, children[i], title);
    if (children)
        XFree(children);
    return found;
}

} // namespace

unsigned long DesktopTest::findWindow(const std::string& title) {
    return FindIn(x, DefaultRootWindow(x), title);
}

ScreenRect DesktopTest::geometry(unsigned long xwindow) {
    ::Window root, child;
    int gx, gy;
    unsigned int w, h, border, depth;
    XGetGeometry(x, xwindow, &root, &gx, &gy, &w, &h, &border, &depth);
    int rx = 0, ry = 0;
    XTranslateCoordinates(x, xwindow, root, 0, 0, &rx, &ry, &child);
    return {rx, ry, int(w), int(h)};
}

bool DesktopTest::mapped(unsigned long xwindow) {
    XWindowAttributes a;
    return XGetWindowAttributes(x, xwindow, &a) && a.map_state == IsViewable;
}

uint32_t DesktopTest::screenPixel(int px, int py) {
    XImage* image = XGetImage(x, DefaultRootWindow(x), px, py, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return 0xFFFFFFFF;
    const uint32_t pixel = uint32_t(XGetPixel(image, 0, 0)) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
}

bool DesktopTest::xdotool(const std::string& args) {
    const std::string command = "timeout 10 xdotool " + args + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

} // namespace sdltest

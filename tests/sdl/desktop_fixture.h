// A real SDL backend on the test run's X display, and what the tests need to look at that
// display from the outside: window lookup, geometry, properties, pixels and xdotool input.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>

#include "platform/backend/sdl/sdl_backend.h"
#include "platform/win32/constants.h"

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace sdltest {

using ScreenRect = std::array<int, 4>; // x, y, width, height
using Log = std::vector<std::string>;

// The viewer's dialog: caption, system menu, minimise and maximise boxes.
const LONG kDialogStyle = 0x10CB08C8 & ~WS_VISIBLE;
const LONG kFrameBits = 0x00440000;

class DesktopTest : public ::testing::Test {
protected:
    static HWND Hwnd(uintptr_t n) { return reinterpret_cast<HWND>(n); }
    static RECT Client(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

    void SetUp() override {
        if (!std::getenv("DISPLAY") || !(x = XOpenDisplay(nullptr)))
            GTEST_SKIP() << "no X display (run under scripts/with-display)";
        if (!(backend = platform::CreateSdlBackend()))
            GTEST_SKIP() << "SDL cannot open the display";
        auto named = [this](std::string what) {
            return [this, what](HWND h) { log.push_back(what + std::to_string(uintptr_t(h))); };
        };
        auto at = [this](std::string what) {
            return [this, what](HWND, int a, int b) {
                log.push_back(what + std::to_string(a) + "," + std::to_string(b));
            };
        };
        events = {named("close "),
                  at("resized "),
                  at("moved "),
                  named("minimized "),
                  named("maximized "),
                  named("restored "),
                  [](HWND) {},
                  at("dblclk "),
                  at("down "),
                  at("up "),
                  [this](HWND, UINT vk, bool down) {
                      log.push_back("key " + std::to_string(vk) + (down ? " down" : " up"));
                  }};
    }
    void TearDown() override {
        backend.reset();
        if (x)
            XCloseDisplay(x);
    }

    // Creates and shows a window, lets it settle, clears the log; the X window or 0.
    unsigned long open(uintptr_t id, const RECT& client, const std::string& title,
                       LONG style = kDialogStyle) {
        backend->createWindow(Hwnd(id), client, style, std::u16string(title.begin(), title.end()));
        backend->show(Hwnd(id), SW_SHOW);
        settle();
        log.clear();
        return findWindow(title);
    }
    // Gives up after a few seconds: a fault fails the test instead of hanging it.
    bool pumpUntil(const std::function<bool()>& done) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done() && std::chrono::steady_clock::now() < giveUp)
            backend->pumpEvents(events, 20);
        return done();
    }
    void settle() {
        for (int i = 0; i < 10; ++i)
            backend->pumpEvents(events, 20);
    }
    int count(const std::string& entry) const {
        return int(std::count(log.begin(), log.end(), entry));
    }

    // Without a window manager every top-level window is a child of the root.
    unsigned long findWindow(const std::string& title) {
        ::Window root, parent, *children = nullptr, found = 0;
        unsigned int n = 0;
        XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &n);
        for (unsigned int i = 0; i < n && !found; ++i) {
            char* name = nullptr;
            if (XFetchName(x, children[i], &name) && name) {
                found = title == name ? children[i] : 0;
                XFree(name);
            }
        }
        XFree(children);
        return found;
    }
    ScreenRect geometry(unsigned long w) { // client area in root coordinates
        ::Window root, child;
        int gx, gy, rx = 0, ry = 0;
        unsigned int width = 0, height = 0, border, depth;
        XGetGeometry(x, w, &root, &gx, &gy, &width, &height, &border, &depth);
        XTranslateCoordinates(x, w, root, 0, 0, &rx, &ry, &child);
        return {rx, ry, int(width), int(height)};
    }
    bool mapped(unsigned long w) {
        XWindowAttributes a;
        return XGetWindowAttributes(x, w, &a) && a.map_state == IsViewable;
    }
    std::vector<long> property(unsigned long w, const char* name) { // format-32 items
        Atom type;
        int format = 0;
        unsigned long n = 0, after;
        unsigned char* data = nullptr;
        XGetWindowProperty(x, w, XInternAtom(x, name, 0), 0, 64, 0, AnyPropertyType, &type, &format,
                           &n, &after, &data);
        std::vector<long> items(format == 32 ? n : 0);
        std::copy_n(reinterpret_cast<long*>(data), items.size(), items.begin());
        XFree(data);
        return items;
    }
    uint32_t screenPixel(int px, int py) { // 0x00RRGGBB
        XImage* image = XGetImage(x, DefaultRootWindow(x), px, py, 1, 1, AllPlanes, ZPixmap);
        const uint32_t pixel = image ? uint32_t(XGetPixel(image, 0, 0)) & 0xFFFFFF : 0xFFFFFFFF;
        if (image)
            XDestroyImage(image);
        return pixel;
    }
    bool xdotool(const std::string& args) {
        return std::system(("timeout 10 xdotool " + args + " >/dev/null 2>&1").c_str()) == 0;
    }

    std::unique_ptr<platform::Backend> backend;
    platform::BackendEvents events;
    Log log; // every event but exposed
    Display* x = nullptr;
};

} // namespace sdltest

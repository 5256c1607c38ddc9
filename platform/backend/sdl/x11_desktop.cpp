#include "platform/backend/sdl/x11_desktop.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <string>

namespace platform::sdl {

namespace {

bool X11Of(SDL_Window* window, Display** display, ::Window* xwindow) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    *display = info.info.x11.display;
    *xwindow = info.info.x11.window;
    return *display != nullptr;
}

} // namespace

bool HasWindowManager(SDL_Window* window) {
    Display* display = nullptr;
    ::Window xwindow = 0;
    if (!X11Of(window, &display, &xwindow))
        return true;
    // ICCCM managers own WM_Sn; EWMH ones also point _NET_SUPPORTING_WM_CHECK at a window.
    const std::string selection = "WM_S" + std::to_string(DefaultScreen(display));
    const Atom wmSelection = XInternAtom(display, selection.c_str(), False);
    if (XGetSelectionOwner(display, wmSelection) != None)
        return true;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None)
        return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                          XA_WINDOW, &type, &format, &count, &after, &data);
    const bool found = status == Success && type == XA_WINDOW && count == 1;
    if (data)
        XFree(data);
    return found;
}

void SetFrameFunctions(SDL_Window* window, bool bordered, bool resize, bool minimize,
                       bool maximize) {
    Display* display = nullptr;
    ::Window xwindow = 0;
    if (!X11Of(window, &display, &xwindow))
        return;
    // The Motif window manager hints: flags, functions, decorations, input mode, status.
    constexpr long HintFunctions = 1, HintDecorations = 2, DecorAll = 1;
    constexpr long FuncResize = 2, FuncMove = 4, FuncMinimize = 8, FuncMaximize = 16,
                   FuncClose = 32;
    long hints[5] = {HintFunctions | HintDecorations, FuncMove | FuncClose, bordered ? DecorAll : 0,
                     0, 0};
    if (resize)
        hints[1] |= FuncResize;
    if (minimize)
        hints[1] |= FuncMinimize;
    if (maximize)
        hints[1] |= FuncMaximize;
    const Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(display, xwindow, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(hints), 5);
    XFlush(display);
}

} // namespace platform::sdl

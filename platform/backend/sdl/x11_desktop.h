// What SDL does not tell about an X11 desktop. Windows of other video drivers get the answers
// a desktop with a window manager would give.
#pragma once

struct SDL_Window;

namespace platform::sdl {

// False when nobody manages windows (a bare X server such as Xvfb): then nothing maximises,
// minimises or decorates a window but the program itself.
bool HasWindowManager(SDL_Window* window);

// Tells the window manager which frame functions to offer; `resize` covers dragging the frame
// only, so a window can be maximisable and still keep its size otherwise. Call after every
// SDL_SetWindowBordered, which rewrites the same hints.
void SetFrameFunctions(SDL_Window* window, bool bordered, bool resize, bool minimize,
                       bool maximize);

} // namespace platform::sdl

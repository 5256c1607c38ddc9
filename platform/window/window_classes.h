// The window classes the process knows, and their window procedures.
#pragma once

#include <string>

#include "platform/win32/api.h"
#include "platform/window/window_tree.h"

namespace platform::window {

WindowKind KindOfClass(const std::u16string& className);
WNDPROC ClassProc(WindowKind kind);

LRESULT DialogClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT StaticClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ListBoxClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The colour a class erases its background with (dialogs: the 3-D face colour).
constexpr COLORREF kDialogFaceColour = RGB(240, 240, 240);
constexpr COLORREF kWindowColour = RGB(255, 255, 255);

// Fills the window's client rectangle `rect` (null: all of it) straight into its surface.
void FillClient(HWND hwnd, const RECT* rect, COLORREF colour);
// Draws a 1-pixel outline along the client edge, or the window edge with `nonClient`.
void FrameWindowEdge(HWND hwnd, COLORREF colour, bool nonClient);

} // namespace platform::window

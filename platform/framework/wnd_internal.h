// The framework's window plumbing shared by its source files.
#pragma once

#include "platform/afxwin.h"

namespace platform::framework {

// The window procedure of every window a CWnd is attached to.
LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Calls PreTranslateMessage on the CWnd of the message's window, then on its parents';
// TRUE when one of them consumed the message.
BOOL WalkPreTranslateTree(MSG* msg);

// Makes the message loops call WalkPreTranslateTree, and drops temporary wrappers with their
// windows.
void ConnectFramework();

} // namespace platform::framework

LRESULT AfxCallWndProc(CWnd* wnd, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The Win32 functions the system calls: windows and messages, GDI, system services.
#pragma once

#include "platform/win32/constants.h"
#include "platform/win32/structs.h"
#include "platform/win32/types.h"

#define WINAPI
#define CALLBACK

typedef LRESULT (*WNDPROC)(HWND, UINT, WPARAM, LPARAM);

// Windows and messages (platform/window)
LONG GetWindowLongW(HWND hwnd, int index);
LONG SetWindowLongW(HWND hwnd, int index, LONG value);
BOOL GetWindowRect(HWND hwnd, LPRECT rect);
BOOL GetClientRect(HWND hwnd, LPRECT rect);
BOOL ScreenToClient(HWND hwnd, LPPOINT point);
BOOL ClientToScreen(HWND hwnd, LPPOINT point);
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND hwnd);
HWND GetParent(HWND hwnd);
BOOL IsWindow(HWND hwnd);
BOOL IsWindowVisible(HWND hwnd);
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL ShowWindow(HWND hwnd, int command);
BOOL DestroyWindow(HWND hwnd);
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL UpdateWindow(HWND hwnd);
BOOL SetWindowTextW(HWND hwnd, LPCWSTR text);
int GetWindowTextW(HWND hwnd, LPWSTR buffer, int size);
LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// As SendMessageW, giving up after `timeoutMs`; FALSE then (and for an invalid window).
LRESULT SendMessageTimeoutW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                            UINT timeoutMs, DWORD_PTR* result);
BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Classes known by name: "#32770" (dialog), "Static", "ListBox"; any other name gets
// DefWindowProcW. Menus are not supported: for a child, `menu` is its id.
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param);
LONG_PTR GetWindowLongPtrW(HWND hwnd, int index);
LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value);
LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL IsChild(HWND parent, HWND hwnd);
// Message filters (window, range) are not supported: every message of the thread qualifies.
BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
LRESULT DispatchMessageW(const MSG* msg);
void PostQuitMessage(int exitCode);
// Timers of windows on the user-interface thread: WM_TIMER with `id` is posted to `hwnd` every
// `elapseMs` until KillTimer or the window's end. A timer procedure is not supported (only
// nullptr); setting an id again restarts it with the new period.
typedef void (*TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);
typedef BOOL (*WNDENUMPROC)(HWND, LPARAM);
// Top-level windows of the process, in creation order.
BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam);
int GetSystemMetrics(int index);
HMENU GetSystemMenu(HWND hwnd, BOOL revert);
BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR id, LPCWSTR text);
int GetMenuItemCount(HMENU menu);
UINT GetMenuItemID(HMENU menu, int position);
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
int GetMenuStringW(HMENU menu, UINT item, LPWSTR buffer, int size, UINT flags);
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int size);
HINSTANCE GetModuleHandleW(LPCWSTR name);
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);

// GDI (platform/gdi)
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC dc);
HWND WindowFromDC(HDC dc);
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
int GetObjectW(HGDIOBJ object, int size, LPVOID out);
COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage,
                  DWORD rop);
int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                      UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info,
                      UINT usage);
COLORREF SetBkColor(HDC dc, COLORREF colour);
// Only the ETO_OPAQUE fill of the rectangle is drawn; text is not rendered.
BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                 const INT* dx);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);
BOOL DestroyIcon(HICON icon);

// System services (platform/system)
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
void Sleep(DWORD milliseconds);
DWORD GetTickCount();
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, size_t stackSize,
                    LPTHREAD_START_ROUTINE routine, LPVOID parameter, DWORD flags, DWORD* threadId);
BOOL CloseHandle(HANDLE handle);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR narrow,
                        int narrowSize, LPCSTR defaultChar, BOOL* usedDefault);
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR narrow, int narrowLength, LPWSTR wide,
                        int wideSize);

// Device and power notifications (platform/notify)
HDEVNOTIFY RegisterDeviceNotificationW(HANDLE recipient, LPVOID filter, DWORD flags);
BOOL UnregisterDeviceNotification(HDEVNOTIFY handle);

// Ends the process at once with the given exit code, flushing standard output first. Only the
// first call ends it; a call from another thread at the same time waits for the end.
void ExitProcess(UINT exitCode);

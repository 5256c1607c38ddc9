// Shared fixture of the window tests: a fresh headless desktop per test, and no window left
// behind.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "platform/afxwin.h"
#include "platform/backend/headless/headless_backend.h"
#include "platform/window/ui_thread.h"
#include "tests/support/rect_print.h"

namespace window_tests {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto backend = std::make_unique<platform::HeadlessBackend>(kScreenWidth, kScreenHeight);
        m_backend = backend.get();
        platform::SetBackend(std::move(backend));
    }

    void TearDown() override {
        std::vector<HWND> windows;
        EnumWindows(
            [](HWND hwnd, LPARAM list) -> BOOL {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
                return TRUE;
            },
            (LPARAM)&windows);
        for (HWND hwnd : windows)
            DestroyWindow(hwnd);
        platform::PumpUiThread();
    }

    platform::HeadlessBackend& backend() { return *m_backend; }

    // A visible top-level window of the generic class, with its window rectangle.
    static HWND TopLevel(LONG style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                         RECT rect = {100, 100, 500, 400}) {
        return CreateWindowExW(0, u"TestWindow", u"test", style, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                               nullptr, nullptr);
    }

    static HWND Child(HWND parent, LPCWSTR className, int id, LONG style, RECT rect) {
        return CreateWindowExW(0, className, u"", style | WS_CHILD, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, parent,
                               reinterpret_cast<HMENU>((intptr_t)id), nullptr, nullptr);
    }

private:
    platform::HeadlessBackend* m_backend = nullptr;
};

// Runs the message loop of this thread until `done` holds, for at most `timeoutMs`.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 20000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > (DWORD)timeoutMs)
            return false;
        platform::PumpUiThread();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

inline RECT WindowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

inline RECT ClientRect(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return r;
}

} // namespace window_tests

// The list box is subclassed: its window procedure is replaced by one that notes the string
// and then hands the message on.
#include "platform/scenario/list_box_times.h"

#include <chrono>
#include <cstdio>
#include <mutex>

#include "platform/system/utf.h"
#include "platform/windows.h"

namespace platform::scenario {

namespace {

struct Watch {
    std::mutex mutex;
    HWND listBox = nullptr;
    WNDPROC previous = nullptr;
    FILE* file = nullptr;
};

Watch& CurrentWatch() {
    static Watch watch;
    return watch;
}

LRESULT TimingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Watch& watch = CurrentWatch();
    WNDPROC previous;
    {
        std::lock_guard lock(watch.mutex);
        previous = watch.previous;
        if (message == LB_ADDSTRING && hwnd == watch.listBox && watch.file && lParam) {
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
                    .count();
            const std::string text = Utf16ToUtf8(reinterpret_cast<LPCWSTR>(lParam));
            std::fprintf(watch.file, "%.6f %s\n", seconds, text.c_str());
            std::fflush(watch.file);
        }
    }
    return CallWindowProcW(previous, hwnd, message, wParam, lParam);
}

} // namespace

bool TimeListBoxAdditions(HWND listBox, const std::string& path, std::string& error) {
    if (!IsWindow(listBox)) {
        error = "no such list box";
        return false;
    }
    Watch& watch = CurrentWatch();
    std::lock_guard lock(watch.mutex);
    if (watch.listBox) {
        error = "already timing a list box";
        return false;
    }
    watch.file = std::fopen(path.c_str(), "w");
    if (!watch.file) {
        error = "cannot write " + path;
        return false;
    }
    watch.listBox = listBox;
    watch.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(listBox, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TimingProc)));
    return true;
}

} // namespace platform::scenario

#include <fstream>

#include <opencv2/imgproc.hpp>

#include "platform/cvshim/picture_codecs.h"
#include "platform/gdi/target.h"
#include "platform/scenario/window_snapshot.h"
#include "platform/windows.h"

namespace platform::scenario {

cv::Mat WindowPixels(HWND window) {
    cv::Mat pixels;
    HDC dc = GetDC(window);
    if (!dc)
        return pixels;
    RECT clip{0, 0, 0, 0};
    if (auto surface = gdi::SurfaceOfDC(dc, &clip)) {
        std::lock_guard<std::mutex> lock(surface->mutex());
        clip.left = std::max<LONG>(clip.left, 0);
        clip.top = std::max<LONG>(clip.top, 0);
        clip.right = std::min<LONG>(clip.right, surface->width());
        clip.bottom = std::min<LONG>(clip.bottom, surface->height());
        if (clip.right > clip.left && clip.bottom > clip.top) {
            pixels.create(clip.bottom - clip.top, clip.right - clip.left, CV_8UC3);
            for (int y = clip.top; y < clip.bottom; ++y) {
                const cv::Mat row(1, clip.right - clip.left, CV_8UC4,
                                  const_cast<uint32_t*>(surface->row(y) + clip.left));
                cv::cvtColor(row, pixels.row(y - clip.top), cv::COLOR_BGRA2BGR);
            }
        }
    }
    ReleaseDC(window, dc);
    return pixels;
}

bool SaveWindowSnapshot(HWND window, const std::string& path, std::string& error) {
    const cv::Mat pixels = WindowPixels(window);
    if (pixels.empty()) {
        error = "the window has no pixels to save";
        return false;
    }
    if (WritePngFile(path, pixels))
        return true;
    error = "cannot write " + path;
    return false;
}

std::vector<std::string> ListBoxText(HWND listBox) {
    std::vector<std::string> entries;
    const LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(listBox, LB_GETTEXTLEN, i, 0);
        if (length < 0)
            continue;
        std::u16string text(static_cast<size_t>(length) + 1, u'\0');
        SendMessageW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        const int size =
            WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string narrow(size > 0 ? static_cast<size_t>(size) : 1, '\0');
        if (size > 0)
            WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, narrow.data(), size, nullptr,
                                nullptr);
        narrow.resize(narrow.size() - 1);
        entries.push_back(narrow);
    }
    return entries;
}

bool SaveListBoxText(HWND listBox, const std::string& path, std::string& error) {
    if (!IsWindow(listBox)) {
        error = "no such list box";
        return false;
    }
    std::ofstream file(path);
    for (const std::string& entry : ListBoxText(listBox))
        file << entry << '\n';
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

} // namespace platform::scenario

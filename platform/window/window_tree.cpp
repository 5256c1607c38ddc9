#include "platform/window/window_tree.h"

#include <algorithm>
#include <unordered_map>

#include "platform/win32/constants.h"

namespace platform::window {
namespace {

struct Tree {
    std::unordered_map<HWND, std::unique_ptr<Window>> windows;
    std::vector<HWND> topLevel;
    uintptr_t nextHandle = 0x10000;
};

Tree& TheTree() {
    static Tree* tree = new Tree; // lives to the end of the process, past static destructors
    return *tree;
}

std::mutex g_listenerMutex;
std::vector<std::function<void(HWND)>>& Listeners() {
    static auto* listeners = new std::vector<std::function<void(HWND)>>;
    return *listeners;
}

} // namespace

std::mutex& TreeMutex() {
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}

Window* FindLocked(HWND hwnd) {
    auto& tree = TheTree();
    auto it = tree.windows.find(hwnd);
    return it == tree.windows.end() ? nullptr : it->second.get();
}

const std::vector<HWND>& TopLevelLocked() {
    return TheTree().topLevel;
}

HWND AddWindowLocked(std::unique_ptr<Window> window) {
    auto& tree = TheTree();
    // Handles are never reused, so a stale handle stays invalid for good.
    HWND hwnd = reinterpret_cast<HWND>(tree.nextHandle);
    tree.nextHandle += 4;
    window->handle = hwnd;
    if (window->parent) {
        if (Window* parent = FindLocked(window->parent))
            parent->children.push_back(hwnd); // a new child goes below its older siblings
    } else {
        tree.topLevel.push_back(hwnd);
    }
    tree.windows.emplace(hwnd, std::move(window));
    return hwnd;
}

void RemoveWindowLocked(HWND hwnd) {
    auto& tree = TheTree();
    Window* w = FindLocked(hwnd);
    if (!w)
        return;
    if (Window* parent = FindLocked(w->parent)) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
    }
    tree.topLevel.erase(std::remove(tree.topLevel.begin(), tree.topLevel.end(), hwnd),
                        tree.topLevel.end());
    tree.windows.erase(hwnd);
}

SIZE ClientSizeLocked(const Window& w) {
    if (w.style & WS_MINIMIZE)
        return {0, 0};
    const LONG width = (w.rect.right - w.rect.left) - w.nonClient.left - w.nonClient.right;
    const LONG height = (w.rect.bottom - w.rect.top) - w.nonClient.top - w.nonClient.bottom;
    return {std::max<LONG>(width, 0), std::max<LONG>(height, 0)};
}

POINT ClientOriginOnScreenLocked(const Window& w) {
    RECT r = WindowRectOnScreenLocked(w);
    return {r.left + w.nonClient.left, r.top + w.nonClient.top};
}

RECT ClientRectOnScreenLocked(const Window& w) {
    POINT o = ClientOriginOnScreenLocked(w);
    SIZE s = ClientSizeLocked(w);
    return {o.x, o.y, o.x + s.cx, o.y + s.cy};
}

RECT WindowRectOnScreenLocked(const Window& w) {
    RECT r = w.rect;
    if (const Window* parent = FindLocked(w.parent)) {
        POINT origin = ClientOriginOnScreenLocked(*parent);
        r.left += origin.x;
        r.right += origin.x;
        r.top += origin.y;
        r.bottom += origin.y;
    }
    return r;
}

bool IsVisibleLocked(const Window& w) {
    for (const Window* p = &w; p; p = FindLocked(p->parent))
        if (!(p->style & WS_VISIBLE))
            return false;
    return true;
}

Window* TopLevelOfLocked(Window* w) {
    while (w && w->parent) {
        Window* parent = FindLocked(w->parent);
        if (!parent)
            return nullptr;
        w = parent;
    }
    return w;
}

void AddDestroyListener(std::function<void(HWND)> listener) {
    std::lock_guard lock(g_listenerMutex);
    Listeners().push_back(std::move(listener));
}

void NotifyDestroyed(HWND hwnd) {
    std::vector<std::function<void(HWND)>> listeners;
    {
        std::lock_guard lock(g_listenerMutex);
        listeners = Listeners();
    }
    for (auto& listener : listeners)
        listener(hwnd);
}

} // namespace platform::window

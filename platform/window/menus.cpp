#include "platform/window/menus.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/win32/api.h"
#include "platform/win32/constants.h"
#include "platform/window/window_tree.h"

namespace platform::window {
namespace {

struct MenuItem {
    UINT flags;
    UINT_PTR id;
    std::u16string text;
};

struct Menus {
    std::mutex mutex;
    std::unordered_map<HMENU, std::vector<MenuItem>> items;
    uintptr_t next = 0x20000;
};

Menus& TheMenus() {
    static Menus* menus = new Menus;
    return *menus;
}

// The items every system menu starts with.
std::vector<MenuItem> DefaultSystemMenu() {
    return {{MF_STRING, SC_RESTORE, u"&Restore"},    {MF_STRING, SC_MOVE, u"&Move"},
            {MF_STRING, SC_SIZE, u"&Size"},          {MF_STRING, SC_MINIMIZE, u"Mi&nimize"},
            {MF_STRING, SC_MAXIMIZE, u"Ma&ximize"},  {MF_SEPARATOR, 0, u""},
            {MF_STRING, SC_CLOSE, u"&Close\tAlt+F4"}};
}

HMENU NewMenuLocked(Menus& menus, std::vector<MenuItem> items) {
    HMENU menu = reinterpret_cast<HMENU>(menus.next);
    menus.next += 4;
    menus.items.emplace(menu, std::move(items));
    return menu;
}

// The item of `menu` named by position or by command id; null when there is none.
MenuItem* ItemLocked(Menus& menus, HMENU menu, UINT item, UINT flags) {
    auto it = menus.items.find(menu);
    if (it == menus.items.end())
        return nullptr;
    auto& list = it->second;
    if (flags & MF_BYPOSITION)
        return item < list.size() ? &list[item] : nullptr;
    for (auto& entry : list)
        if (!(entry.flags & MF_SEPARATOR) && entry.id == item)
            return &entry;
    return nullptr;
}

} // namespace

void DestroyMenuHandle(HMENU menu) {
    if (!menu)
        return;
    auto& menus = TheMenus();
    std::lock_guard lock(menus.mutex);
    menus.items.erase(menu);
}

} // namespace platform::window

using namespace platform::window;

HMENU GetSystemMenu(HWND hwnd, BOOL revert) {
    auto& menus = TheMenus();
    std::lock_guard treeLock(TreeMutex());
    Window* w = FindLocked(hwnd);
    if (!w || !(w->style & WS_SYSMENU))
        return nullptr;
    std::lock_guard lock(menus.mutex);
    if (revert) {
        // Back to the default items; Win32 returns null here.
        if (w->systemMenu)
            menus.items[w->systemMenu] = DefaultSystemMenu();
        return nullptr;
    }
    if (!w->systemMenu)
        w->systemMenu = NewMenuLocked(menus, DefaultSystemMenu());
    return w->systemMenu;
}

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR id, LPCWSTR text) {
    auto& menus = TheMenus();
    std::lock_guard lock(menus.mutex);
    auto it = menus.items.find(menu);
    if (it == menus.items.end())
        return FALSE;
    const bool separator = (flags & MF_SEPARATOR) != 0;
    it->second.push_back({flags, separator ? 0 : id, separator || !text ? u"" : text});
    return TRUE;
}

int GetMenuItemCount(HMENU menu) {
    auto& menus = TheMenus();
    std::lock_guard lock(menus.mutex);
    auto it = menus.items.find(menu);
    return it == menus.items.end() ? -1 : (int)it->second.size();
}

UINT GetMenuItemID(HMENU menu, int position) {
    auto& menus = TheMenus();
    std::lock_guard lock(menus.mutex);
    if (position < 0)
        return (UINT)-1;
    MenuItem* item = ItemLocked(menus, menu, (UINT)position, MF_BYPOSITION);
    if (!item)
        return (UINT)-1;
    return (item->flags & MF_SEPARATOR) ? 0 : (UINT)item->id;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
    auto& menus = TheMenus();
    std::lock_guard lock(menus.mutex);
    MenuItem* entry = ItemLocked(menus, menu, item, flags);
    return entry ? (entry->flags & ~(UINT)MF_BYPOSITION) : (UINT)-1;
}

int GetMenuStringW(HMENU menu, UINT item, LPWSTR buffer, int size, UINT flags) {
    auto& menus = TheMenus();
    std::lock_guard lock(menus.mutex);
    MenuItem* entry = ItemLocked(menus, menu, item, flags);
    if (!entry)
        return 0;
    const int length = (int)entry->text.size();
    if (!buffer || size <= 0)
        return length;
    const int n = std::min(length, size - 1);
    std::copy(entry->text.begin(), entry->text.begin() + n, buffer);
    buffer[n] = 0;
    return n;
}

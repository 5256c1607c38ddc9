// CListBox and CMenu.
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/afxwin.h"

int CListBox::AddString(LPCWSTR text) {
    return (int)SendMessage(LB_ADDSTRING, 0, (LPARAM)text);
}
int CListBox::GetCount() const {
    return (int)::SendMessageW(m_hWnd, LB_GETCOUNT, 0, 0);
}

int CListBox::GetText(int index, CString& text) const {
    const int length = (int)::SendMessageW(m_hWnd, LB_GETTEXTLEN, (WPARAM)index, 0);
    if (length < 0)
        return LB_ERR;
    std::vector<WCHAR> buffer((size_t)length + 1, 0);
    const int copied =
        (int)::SendMessageW(m_hWnd, LB_GETTEXT, (WPARAM)index, (LPARAM)buffer.data());
    if (copied < 0)
        return LB_ERR;
    text = CString(buffer.data());
    return copied;
}

int CListBox::ResetContent() {
    return (int)SendMessage(LB_RESETCONTENT, 0, 0);
}

CMenu* CMenu::FromHandle(HMENU menu) {
    if (!menu)
        return nullptr;
    // Menu handles are never reused, so one wrapper per handle serves for good.
    static std::mutex mutex;
    static auto* wrappers = new std::map<HMENU, std::unique_ptr<CMenu>>;
    std::lock_guard lock(mutex);
    auto& slot = (*wrappers)[menu];
    if (!slot) {
        slot = std::make_unique<CMenu>();
        slot->m_hMenu = menu;
    }
    return slot.get();
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCWSTR text) {
    return ::AppendMenuW(m_hMenu, flags, id, text);
}

int CMenu::GetMenuItemCount() const {
    return ::GetMenuItemCount(m_hMenu);
}
UINT CMenu::GetMenuItemID(int position) const {
    return ::GetMenuItemID(m_hMenu, position);
}

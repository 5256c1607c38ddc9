// Message-map lookup: the class's own map first, then its base classes' maps.
#include "platform/afxwin.h"

namespace {

bool Matches(const AFX_MSGMAP_ENTRY& e, UINT message, WPARAM wParam) {
    if (e.nMessage != message)
        return false;
    if (message != WM_COMMAND)
        return true;
    const UINT code = HIWORD(wParam), id = LOWORD(wParam);
    return e.nCode == code && id >= e.nID && id <= e.nLastID;
}

} // namespace

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

BOOL CCmdTarget::OnCmdMsgMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->pfnThunk; ++e) {
            if (!Matches(*e, message, wParam))
                continue;
            LRESULT r = e->pfnThunk(this, wParam, lParam);
            if (result)
                *result = r;
            return TRUE;
        }
    }
    return FALSE;
}

// Attaching CWnd objects to windows, and the path of a message through them:
// AfxWndProc -> WindowProc -> OnWndMsg (message map) -> DefWindowProc.
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/framework/wnd_internal.h"
#include "platform/window/message_loop.h"
#include "platform/window/window_tree.h"

namespace platform::framework {
namespace {

struct WindowMap {
    std::mutex mutex;
    std::unordered_map<HWND, CWnd*> permanent;
    std::unordered_map<HWND, WNDPROC> superProcs; // the procedure each attached window had
    std::unordered_map<HWND, std::unique_ptr<CWnd>> temporary;
};

WindowMap& TheMap() {
    static WindowMap* map = new WindowMap;
    return *map;
}

// The message each nested window procedure call of this thread is handling.
thread_local std::vector<MSG> t_currentMessages;

void Detach(CWnd* wnd, HWND hwnd) {
    auto& map = TheMap();
    std::lock_guard lock(map.mutex);
    auto it = map.permanent.find(hwnd);
    if (it != map.permanent.end() && it->second == wnd)
        map.permanent.erase(it);
    map.superProcs.erase(hwnd);
}

void DropTemporary(HWND hwnd) {
    std::unique_ptr<CWnd> wrapper;
    {
        auto& map = TheMap();
        std::lock_guard lock(map.mutex);
        auto it = map.temporary.find(hwnd);
        if (it == map.temporary.end())
            return;
        wrapper = std::move(it->second);
        map.temporary.erase(it);
    }
    wrapper->m_hWnd = nullptr;
}

WNDPROC SuperProcOf(HWND hwnd) {
    auto& map = TheMap();
    std::lock_guard lock(map.mutex);
    auto it = map.superProcs.find(hwnd);
    return it == map.superProcs.end() ? nullptr : it->second;
}

} // namespace

void ConnectFramework() {
    static std::once_flag once;
    std::call_once(once, [] {
        window::SetPreTranslateHook(WalkPreTranslateTree);
        window::AddDestroyListener(DropTemporary);
    });
}

LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (CWnd* wnd = CWnd::FromHandlePermanent(hwnd))
        return AfxCallWndProc(wnd, hwnd, message, wParam, lParam);
    WNDPROC super = SuperProcOf(hwnd);
    return super ? super(hwnd, message, wParam, lParam)
                 : DefWindowProcW(hwnd, message, wParam, lParam);
}

BOOL WalkPreTranslateTree(MSG* msg) {
    for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
        CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
        if (wnd && wnd->PreTranslateMessage(msg))
            return TRUE;
    }
    return FALSE;
}

} // namespace platform::framework

using namespace platform::framework;

LRESULT AfxCallWndProc(CWnd* wnd, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    t_currentMessages.push_back(MSG{hwnd, message, wParam, lParam, 0, {0, 0}});
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    t_currentMessages.pop_back();
    if (message == WM_NCDESTROY) {
        // The window is gone: the object stays, unattached.
        Detach(wnd, hwnd);
        wnd->m_hWnd = nullptr;
    }
    return result;
}

CWnd::CWnd() = default;

CWnd::~CWnd() {
    if (m_temporary || !m_hWnd)
        return;
    HWND hwnd = UnsubclassWindow();
    if (hwnd && ::IsWindow(hwnd))
        ::DestroyWindow(hwnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    auto& map = TheMap();
    std::lock_guard lock(map.mutex);
    auto it = map.permanent.find(hwnd);
    return it == map.permanent.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    ConnectFramework();
    auto& map = TheMap();
    {
        std::lock_guard lock(map.mutex);
        if (auto it = map.permanent.find(hwnd); it != map.permanent.end())
            return it->second;
        if (auto it = map.temporary.find(hwnd); it != map.temporary.end())
            return it->second.get();
    }
    if (!::IsWindow(hwnd))
        return nullptr;
    std::lock_guard lock(map.mutex);
    auto& slot = map.temporary[hwnd];
    if (!slot) {
        slot = std::make_unique<CWnd>();
        slot->m_hWnd = hwnd;
        slot->m_temporary = true;
    }
    // A window destroyed between the check and here leaves a wrapper that IsWindow rejects;
    // it is dropped at exit with the map.
    return slot.get();
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (m_hWnd || !::IsWindow(hwnd))
        return FALSE;
    ConnectFramework();
    auto& map = TheMap();
    {
        std::lock_guard lock(map.mutex);
        if (map.permanent.count(hwnd))
            return FALSE;
        map.permanent[hwnd] = this;
        map.superProcs[hwnd] = (WNDPROC)::GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
    }
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)AfxWndProc);
    m_hWnd = hwnd;
    return TRUE;
}

HWND CWnd::UnsubclassWindow() {
    HWND hwnd = m_hWnd;
    if (!hwnd)
        return nullptr;
    if (WNDPROC super = SuperProcOf(hwnd))
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)super);
    Detach(this, hwnd);
    m_hWnd = nullptr;
    return hwnd;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return OnCmdMsgMap(message, wParam, lParam, result);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (WNDPROC super = SuperProcOf(m_hWnd))
        return super(m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    if (t_currentMessages.empty())
        return 0;
    const MSG current = t_currentMessages.back();
    return DefWindowProc(current.message, current.wParam, current.lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {&CCmdTarget::GetThisMessageMap, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const {
    return GetThisMessageMap();
}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CWnd::OnPaint() {
    Default();
}
void CWnd::OnSysCommand(UINT, LPARAM) {
    Default();
}
void CWnd::OnTimer(UINT_PTR) {
    Default();
}
void CWnd::OnSize(UINT, int, int) {
    Default();
}
void CWnd::OnLButtonDblClk(UINT, CPoint) {
    Default();
}
void CWnd::OnClose() {
    Default();
}
void CWnd::OnDestroy() {
    Default();
}
BOOL CWnd::OnDeviceChange(UINT, DWORD_PTR) {
    return (BOOL)Default();
}
HCURSOR CWnd::OnQueryDragIcon() {
    return (HCURSOR)Default();
}

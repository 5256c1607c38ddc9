// CDialog: a modal dialog from a template, with the dialog manager's keyboard handling.
#include <opencv2/core.hpp>

#include "platform/afxwin.h"
#include "platform/framework/dialog_window.h"
#include "platform/framework/resources.h"
#include "platform/framework/wnd_internal.h"
#include "platform/window/message_loop.h"
#include "platform/window/window_classes.h"

using namespace platform;

namespace {

// OpenCV makes the object behind cv::Mat::zeros on first use, with no barrier a second thread
// would see: a dialog whose frame thread and window thread both make black frames could read it
// half made. It is made once here, on the dialog's thread, before the dialog starts any thread.
void MakeOpenCvExpressionsWhole() {
    static const bool made = (cv::Mat(cv::Mat::zeros(1, 1, CV_8UC3)), true);
    (void)made;
}

} // namespace

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_nIDHelp(templateId), m_lpszTemplateName(MAKEINTRESOURCEW(templateId)),
      m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

BEGIN_MESSAGE_MAP(CDialog, CWnd) {
    WM_INITDIALOG, 0, 0, 0, AFX_THUNK(return (LRESULT)self->OnInitDialog();)
}
, ON_COMMAND(IDOK, &CDialog::OnOK) ON_COMMAND(IDCANCEL, &CDialog::OnCancel) END_MESSAGE_MAP()

      INT_PTR CDialog::DoModal() {
    if (!IS_INTRESOURCE(m_lpszTemplateName) || m_hWnd)
        return -1;
    MakeOpenCvExpressionsWhole();
    const auto& dialogs = resources::Resources().dialogs;
    auto it = dialogs.find((int)(uintptr_t)m_lpszTemplateName);
    if (it == dialogs.end())
        return -1;
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    HWND hwnd = framework::CreateDialogWindow(it->second, owner);
    if (!hwnd || !SubclassWindow(hwnd)) {
        if (hwnd)
            ::DestroyWindow(hwnd);
        return -1;
    }
    m_modalRunning = true;
    m_modalResult = -1;
    HWND firstControl = nullptr;
    if (!it->second.controls.empty())
        firstControl = ::GetDlgItem(hwnd, it->second.controls.front().id);
    SendMessage(WM_INITDIALOG, (WPARAM)firstControl, 0);
    if (m_modalRunning && (it->second.style & WS_VISIBLE) && ::IsWindow(hwnd))
        ::ShowWindow(hwnd, SW_SHOWNORMAL);

    while (m_modalRunning && ::IsWindow(hwnd)) {
        MSG msg;
        if (!window::NextMessage(msg, 100))
            continue;
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage((int)msg.wParam); // for the loop outside this one
            break;
        }
        if (!msg.hwnd || !framework::WalkPreTranslateTree(&msg))
            ::DispatchMessageW(&msg);
    }
    m_modalRunning = false;
    if (::IsWindow(hwnd)) {
        ::ShowWindow(hwnd, SW_HIDE);
        ::DestroyWindow(hwnd);
    }
    return m_modalResult;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::EndDialog(int result) {
    m_modalResult = result;
    m_modalRunning = false;
    // Wakes the modal loop should it be waiting.
    if (m_hWnd)
        PostMessage(WM_NULL);
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (!msg || msg->message != WM_KEYDOWN || !m_hWnd)
        return FALSE;
    if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd))
        return FALSE;
    if (msg->wParam == VK_ESCAPE) {
        SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return TRUE;
    }
    if (msg->wParam == VK_RETURN) {
        SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return TRUE;
    }
    return FALSE;
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // An attached dialog's own procedure is the dialog class's default one.
    return CWnd::DefWindowProc(message, wParam, lParam);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (!dx || !dx->m_pDlgWnd || control.m_hWnd)
        return;
    if (HWND hwnd = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id))
        control.SubclassWindow(hwnd);
}

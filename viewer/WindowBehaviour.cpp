// The dialog's own window behaviour: painting, proportional layout, full screen and the
// keyboard filter.
#include "viewer/VelvoraDlg.h"

namespace {

// WS_DLGFRAME and WS_THICKFRAME: cleared for full screen, set again on leaving it.
constexpr LONG kFrameBits = WS_DLGFRAME | WS_THICKFRAME;

} // namespace

void CVelvoraDlg::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        const int cxIcon = GetSystemMetrics(SM_CXICON);
        const int cyIcon = GetSystemMetrics(SM_CYICON);
        CRect rect;
        GetClientRect(&rect);
        const int x = (rect.Width() - cxIcon + 1) / 2;
        const int y = (rect.Height() - cyIcon + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
        return;
    }
    CPaintDC dc(this);
    CRect rect;
    GetClientRect(&rect);
    dc.FillSolidRect(&rect, RGB(0, 0, 0));
    CDialog::OnPaint();
    // A silent source's screen stays too, until its pump draws a picture again.
    if (!m_capture.isOpened() || !m_trouble.empty())
        ShowNoSignal();
}

HCURSOR CVelvoraDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

void CVelvoraDlg::OnSysCommand(UINT id, LPARAM lParam) {
    CDialog::OnSysCommand(id, lParam);
}

void CVelvoraDlg::OnTimer(UINT_PTR id) {
    if (id == kTroubleTimerId)
        CheckCaptureTrouble();
    CDialog::OnTimer(id);
}

void CVelvoraDlg::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    if (type == SIZE_MINIMIZED)
        return;
    // Fixed list, in this order, as the layout has always scaled it: -1, the video area 1000,
    // 1001, 1002, 1004, Cancel 2, OK 1. The template has only 1000 of them; the others find no
    // child and are skipped, and a control that gets one of these ids scales with the window.
    // The event log (1005) is deliberately absent and keeps its template place.
    static const int kScaledControls[] = {-1, 1000, 1001, 1002, 1004, 2, 1};
    for (int id : kScaledControls)
        ScaleControl(GetDlgItem(id), cx, cy);
    GetClientRect(&m_clientRect);
}

void CVelvoraDlg::ScaleControl(CWnd* child, int cx, int cy) {
    if (!child)
        return;
    CRect rect;
    child->GetWindowRect(&rect);
    ScreenToClient(&rect);
    const int oldWidth = m_clientRect.right - m_clientRect.left;
    const int oldHeight = m_clientRect.bottom - m_clientRect.top;
    if (oldWidth <= 0 || oldHeight <= 0) {
        // No previous layout to scale from: the control fills the new client area.
        child->MoveWindow(0, 0, cx, cy, TRUE);
        return;
    }
    const int left = rect.left * cx / oldWidth;
    const int right = rect.right * cx / oldWidth;
    const int top = rect.top * cy / oldHeight;
    const int bottom = rect.bottom * cy / oldHeight;
    child->MoveWindow(left, top, right - left, bottom - top, TRUE);
}

void CVelvoraDlg::SetFullScreen(bool enter) {
    m_fullScreen = enter ? 1 : 0;
    if (enter) {
        m_savedStyle = GetWindowLongW(m_hWnd, GWL_STYLE);
        ::GetWindowRect(m_hWnd, &m_savedWindowRect);
        m_savedStyle &= ~kFrameBits;
        SetWindowLongW(m_hWnd, GWL_STYLE, m_savedStyle);
        ShowWindow(SW_MAXIMIZE);
        RECT r;
        ::GetWindowRect(m_hWnd, &r);
        ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, r.left - 1, r.top - 1, (r.right - r.left) + 3,
                       (r.bottom - r.top) + 3, SWP_FRAMECHANGED);
    } else {
        m_savedStyle |= kFrameBits;
        SetWindowLongW(m_hWnd, GWL_STYLE, m_savedStyle);
        ::SetWindowPos(m_hWnd, HWND_TOP, m_savedWindowRect.left, m_savedWindowRect.top,
                       m_savedWindowRect.right - m_savedWindowRect.left,
                       m_savedWindowRect.bottom - m_savedWindowRect.top, 0);
    }
}

void CVelvoraDlg::OnLButtonDblClk(UINT flags, CPoint point) {
    CDialog::OnLButtonDblClk(flags, point);
    SetFullScreen(m_fullScreen != 1);
}

BOOL CVelvoraDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN) {
        if (msg->wParam == VK_ESCAPE) {
            if (m_fullScreen == 1)
                SetFullScreen(false);
            return TRUE;
        }
        if (msg->wParam == VK_RETURN)
            return TRUE;
    }
    return CDialog::PreTranslateMessage(msg);
}

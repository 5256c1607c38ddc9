// CDialog from template 102: the created windows, the modal loop and its keyboard handling.
#include <string>
#include <vector>

#include "platform/framework/resources.h"
#include "res/resource.h"
#include "window_test_support.h"

using namespace window_tests;

namespace {

constexpr int kGaveUp = -77;

// Ends a dialog that a test failed to end, so no test can hang in DoModal.
std::shared_ptr<bool> Watchdog(CDialog& dialog) {
    auto running = std::make_shared<bool>(true);
    platform::PostToUiThreadAfter(5000, [&dialog, running] {
        if (*running && dialog.m_hWnd)
            dialog.EndDialog(kGaveUp);
    });
    return running;
}

class ViewerLikeDialog : public CDialog {
public:
    ViewerLikeDialog() : CDialog(IDD_VIEWER_DIALOG) {}
    ~ViewerLikeDialog() override { *m_alive = false; }

    CListBox m_eventLog;
    std::vector<std::string> seen;
    bool endInInit = false;
    std::function<void(ViewerLikeDialog&)> onShown; // runs once the loop is running

    BOOL OnInitDialog() override {
        seen.push_back("init");
        CDialog::OnInitDialog();
        seen.push_back(m_eventLog.m_hWnd ? "log attached" : "log missing");
        if (endInInit)
            EndDialog(IDOK);
        platform::PostToUiThread([this, alive = m_alive] {
            if (*alive && onShown)
                onShown(*this);
        });
        return TRUE;
    }

    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) {
            seen.push_back((msg->hwnd == m_hWnd ? "pre dialog " : "pre child ") +
                           std::to_string(msg->message));
        }
        return CDialog::PreTranslateMessage(msg);
    }

protected:
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    void DoDataExchange(CDataExchange* dx) override {
        CDialog::DoDataExchange(dx);
        DDX_Control(dx, IDC_EVENT_LOG, m_eventLog);
    }
};

class DialogTest : public WindowTest {
protected:
    INT_PTR Run(ViewerLikeDialog& dialog) {
        auto running = Watchdog(dialog);
        INT_PTR result = dialog.DoModal();
        *running = false;
        return result;
    }
};

TEST_F(DialogTest, WindowsAreCreatedFromTheTemplate) {
    ViewerLikeDialog dialog;
    dialog.onShown = [this](ViewerLikeDialog& d) {
        HWND hwnd = d.m_hWnd;
        EXPECT_EQ((DWORD)GetWindowLongW(hwnd, GWL_STYLE), 0x10CB08C8u);
        EXPECT_EQ(GetWindowLongW(hwnd, GWL_EXSTYLE), WS_EX_APPWINDOW);
        WCHAR title[64];
        GetWindowTextW(hwnd, title, 64);
        EXPECT_EQ(std::u16string(title), u"Vistrel v1.2.6");
        // 594 x 303 dialog units; a 3-pixel dialog frame and a 23-pixel caption around it;
        // centred on the 1920 x 1080 screen.
        EXPECT_EQ(ClientRect(hwnd), (RECT{0, 0, 891, 492}));
        EXPECT_EQ(WindowRect(hwnd), (RECT{511, 279, 511 + 897, 279 + 521}));
        EXPECT_TRUE(IsWindowVisible(hwnd));
        EXPECT_TRUE(backend().state(hwnd).shown);

        HWND video = GetDlgItem(hwnd, IDC_VIDEO);
        ASSERT_NE(video, nullptr);
        EXPECT_EQ((DWORD)GetWindowLongW(video, GWL_STYLE), 0x50000E07u);
        EXPECT_EQ(GetWindowLongW(video, GWL_EXSTYLE), WS_EX_TRANSPARENT);
        EXPECT_EQ(GetDlgCtrlID(video), IDC_VIDEO);
        EXPECT_EQ(GetParent(video), hwnd);
        EXPECT_EQ(WindowRect(video), (RECT{514, 305, 514 + 891, 305 + 492}));

        HWND log = GetDlgItem(hwnd, IDC_EVENT_LOG);
        ASSERT_NE(log, nullptr);
        EXPECT_EQ((DWORD)GetWindowLongW(log, GWL_STYLE), 0x40A10101u);
        EXPECT_FALSE(IsWindowVisible(log));
        RECT r = WindowRect(log);
        POINT topLeft{r.left, r.top};
        ScreenToClient(hwnd, &topLeft);
        EXPECT_EQ(topLeft.x, 0);
        EXPECT_EQ(topLeft.y, 356);
        EXPECT_EQ(r.right - r.left, 188);
        EXPECT_EQ(r.bottom - r.top, 114);
        for (int id : {1001, 1002, 1004, IDOK, IDCANCEL})
            EXPECT_EQ(GetDlgItem(hwnd, id), nullptr) << id;
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(Run(dialog), IDOK);
    EXPECT_EQ(dialog.seen[0], "init");
    EXPECT_EQ(dialog.seen[1], "log attached") << "the base OnInitDialog runs DoDataExchange";
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.m_eventLog.m_hWnd, nullptr) << "controls are detached with the dialog";
}

TEST_F(DialogTest, EventLogKeepsTheOrderOfItsEntries) {
    ViewerLikeDialog dialog;
    dialog.onShown = [](ViewerLikeDialog& d) {
        for (const char16_t* word : {u"remove3188", u"open", u"arrival", u"opening"})
            SendMessageW(d.m_eventLog.m_hWnd, LB_ADDSTRING, 0, (LPARAM)word);
        EXPECT_EQ(d.m_eventLog.GetCount(), 4);
        CString text;
        EXPECT_EQ(d.m_eventLog.GetText(2, text), 7);
        EXPECT_EQ(text.str(), u"arrival");
        EXPECT_EQ(d.m_eventLog.GetText(0, text), 10);
        EXPECT_EQ(text.str(), u"remove3188");
        EXPECT_EQ(d.m_eventLog.GetText(4, text), LB_ERR);
        EXPECT_EQ(SendMessageW(d.m_eventLog.m_hWnd, LB_GETTEXTLEN, 3, 0), 7);
        d.m_eventLog.ResetContent();
        EXPECT_EQ(d.m_eventLog.GetCount(), 0);
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(Run(dialog), IDOK);
}

TEST_F(DialogTest, CloseBoxEndsTheDialogWithCancel) {
    ViewerLikeDialog dialog;
    HWND hwnd = nullptr;
    dialog.onShown = [&](ViewerLikeDialog& d) {
        hwnd = d.m_hWnd;
        backend().injectClose(d.m_hWnd);
    };
    EXPECT_EQ(Run(dialog), IDCANCEL);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_TRUE(backend().state(hwnd).destroyed);
}

TEST_F(DialogTest, PreTranslateSeesMessagesForChildren) {
    ViewerLikeDialog dialog;
    dialog.onShown = [](ViewerLikeDialog& d) {
        PostMessageW(::GetDlgItem(d.m_hWnd, IDC_VIDEO), WM_KEYUP, 'A', 0);
        PostMessageW(d.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
    };
    EXPECT_EQ(Run(dialog), IDCANCEL);
    EXPECT_EQ(dialog.seen[2], "pre child 257");
    EXPECT_EQ(dialog.seen[3], "pre dialog 256");
}

TEST_F(DialogTest, EndDialogDuringInitReturnsWithoutShowing) {
    ViewerLikeDialog dialog;
    dialog.endInInit = true;
    EXPECT_EQ(Run(dialog), IDOK);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

} // namespace

// CDialog from template 102: the windows it creates, and the modal loop's keyboard handling.
#include <string>
#include <vector>

#include "res/resource.h"
#include "window_test_support.h"

using namespace window_tests;

namespace {

class ViewerLikeDialog : public CDialog {
public:
    ViewerLikeDialog() : CDialog(IDD_VIEWER_DIALOG) {}
    ~ViewerLikeDialog() override { *m_alive = false; }

    CListBox m_eventLog;
    std::vector<std::string> seen;
    std::function<void(ViewerLikeDialog&)> onShown; // runs once the loop is running

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        seen.push_back(m_eventLog.m_hWnd ? "log attached" : "log missing");
        platform::PostToUiThread([this, alive = m_alive] {
            if (*alive && onShown)
                onShown(*this);
        });
        // Ends a dialog that a test failed to end, so no test can hang in DoModal.
        platform::PostToUiThreadAfter(20000, [this, alive = m_alive] {
            if (*alive && m_hWnd)
                EndDialog(-77);
        });
        return TRUE;
    }

    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP)
            seen.push_back((msg->hwnd == m_hWnd ? "pre dialog " : "pre child ") +
                           std::to_string(msg->message));
        return CDialog::PreTranslateMessage(msg);
    }

protected:
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    void DoDataExchange(CDataExchange* dx) override {
        CDialog::DoDataExchange(dx);
        DDX_Control(dx, IDC_EVENT_LOG, m_eventLog);
    }
};

using DialogTest = WindowTest;

TEST_F(DialogTest, WindowsAreCreatedFromTheTemplate) {
    ViewerLikeDialog dialog;
    dialog.onShown = [](ViewerLikeDialog& d) {
        HWND hwnd = d.m_hWnd;
        // 594 x 303 dialog units; a 3-pixel dialog frame and a 23-pixel caption around it;
        // centred on the 1920 x 1080 screen.
        EXPECT_EQ(ClientRect(hwnd), (RECT{0, 0, 891, 492}));
        EXPECT_EQ(WindowRect(hwnd), (RECT{511, 279, 511 + 897, 279 + 521}));
        EXPECT_EQ(WindowRect(GetDlgItem(hwnd, IDC_VIDEO)), (RECT{514, 305, 514 + 891, 305 + 492}));
        HWND log = GetDlgItem(hwnd, IDC_EVENT_LOG);
        EXPECT_FALSE(IsWindowVisible(log));
        EXPECT_EQ(WindowRect(log), (RECT{514, 305 + 356, 514 + 188, 305 + 356 + 114}));
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.seen[0], "log attached") << "the base OnInitDialog runs DoDataExchange";
    EXPECT_EQ(dialog.m_eventLog.m_hWnd, nullptr) << "controls are detached with the dialog";
}

TEST_F(DialogTest, PreTranslateSeesMessagesForChildren) {
    ViewerLikeDialog dialog;
    dialog.onShown = [](ViewerLikeDialog& d) {
        PostMessageW(::GetDlgItem(d.m_hWnd, IDC_VIDEO), WM_KEYUP, 'A', 0);
        PostMessageW(d.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.seen,
              (std::vector<std::string>{"log attached", "pre child 257", "pre dialog 256"}));
}

} // namespace

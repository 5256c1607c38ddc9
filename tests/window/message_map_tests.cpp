// What the viewer's tests cannot see of the message map: commands that match only in id or only
// in notification code, Default() inside a handler, and temporary wrappers that die with their
// window. (WindowProc, argument decoding and base-class maps carry every viewer test.)
#include <string>

#include "window_test_support.h"

using namespace window_tests;

namespace {

class TestWnd : public CWnd {
public:
    int stops = 0;
    bool closeRunsDefault = false;

    afx_msg void OnStop() { ++stops; }
    afx_msg void OnClose() {
        if (closeRunsDefault)
            Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestWnd, CWnd)
ON_BN_CLICKED(1002, &TestWnd::OnStop)
ON_WM_CLOSE()
END_MESSAGE_MAP()

using MessageMapTest = WindowTest;

TEST_F(MessageMapTest, CommandsDefaultAndTemporaryWrappers) {
    HWND hwnd = TopLevel();
    TestWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(hwnd));
    for (int id : {1002, 1003})
        for (int code : {BN_CLICKED, 1})
            SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, code), 0);
    EXPECT_EQ(wnd.stops, 1);

    HWND child = Child(hwnd, u"Static", 7, WS_VISIBLE, {0, 0, 10, 10});
    EXPECT_EQ(CWnd::FromHandle(child), wnd.GetDlgItem(7));
    EXPECT_EQ(CWnd::FromHandle(hwnd), &wnd) << "an attached window gives its own object";
    DestroyWindow(child);
    EXPECT_EQ(CWnd::FromHandle(child), nullptr) << "a wrapper lives as long as its window";

    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(hwnd)) << "a handler without Default() keeps the window";
    wnd.closeRunsDefault = true;
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd)) << "DefWindowProc destroys a closed window";
    EXPECT_EQ(wnd.m_hWnd, nullptr) << "the object is detached from the destroyed window";
}

} // namespace

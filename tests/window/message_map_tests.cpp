// How a message travels through a framework window: WindowProc, the message map with its
// argument decoding, base-class maps, and default processing.
#include <string>
#include <vector>

#include "window_test_support.h"

using namespace window_tests;

namespace {

class BaseWnd : public CWnd {
public:
    std::vector<std::string> calls;
    afx_msg void OnSize(UINT type, int cx, int cy) {
        calls.push_back("size " + std::to_string(type) + " " + std::to_string(cx) + "x" +
                        std::to_string(cy));
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseWnd, CWnd)
ON_WM_SIZE()
END_MESSAGE_MAP()

class TestWnd : public BaseWnd {
public:
    BOOL deviceChangeResult = TRUE;
    bool closeRunsDefault = false;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SIZE || message == WM_DEVICECHANGE)
            calls.push_back("proc");
        return BaseWnd::WindowProc(message, wParam, lParam);
    }
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point) {
        calls.push_back("dblclk " + std::to_string(flags) + " " + std::to_string(point.x) + "," +
                        std::to_string(point.y));
    }
    afx_msg BOOL OnDeviceChange(UINT event, DWORD_PTR data) {
        calls.push_back("device " + std::to_string(event) + " " + std::to_string(data));
        return deviceChangeResult;
    }
    afx_msg void OnStop() { calls.push_back("stop"); }
    afx_msg void OnClose() {
        calls.push_back("close");
        if (closeRunsDefault)
            Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestWnd, BaseWnd)
ON_WM_LBUTTONDBLCLK()
ON_WM_DEVICECHANGE()
ON_BN_CLICKED(1002, &TestWnd::OnStop)
ON_WM_CLOSE()
END_MESSAGE_MAP()

class MessageMapTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        hwnd = TopLevel();
        ASSERT_TRUE(wnd.SubclassWindow(hwnd));
    }
    HWND hwnd = nullptr;
    TestWnd wnd;
};

TEST_F(MessageMapTest, WindowProcOverrideSeesTheMessageBeforeTheMap) {
    SendMessageW(hwnd, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480));
    EXPECT_EQ(wnd.calls, (std::vector<std::string>{"proc", "size 2 640x480"}));
}

TEST_F(MessageMapTest, HandlerArgumentsAreDecodedFromTheMessage) {
    SendMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(-5, 300));
    EXPECT_EQ(wnd.calls.back(), "dblclk 1 -5,300");
    EXPECT_EQ(SendMessageW(hwnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 1234), TRUE);
    EXPECT_EQ(wnd.calls.back(), "device 32768 1234");
    wnd.deviceChangeResult = FALSE;
    EXPECT_EQ(SendMessageW(hwnd, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0), FALSE);
}

TEST_F(MessageMapTest, CommandsMatchBothIdAndNotificationCode) {
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED), 0);
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(1002, 1), 0);
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(1003, BN_CLICKED), 0);
    EXPECT_EQ(wnd.calls, (std::vector<std::string>{"stop"}));
}

TEST_F(MessageMapTest, BaseClassMapHandlesWhatTheClassMapLacks) {
    BaseWnd base;
    HWND other = TopLevel();
    ASSERT_TRUE(base.SubclassWindow(other));
    SendMessageW(other, WM_SIZE, SIZE_RESTORED, MAKELPARAM(10, 20));
    SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(30, 40));
    EXPECT_EQ(base.calls, (std::vector<std::string>{"size 0 10x20"}));
    EXPECT_EQ(wnd.calls.back(), "size 0 30x40");
}

TEST_F(MessageMapTest, DefaultInsideAHandlerRunsTheDefaultForThatMessage) {
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(hwnd)) << "a handler without Default() keeps the window";
    wnd.closeRunsDefault = true;
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd)) << "DefWindowProc destroys a closed window";
    EXPECT_EQ(wnd.m_hWnd, nullptr) << "the object is detached from the destroyed window";
}

TEST_F(MessageMapTest, TemporaryWrappersLiveAsLongAsTheirWindow) {
    HWND child = Child(hwnd, u"Static", 7, WS_VISIBLE, {0, 0, 10, 10});
    CWnd* wrapper = CWnd::FromHandle(child);
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(wrapper, CWnd::FromHandle(child));
    EXPECT_EQ(wrapper, wnd.GetDlgItem(7));
    EXPECT_EQ(wnd.GetDlgItem(8), nullptr);
    EXPECT_EQ(CWnd::FromHandle(hwnd), &wnd) << "an attached window gives its own object";
    DestroyWindow(child);
    EXPECT_EQ(CWnd::FromHandle(child), nullptr);
}

} // namespace

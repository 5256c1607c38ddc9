// How a message travels through a framework window: WindowProc, the message map with its
// argument decoding, base-class maps, and default processing.
#include <string>
#include <vector>

#include "window_test_support.h"

using namespace window_tests;

namespace {

using Calls = std::vector<std::string>;

class BaseWnd : public CWnd {
public:
    Calls calls;
    afx_msg void OnSize(UINT type, int cx, int) {
        calls.push_back("size " + std::to_string(type) + " " + std::to_string(cx));
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseWnd, CWnd)
ON_WM_SIZE()
END_MESSAGE_MAP()

class TestWnd : public BaseWnd {
public:
    bool closeRunsDefault = false;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SIZE)
            calls.push_back("proc");
        return BaseWnd::WindowProc(message, wParam, lParam);
    }
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point) {
        calls.push_back("dblclk " + std::to_string(flags) + " " + std::to_string(point.x) + "," +
                        std::to_string(point.y));
    }
    afx_msg BOOL OnDeviceChange(UINT event, DWORD_PTR data) { return event + data == 5; }
    afx_msg void OnStop() { calls.push_back("stop"); }
    afx_msg void OnClose() {
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

// WindowProc sees a message before the map, and a base class's map serves what the class's
// own lacks; arguments are decoded; commands match both id and notification code.
TEST_F(MessageMapTest, DispatchThroughProcAndMaps) {
    SendMessageW(hwnd, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480));
    SendMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(-5, 300));
    for (int id : {1002, 1003})
        for (int code : {BN_CLICKED, 1})
            SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, code), 0);
    EXPECT_EQ(wnd.calls, (Calls{"proc", "size 2 640", "dblclk 1 -5,300", "stop"}));
    EXPECT_EQ(SendMessageW(hwnd, WM_DEVICECHANGE, 2, 3), TRUE);
    EXPECT_EQ(SendMessageW(hwnd, WM_DEVICECHANGE, 2, 4), FALSE);
}

TEST_F(MessageMapTest, DefaultInsideAHandlerAndTemporaryWrappers) {
    HWND child = Child(hwnd, u"Static", 7, WS_VISIBLE, {0, 0, 10, 10});
    CWnd* wrapper = CWnd::FromHandle(child);
    EXPECT_EQ(wrapper, wnd.GetDlgItem(7));
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

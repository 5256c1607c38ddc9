// The application object, the framework's entry, and the start-up calls it only accepts.
#include <vector>

#include "platform/afxwin.h"
#include "platform/window/message_loop.h"

namespace {

CWinApp* g_app = nullptr;

bool AnyWindowLeft() {
    bool any = false;
    EnumWindows(
        [](HWND, LPARAM found) -> BOOL {
            *reinterpret_cast<bool*>(found) = true;
            return FALSE;
        },
        (LPARAM)&any);
    return any;
}

} // namespace

CWinApp::CWinApp(LPCWSTR appName) : m_pszAppName(appName) {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}
int CWinApp::ExitInstance() {
    return 0;
}

void CWinApp::SetRegistryKey(LPCWSTR key) {
    m_registryKey = key ? key : u"";
}

void CWinApp::OnHelp() {}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp* AfxGetApp() {
    return g_app;
}
CWnd* AfxGetMainWnd() {
    return g_app ? g_app->m_pMainWnd : nullptr;
}

void AfxEnableControlContainer(void*) {}

int AfxWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    app->m_hInstance = instance ? instance : AfxGetInstanceHandle();
    if (!app->InitInstance())
        return app->ExitInstance();
    // The application's own message loop, until WM_QUIT or its last window is gone.
    for (;;) {
        MSG msg;
        if (!platform::window::NextMessage(msg, 250)) {
            if (!AnyWindowLeft())
                break;
            continue;
        }
        if (msg.message == WM_QUIT)
            break;
        platform::window::TranslateAndDispatch(msg);
    }
    return app->ExitInstance();
}

CShellManager::CShellManager() {}
CShellManager::~CShellManager() {}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
    // Nothing to set up: the controls are always there. Only a well-formed request succeeds.
    return controls && controls->dwSize == sizeof(INITCOMMONCONTROLSEX);
}

#include "app/VelvoraApp.h"

#include <new>

#include "viewer/VelvoraDlg.h"

BEGIN_MESSAGE_MAP(CVelvoraApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CVelvoraApp::CVelvoraApp() : CWinApp(nullptr) {
    m_dwRestartManagerSupportFlags = AFX_RESTART_MANAGER_SUPPORT_RESTART;
}

CVelvoraApp theApp;

BOOL CVelvoraApp::InitInstance() {
    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    CWinApp::InitInstance();
    AfxEnableControlContainer();
    CShellManager* shellManager = new (std::nothrow) CShellManager;
    SetRegistryKey(u"应用程序向导生成的本地应用程序");

    {
        CVelvoraDlg dialog;
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }

    delete shellManager;
    // The dialog has ended: end the program instead of running a message loop.
    return FALSE;
}

// The application framework: application object, windows, dialogs, controls, device contexts
// and message maps, with the names and behaviour of the framework the system is written for.
#pragma once

#include <string>

#include "platform/windows.h"

class CWnd;
class CCmdTarget;
class CMenu;

// Message maps. Each entry matches a message (and for WM_COMMAND a notification code and
// control id) and calls a member handler through a thunk that decodes wParam and lParam the
// way the framework does. Lookup walks the class's map, then its base class's.
struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    UINT nLastID;
    // Calls the handler; returns the message's result.
    LRESULT (*pfnThunk)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries; // ends with an entry whose nMessage is 0 and thunk null
};

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        using ThisClass [[maybe_unused]] = theClass;                                               \
        typedef baseClass TheBaseClass;                                                            \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, 0, nullptr }                                                                        \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};  \
    return &messageMap;                                                                            \
    }

#define AFX_THUNK(body)                                                                            \
    [](CCmdTarget* _target, WPARAM wParam, LPARAM lParam) -> LRESULT {                             \
        ThisClass* self = static_cast<ThisClass*>(_target);                                        \
        (void)wParam;                                                                              \
        (void)lParam;                                                                              \
        body                                                                                       \
    }

#define ON_WM_SYSCOMMAND()                                                                         \
    { WM_SYSCOMMAND, 0, 0, 0, AFX_THUNK(self->OnSysCommand((UINT)wParam, lParam); return 0;) }     \
    ,
#define ON_WM_DEVICECHANGE()                                                                       \
    {                                                                                              \
        WM_DEVICECHANGE, 0, 0, 0,                                                                  \
            AFX_THUNK(return (LRESULT)self->OnDeviceChange((UINT)wParam, (DWORD_PTR)lParam);)      \
    }                                                                                              \
    ,
#define ON_WM_PAINT()                                                                              \
    { WM_PAINT, 0, 0, 0, AFX_THUNK(self->OnPaint(); return 0;) }                                   \
    ,
#define ON_WM_QUERYDRAGICON()                                                                      \
    { WM_QUERYDRAGICON, 0, 0, 0, AFX_THUNK(return (LRESULT)self->OnQueryDragIcon();) }             \
    ,
#define ON_WM_DESTROY()                                                                            \
    { WM_DESTROY, 0, 0, 0, AFX_THUNK(self->OnDestroy(); return 0;) }                               \
    ,
#define ON_WM_CLOSE()                                                                              \
    { WM_CLOSE, 0, 0, 0, AFX_THUNK(self->OnClose(); return 0;) }                                   \
    ,
// Width and height are the unsigned 16-bit halves of lParam (window sizes stop at 32767).
#define ON_WM_SIZE()                                                                               \
    {                                                                                              \
        WM_SIZE, 0, 0, 0,                                                                          \
            AFX_THUNK(self->OnSize((UINT)wParam, (int)LOWORD(lParam), (int)HIWORD(lParam));        \
                      return 0;)                                                                   \
    }                                                                                              \
    ,
#define ON_WM_LBUTTONDBLCLK()                                                                      \
    {                                                                                              \
        WM_LBUTTONDBLCLK, 0, 0, 0,                                                                 \
            AFX_THUNK(self->OnLButtonDblClk((UINT)wParam,                                          \
                                            CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));   \
                      return 0;)                                                                   \
    }                                                                                              \
    ,
#define ON_WM_TIMER()                                                                              \
    { WM_TIMER, 0, 0, 0, AFX_THUNK(self->OnTimer((UINT_PTR)wParam); return 0;) }                   \
    ,
#define ON_COMMAND(id, memberFxn)                                                                  \
    { WM_COMMAND, 0, (UINT)(id), (UINT)(id), AFX_THUNK((self->*(memberFxn))(); return 0;) }        \
    ,
#define ON_BN_CLICKED(id, memberFxn)                                                               \
    {                                                                                              \
        WM_COMMAND, BN_CLICKED, (UINT)(id), (UINT)(id),                                            \
            AFX_THUNK((self->*(memberFxn))(); return 0;)                                           \
    }                                                                                              \
    ,

struct CPoint : POINT {
    CPoint() : POINT{0, 0} {}
    CPoint(int x0, int y0) : POINT{x0, y0} {}
};

struct CRect : RECT {
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    CRect(const RECT& r) : RECT(r) {}
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
};

// Wide text, as the framework's string class holds it.
class CString {
public:
    CString() = default;
    CString(LPCWSTR text) : m_text(text ? text : u"") {}
    BOOL LoadString(UINT id);
    BOOL IsEmpty() const { return m_text.empty(); }
    operator LPCWSTR() const { return m_text.c_str(); }
    const std::u16string& str() const { return m_text; }

private:
    std::u16string m_text;
};

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // Finds the entry for the message in this class's map or a base class's, and calls it.
    BOOL OnCmdMsgMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    static const AFX_MSGMAP* GetThisMessageMap();

protected:
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

class CMenu {
public:
    HMENU m_hMenu = nullptr;
    static CMenu* FromHandle(HMENU menu);
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCWSTR text = nullptr);
    int GetMenuItemCount() const;
    UINT GetMenuItemID(int position) const;
};

class CWnd : public CCmdTarget {
public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The framework object of a window: the attached one, else a temporary wrapper that lives
    // as long as the window.
    static CWnd* FromHandle(HWND hwnd);
    static CWnd* FromHandlePermanent(HWND hwnd);
    // Routes the window's messages to this object (its WindowProc, then message map).
    BOOL SubclassWindow(HWND hwnd);
    HWND UnsubclassWindow();

    CWnd* GetDlgItem(int id) const;
    int GetDlgCtrlID() const;
    CWnd* GetParent() const;
    void GetClientRect(LPRECT rect) const;
    void GetWindowRect(LPRECT rect) const;
    void ScreenToClient(LPPOINT point) const;
    void ScreenToClient(LPRECT rect) const;
    void ClientToScreen(LPPOINT point) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(LPCRECT rect, BOOL repaint = TRUE);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    BOOL ShowWindow(int command);
    BOOL IsIconic() const;
    BOOL IsZoomed() const;
    BOOL IsWindowVisible() const;
    void UpdateWindow();
    CMenu* GetSystemMenu(BOOL revert) const;
    HICON SetIcon(HICON icon, BOOL bigIcon);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL DestroyWindow();

    // Message flow: the window procedure of an attached window calls WindowProc; its base
    // version dispatches through the message map and falls back to DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being handled on this thread.
    LRESULT Default();

    static const AFX_MSGMAP* GetThisMessageMap();

protected:
    const AFX_MSGMAP* GetMessageMap() const override;
    virtual void DoDataExchange(CDataExchange* dx);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Default handlers: each passes the message on to default processing.
    void OnPaint();
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnTimer(UINT_PTR id);
    void OnSize(UINT type, int cx, int cy);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnClose();
    void OnDestroy();
    BOOL OnDeviceChange(UINT eventType, DWORD_PTR data);
    HCURSOR OnQueryDragIcon();

    friend LRESULT AfxCallWndProc(CWnd* wnd, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool m_temporary = false;
};

class CListBox : public CWnd {
public:
    int AddString(LPCWSTR text);
    int GetCount() const;
    int GetText(int index, CString& text) const;
    int ResetContent();
};

class CStatic : public CWnd {};

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Creates the window from the template, sends WM_INITDIALOG (which calls OnInitDialog) and
    // runs a modal loop until EndDialog; returns the EndDialog result, or -1 when the window
    // could not be created.
    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    void EndDialog(int result);
    // Escape sends IDCANCEL and Enter IDOK to the dialog, as the dialog manager does.
    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    static const AFX_MSGMAP* GetThisMessageMap();

    UINT m_nIDHelp;
    LPCWSTR m_lpszTemplateName;

protected:
    const AFX_MSGMAP* GetMessageMap() const override;
    virtual void OnOK();
    virtual void OnCancel();

    CWnd* m_pParentWnd;

private:
    friend struct DialogAccess;
    bool m_modalRunning = false;
    int m_modalResult = 0;
};

class CDC {
public:
    CDC() = default;
    virtual ~CDC() = default;
    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    void FillSolidRect(LPCRECT rect, COLORREF colour);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF colour);
    BOOL DrawIcon(int x, int y, HICON icon);
    int SetStretchBltMode(int mode);
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;

protected:
    HWND m_hWnd;
};

class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};

// Records that the shell's dialogs may be used; nothing else happens here.
class CShellManager {
public:
    CShellManager();
    ~CShellManager();
};

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // Records the key; nothing is stored or read under it.
    void SetRegistryKey(LPCWSTR key);
    void OnHelp();

    static const AFX_MSGMAP* GetThisMessageMap();

    CWnd* m_pMainWnd = nullptr;
    DWORD m_dwRestartManagerSupportFlags = 0;
    LPCWSTR m_pszAppName = nullptr;
    std::u16string m_registryKey;
    HINSTANCE m_hInstance = nullptr;

protected:
    const AFX_MSGMAP* GetMessageMap() const override;
};

#define ID_HELP 0xE146

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
// The module holding the named resource of the given type, or null.
HINSTANCE AfxFindResourceHandle(LPCWSTR name, LPCWSTR type);
void AfxEnableControlContainer(void* containerManager = nullptr);
// The framework's entry: calls the application object's InitInstance once; returns the exit
// code of the process.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand);
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define afx_msg

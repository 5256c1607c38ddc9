// The viewer dialog: construction, start-up choice of the capture device, pump start, stop
// command and close.
#include "viewer/VelvoraDlg.h"

#include <cstring>
#include <vector>

#include "devices/VideoInputs.h"
#include "viewer/UsbIdentity.h"
#include "platform/cvshim/highgui_shim.h"
#include "platform/system/path_separator.h"

namespace {

std::string NoSignalPicturePath() {
    char path[261];
    std::memset(path, 0, sizeof(path));
    GetModuleFileNameA(nullptr, path, 260);
    if (char* separator = std::strrchr(path, platform::kPathSeparator))
        separator[1] = '\0';
    else
        path[0] = '\0';
    return std::string(path) + "res" + platform::kPathSeparator + "dis.jpg";
}

} // namespace

BEGIN_MESSAGE_MAP(CVelvoraDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_DEVICECHANGE()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_STOP, &CVelvoraDlg::StopCapture)
ON_WM_CLOSE()
ON_WM_SIZE()
ON_WM_LBUTTONDBLCLK()
ON_WM_TIMER()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CVelvoraDlg::CVelvoraDlg()
    : CDialog(IDD_VIEWER_DIALOG, nullptr), m_savedWindowRect{0, 0, 0, 0}, m_deviceIndex(0),
      m_noSignalPicturePath(NoSignalPicturePath()), m_devicePresent(false), m_stopPump(0),
      m_deviceFound(false), m_clientRect{0, 0, 0, 0} {
    HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(IDI_VISTREL), RT_GROUP_ICON);
    m_hIcon = LoadIconW(module, MAKEINTRESOURCEW(IDI_VISTREL));
    m_fullScreen = 0;
}

CVelvoraDlg::~CVelvoraDlg() {
    // A pump holds this object's address until it returns; the window's end has stopped and
    // awaited every pump that started before it.
    if (!WaitForPumpsToEnd(kStuckPumpTimeoutMs))
        ExitProcess(kStuckPumpExitCode);
}

void CVelvoraDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_EVENT_LOG, m_eventLog);
}

BOOL CVelvoraDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu* systemMenu = GetSystemMenu(FALSE)) {
        CString aboutText;
        aboutText.LoadString(IDS_ABOUTBOX);
        if (!aboutText.IsEmpty()) {
            systemMenu->AppendMenu(MF_SEPARATOR);
            systemMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutText);
        }
    }

    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    ::GetClientRect(m_hWnd, &m_clientRect);
    SelectAndOpenDevice();
    RegisterDeviceEvents();
    ::SetTimer(m_hWnd, kTroubleTimerId, kTroubleTimerMs, nullptr);
    return TRUE;
}

void CVelvoraDlg::SelectAndOpenDevice() {
    if (m_capture.isOpened())
        return;
    if (OpenChosenDevice())
        m_deviceFound = true;
}

bool CVelvoraDlg::ChooseCaptureDevice(std::u16string_view leaving) {
    std::vector<std::string> inputs;
    std::vector<std::string> devicePaths;
    EnumerateVideoInputs(inputs, &devicePaths);
    for (size_t i = 0; i < inputs.size(); ++i) {
        // Case-sensitive, anywhere in the name; the first match wins.
        if (!std::strstr(inputs[i].c_str(), "HDMI Capture"))
            continue;
        // Device paths are ASCII.
        const std::string narrowPath = i < devicePaths.size() ? devicePaths[i] : std::string();
        const std::u16string path(narrowPath.begin(), narrowPath.end());
        if (!leaving.empty() && SameUsbDevice(path, leaving))
            continue;
        m_deviceIndex = static_cast<int>(i);
        m_deviceUsbId = UsbIdentityIn(path);
        m_devicePath = path;
        return true;
    }
    return false;
}

bool CVelvoraDlg::OpenChosenDevice() {
    if (!ChooseCaptureDevice()) {
        ShowNoSignal();
        return false;
    }
    OpenDeviceAtChosenIndex();
    return true;
}

void CVelvoraDlg::OpenDeviceAtChosenIndex() {
    // The open's result is not examined: a device that fails to open shows as a pump whose
    // first read fails.
    m_capture.open(m_deviceIndex);
    StartFramePump();
}

void CVelvoraDlg::StartFramePump() {
    {
        std::lock_guard<std::mutex> lock(m_pumpMutex);
        ++m_pumpsStarted;
        ++m_pumpsRunning;
    }
    HANDLE thread = CreateThread(nullptr, 0, FramePumpThread, this, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
        return;
    }
    std::lock_guard<std::mutex> lock(m_pumpMutex);
    --m_pumpsStarted;
    --m_pumpsRunning;
    m_pumpChanged.notify_all();
}

void CVelvoraDlg::StopCapture() {
    m_stopPump = 1;
    m_capture.release();
}

void CVelvoraDlg::OnClose() {
    m_stopPump = 1;
    // Fixed behaviour: 100 ms between raising the stop flag and releasing the capture, the
    // pump's time to see the flag before its read; the close has always paused so. The wait
    // for the pumps below is what makes the release safe.
    Sleep(100);
    m_capture.release();
    // The window goes away with the modal loop; pumps draw into it until they return.
    WaitForPumpsToEnd(kPumpEndTimeoutMs);
    Default();
    cv::destroyAllWindows();
}

// However the modal loop ends (WM_CLOSE, a WM_COMMAND with IDOK or IDCANCEL, EndDialog, or the
// window destroyed outright), the window goes through here before it and its video area are
// destroyed: the pumps that draw into it are stopped and awaited first.
void CVelvoraDlg::OnDestroy() {
    ::KillTimer(m_hWnd, kTroubleTimerId);
    m_stopPump = 1;
    m_capture.release();
    // A pump still running now is stuck inside a device read that could not be interrupted,
    // and the process is about to end anyway: end it now rather than destroy the window under
    // that pump.
    if (!WaitForPumpsToEnd(kStuckPumpTimeoutMs))
        ExitProcess(kStuckPumpExitCode);
    CDialog::OnDestroy();
}

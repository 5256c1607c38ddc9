// The viewer dialog: capture control, frame pump, no-signal screen, device events and window
// behaviour.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/afxwin.h"
#include "platform/cvshim/cv24.h"
#include "platform/video/video_capture.h"
#include "res/resource.h"

class CVelvoraDlg : public CDialog {
public:
    CVelvoraDlg();
    ~CVelvoraDlg() override;

    enum { IDD = IDD_VIEWER_DIALOG };

    // Capture control
    void SelectAndOpenDevice();
    // Lists the video inputs afresh and takes the first whose name contains "HDMI Capture",
    // passing over the inputs of the USB device named in `leaving` (an interface name):
    // m_deviceIndex, m_deviceUsbId and m_devicePath follow it. Without a match all keep their
    // values and the result is false.
    bool ChooseCaptureDevice(std::u16string_view leaving = {});
    // Chooses, then opens the chosen device and starts a pump; without a match shows the
    // no-signal screen instead and returns false.
    bool OpenChosenDevice();
    // Opens m_deviceIndex and starts a pump.
    void OpenDeviceAtChosenIndex();
    void StartFramePump();
    afx_msg void StopCapture();

    // Frame pump and presentation
    int RunFramePump();
    void PresentFrame(const IplImage* image);
    void PresentPicture(const IplImage* image);
    void ShowNoSignal();
    // Looks at the capture's trouble (see m_trouble) and draws the no-signal screen when it
    // changed; the trouble timer's work.
    void CheckCaptureTrouble();

    // Device events
    bool RegisterDeviceEvents();

    // Window behaviour
    void ScaleControl(CWnd* child, int cx, int cy);
    void SetFullScreen(bool enter);

    // Frame pumps that have started and not yet returned.
    int RunningPumps() const;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;

    afx_msg void OnSysCommand(UINT id, LPARAM lParam);
    afx_msg BOOL OnDeviceChange(UINT eventType, DWORD_PTR data);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnTimer(UINT_PTR id);
    DECLARE_MESSAGE_MAP()

public:
    HICON m_hIcon;
    platform::VideoCapture m_capture;
    BOOL m_fullScreen;
    RECT m_savedWindowRect;
    LONG m_savedStyle;
    int m_deviceIndex;
    std::string m_noSignalPicturePath;
    bool m_devicePresent;
    // Written by the user-interface thread, read by every pump before each read.
    std::atomic<int32_t> m_stopPump;
    bool m_deviceFound;
    RECT m_clientRect;
    CListBox m_eventLog;
    // The USB identity of the chosen device as USB interface names carry it
    // ("VID_534D&PID_2109"); empty when it is not known. Kept when a later choice finds no
    // device, so the device's return is still recognised.
    std::u16string m_deviceUsbId;
    // The chosen device's path, whose USB instance tells its removal from that of another
    // dongle of the same model; empty when it has none. Kept as m_deviceUsbId is.
    std::u16string m_devicePath;
    // Why there is no picture, as the no-signal screen shows it under the picture and standard
    // error said it last: the capture's trouble(), "" for none.
    std::string m_trouble;

private:
    // The trouble timer: how often the user-interface thread looks at the capture's trouble,
    // which a silent source's pump, blocked in its read, cannot report itself.
    static constexpr UINT_PTR kTroubleTimerId = 1;
    static constexpr UINT kTroubleTimerMs = 250;
    // Takes the capture's trouble into m_trouble; true when it changed. A failed open's reason
    // waits until the pump that found it has ended, so its black frame never covers the line.
    bool RefreshTrouble();
    // The reason's line in the no-signal screen's style, near the foot of the video area.
    void DrawTroubleLine();
    void PresentBlackArea();
    // Set by the user-interface thread after it drew the no-signal screen over an open
    // capture; the pump's next good frame then clears the whole area before it is drawn.
    std::atomic<bool> m_coverNoSignal{false};

    // How long close and device changes wait for pumps to finish a read that the release could
    // not interrupt at once. Close must stay prompt, so this is short.
    static constexpr int kPumpEndTimeoutMs = 500;
    // A pump still running when the dialog goes away is stuck in a device read; the process
    // ends with this code rather than free the dialog under it.
    static constexpr int kStuckPumpTimeoutMs = 2000;
    static constexpr UINT kStuckPumpExitCode = 3;

    void AppendEventLog(LPCWSTR word);
    // The interface name belongs to the capture hardware: "VID_3188", or the chosen device.
    bool IsCaptureHardware(const std::u16string& interfaceName) const;
    // The capture hardware's interface is the chosen device's own, or cannot be told apart
    // from it because the chosen device's path names no USB instance.
    bool IsChosenDevice(const std::u16string& interfaceName) const;
    // After the shown device has gone: opens another "HDMI Capture" input at once when one is
    // there, with the words of an arrival.
    void OpenRemainingCaptureDevice(const std::u16string& goneInterfaceName);
    // A dongle of another vendor plugged in while none was chosen is known only once its video
    // input is listed, which is after its USB device arrived: the identities of USB devices
    // that arrived unrecognised are kept, and an audio endpoint's arrival lists the inputs and
    // records presence when the one chosen now is among them.
    void NoteUnknownUsbArrival(const std::u16string& interfaceName);
    bool ArrivedDeviceIsTheCaptureDevice();
    std::vector<std::u16string> m_unknownUsbArrivals;
    // Releases the capture and waits (bounded) until every pump has ended, so what is drawn or
    // opened next is not overdrawn or read by a late one.
    void ReleaseCaptureAndWait();
    bool WaitForPumpsToEnd(int timeoutMs);

    // Pump bookkeeping: at most one pump reads at a time, a pump started after it supersedes
    // it, and the dialog waits for running pumps before it goes away.
    bool EnterReading(uint64_t ticket);
    void LeavePump(bool wasReading);
    mutable std::mutex m_pumpMutex;
    std::condition_variable m_pumpChanged;
    int m_pumpsRunning = 0;
    bool m_pumpReading = false;
    std::atomic<uint64_t> m_pumpsStarted{0};
    uint64_t m_pumpsEntered = 0;
};

DWORD FramePumpThread(LPVOID dialog);

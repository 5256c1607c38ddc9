// The frame pump: a thread that reads frames from the capture and presents each at once.
#include <chrono>

#include "viewer/VelvoraDlg.h"

DWORD FramePumpThread(LPVOID dialog) {
    return static_cast<DWORD>(static_cast<CVelvoraDlg*>(dialog)->RunFramePump());
}

int CVelvoraDlg::RunFramePump() {
    uint64_t ticket;
    {
        std::lock_guard<std::mutex> lock(m_pumpMutex);
        ticket = ++m_pumpsEntered;
    }

    PresentBlackArea();

    const bool reading = EnterReading(ticket);
    // The area size last handed to the capture; told again only when the area changes.
    SIZE told{-1, -1};
    while (reading) {
        // A pump started after this one (after a reopen) takes over the reading.
        if (m_stopPump.load() != 0 || m_pumpsStarted.load() > ticket)
            break;
        try {
            // The capture may decode frames no larger than the area they are fitted into.
            RECT area{0, 0, 0, 0};
            ::GetClientRect(::GetDlgItem(m_hWnd, IDC_VIDEO), &area);
            const SIZE size{area.right - area.left, area.bottom - area.top};
            if (size.cx != told.cx || size.cy != told.cy) {
                const bool taken = m_capture.set(platform::kCapPropDrawWidth, size.cx) &&
                                   m_capture.set(platform::kCapPropDrawHeight, size.cy);
                told = taken ? size : SIZE{-1, -1};
            }
            cv::Mat frame;
            if (!m_capture.read(frame))
                break;
            if (frame.empty())
                break;
            // The first picture after a no-signal screen: the bars beside it are black again.
            if (m_coverNoSignal.exchange(false))
                PresentBlackArea();
            IplImage header = cvIplImage(frame);
            PresentFrame(&header);
        } catch (const cv::Exception&) {
            // A bad frame is dropped; the next read follows at once.
        }
    }
    LeavePump(reading);
    return 1;
}

// The black frame is what the bars beside a fitted picture show while the pump runs.
void CVelvoraDlg::PresentBlackArea() {
    try {
        RECT area{0, 0, 0, 0};
        ::GetClientRect(::GetDlgItem(m_hWnd, IDC_VIDEO), &area);
        cv::Mat black =
            cv::Mat::zeros(cv::Size(area.right - area.left, area.bottom - area.top), CV_8UC3);
        IplImage header = cvIplImage(black);
        PresentFrame(&header);
    } catch (const cv::Exception&) {
    }
}

// A pump reads only when no other pump is reading, and only while no pump has been started
// after it: a pump started after a reopen takes over from one that has not yet noticed the
// release.
bool CVelvoraDlg::EnterReading(uint64_t ticket) {
    std::unique_lock<std::mutex> lock(m_pumpMutex);
    for (;;) {
        if (m_stopPump.load() != 0 || m_pumpsStarted > ticket)
            return false;
        if (!m_pumpReading) {
            m_pumpReading = true;
            return true;
        }
        m_pumpChanged.wait_for(lock, std::chrono::milliseconds(20));
    }
}

void CVelvoraDlg::LeavePump(bool wasReading) {
    std::lock_guard<std::mutex> lock(m_pumpMutex);
    if (wasReading)
        m_pumpReading = false;
    --m_pumpsRunning;
    m_pumpChanged.notify_all();
}

bool CVelvoraDlg::WaitForPumpsToEnd(int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_pumpMutex);
    return m_pumpChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [this] { return m_pumpsRunning == 0; });
}

int CVelvoraDlg::RunningPumps() const {
    std::lock_guard<std::mutex> lock(m_pumpMutex);
    return m_pumpsRunning;
}

void CVelvoraDlg::ReleaseCaptureAndWait() {
    m_capture.release();
    // Every pump started so far now ends: a reading one at its failing read, one that has not
    // read yet at its first read or because a later pump supersedes it. Waiting for all of
    // them keeps a late black frame from landing after what is drawn next.
    WaitForPumpsToEnd(kPumpEndTimeoutMs);
}

// Saying why there is no picture: the capture's reason on the no-signal screen and, once per
// change, on standard error.
#include "viewer/VelvoraDlg.h"

bool CVelvoraDlg::RefreshTrouble() {
    const std::string reason = m_capture.trouble();
    if (!reason.empty() && !m_capture.isOpened() && RunningPumps() > 0)
        return false;
    if (reason == m_trouble)
        return false;
    m_trouble = reason;
    if (!reason.empty())
        platform::ReportCaptureTrouble(reason);
    return true;
}

void CVelvoraDlg::CheckCaptureTrouble() {
    if (!RefreshTrouble())
        return;
    // A reason appeared (or, with nothing open, went): the screen shows it. A silent source
    // that sends again needs nothing here; its pump draws the picture over the screen.
    if (m_trouble.empty() && m_capture.isOpened())
        return;
    ShowNoSignal();
}

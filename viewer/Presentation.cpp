// Drawing pictures into the video area: live frames, the no-signal picture and the no-signal
// screen.
#include <algorithm>

#include "image/CvvImage.h"
#include "viewer/VelvoraDlg.h"

#include "platform/cvshim/picture_file.h"

namespace {

enum class Fit { Enlarge, NeverEnlarge };

// Into the whole video area, or into `place` of it.
void Present(HWND dialog, const IplImage* image, Fit fit, const RECT* place = nullptr) {
    HWND video = ::GetDlgItem(dialog, IDC_VIDEO);
    if (!video)
        return;
    HDC dc = ::GetDC(video);
    CCvvImage holder;
    try {
        holder.CopyFromImage(image, -1);
        RECT area{0, 0, 0, 0};
        ::GetClientRect(video, &area);
        if (place)
            area = *place;
        if (fit == Fit::Enlarge)
            holder.DrawFitted(dc, &area);
        else
            holder.DrawFittedNoUpscale(dc, &area);
    } catch (const cv::Exception&) {
        // Nothing more is drawn; the device context and the copy are still released.
    }
    ::ReleaseDC(video, dc);
    holder.ReleaseBuffer();
}

} // namespace

void CVelvoraDlg::PresentFrame(const IplImage* image) {
    Present(m_hWnd, image, Fit::Enlarge);
}

void CVelvoraDlg::PresentPicture(const IplImage* image) {
    Present(m_hWnd, image, Fit::NeverEnlarge);
}

void CVelvoraDlg::ShowNoSignal() {
    RefreshTrouble();
    try {
        RECT area{0, 0, 0, 0};
        ::GetClientRect(::GetDlgItem(m_hWnd, IDC_VIDEO), &area);
        const int width = area.right - area.left;
        const int height = area.bottom - area.top;

        cv::Mat black = cv::Mat::zeros(cv::Size(width, height), CV_8UC3);
        IplImage blackHeader = cvIplImage(black);
        CvFont font;
        cvInitFont(&font, CV_FONT_HERSHEY_COMPLEX, 0.5, 1.0, 0.0, 1, 8);
        cvPutText(&blackHeader, "No Input Signal", cvPoint(width / 2 - 100, height / 2), &font,
                  CvScalar(0, 255, 0, 0));
        PresentFrame(&blackHeader);

        // A picture the holder would refuse is not even decoded; one drawn smaller than it is
        // may be decoded at a smaller size (an empty area at the smallest), and an unchanged
        // file is not read again.
        cv::Mat picture =
            platform::ReadPictureFile(m_noSignalPicturePath, 1, CCvvImage::kLargestSide,
                                      {std::max(width, 1), std::max(height, 1)});
        IplImage pictureHeader = cvIplImage(picture);
        PresentPicture(&pictureHeader);
    } catch (const cv::Exception&) {
        // What was drawn so far stays.
    }
    if (!m_trouble.empty())
        DrawTroubleLine();
    // Over an open capture (a silent source), the bars of its next picture are cleared.
    if (m_capture.isOpened())
        m_coverNoSignal = true;
}

void CVelvoraDlg::DrawTroubleLine() {
    try {
        RECT area{0, 0, 0, 0};
        ::GetClientRect(::GetDlgItem(m_hWnd, IDC_VIDEO), &area);
        const int width = area.right - area.left;
        const int height = area.bottom - area.top;
        // The screen's own font and colour; a smaller size when the line would not fit.
        CvFont font;
        cvInitFont(&font, CV_FONT_HERSHEY_COMPLEX, 0.5, 1.0, 0.0, 1, 8);
        CvSize size;
        int baseline = 0;
        cvGetTextSize(m_trouble.c_str(), &font, &size, &baseline);
        if (size.width > width - 16 && size.width > 0) {
            const double scale = std::max(0.25, 0.5 * (width - 16) / size.width);
            cvInitFont(&font, CV_FONT_HERSHEY_COMPLEX, scale, scale, 0.0, 1, 8);
            cvGetTextSize(m_trouble.c_str(), &font, &size, &baseline);
        }
        const int stripHeight = size.height + baseline + 8;
        if (width <= 0 || stripHeight > height)
            return;
        // A strip of its own, so the picture above it stays as drawn.
        cv::Mat strip = cv::Mat::zeros(cv::Size(width, stripHeight), CV_8UC3);
        IplImage stripHeader = cvIplImage(strip);
        cvPutText(&stripHeader, m_trouble.c_str(),
                  cvPoint(std::max(0, (width - size.width) / 2), 4 + size.height), &font,
                  CvScalar(0, 255, 0, 0));
        // Near the foot of the area, below the no-signal picture's drawing.
        const int top = std::max(0, height - stripHeight - std::max(8, height / 10));
        const RECT place{area.left, area.top + top, area.right, area.top + top + stripHeight};
        Present(m_hWnd, &stripHeader, Fit::Enlarge, &place);
    } catch (const cv::Exception&) {
    }
}

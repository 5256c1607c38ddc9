// Drawing pictures into the video area: live frames, the no-signal picture and the no-signal
// screen.
#include <algorithm>

#include "image/CvvImage.h"
#include "viewer/VelvoraDlg.h"

#include "platform/cvshim/picture_file.h"

namespace {

enum class Fit { Enlarge, NeverEnlarge };

void Present(HWND dialog, const IplImage* image, Fit fit) {
    HWND video = ::GetDlgItem(dialog, IDC_VIDEO);
    if (!video)
        return;
    HDC dc = ::GetDC(video);
    CCvvImage holder;
    try {
        holder.CopyFromImage(image, -1);
        RECT area{0, 0, 0, 0};
        ::GetClientRect(video, &area);
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
}

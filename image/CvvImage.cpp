#include "image/CvvImage.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include <opencv2/core.hpp>

#include "platform/cvshim/highgui_shim.h"

CCvvImage::~CCvvImage() {
    cvReleaseImage(&m_image);
}

bool CCvvImage::CreateBuffer(int width, int height, int bitsPerPixel, int origin) {
    if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32)
        return false;
    if (static_cast<unsigned>(width) > unsigned(kLargestSide) ||
        static_cast<unsigned>(height) > unsigned(kLargestSide))
        return false;
    if (origin != 0 && origin != 1)
        return false;

    if (m_image != nullptr && (m_image->nChannels * 8 != bitsPerPixel || m_image->width != width ||
                               m_image->height != height))
        ReleaseBuffer();
    if (m_image == nullptr)
        m_image = cvCreateImage(cvSize(width, height), IPL_DEPTH_8U, bitsPerPixel / 8);
    if (m_image != nullptr)
        m_image->origin = origin != 0 ? 1 : 0;
    return m_image != nullptr;
}

namespace {

// True when the source's pixels are (part of) the held image's own buffer.
bool SharesPixels(const IplImage* source, const IplImage* held) {
    if (held == nullptr)
        return false;
    if (source == held)
        return true;
    const auto first = reinterpret_cast<uintptr_t>(held->imageData);
    const auto at = reinterpret_cast<uintptr_t>(source->imageData);
    return at >= first && at < first + static_cast<uintptr_t>(held->imageSize);
}

} // namespace

void CCvvImage::CopyFromImage(const IplImage* source, int desiredColor) {
    if (source == nullptr || source->nSize != static_cast<int>(sizeof(IplImage)) ||
        source->imageData == nullptr)
        return;

    const CvSize size = cvGetSize(source);
    const bool colour = desiredColor > 0 || (desiredColor < 0 && source->nChannels > 1);
    const int channels = !colour ? 1 : (source->nChannels > 1 ? source->nChannels : 3);
    const int origin = source->origin;

    // CreateBuffer may free the held image before the conversion reads it, so a source over
    // the held pixels is first copied aside.
    cv::Mat aside;
    IplImage asideHeader;
    if (SharesPixels(source, m_image)) {
        if (size.width <= 0 || size.height <= 0) {
            CreateBuffer(size.width, size.height, channels * 8, origin);
            return;
        }
        aside = cv::cvarrToMat(source).clone();
        asideHeader = cvIplImage(aside);
        asideHeader.origin = origin;
        source = &asideHeader;
    }

    if (!CreateBuffer(size.width, size.height, channels * 8, origin))
        return;
    cvConvertImage(source, m_image, 0);
}

void CCvvImage::CopyFromHolder(const CCvvImage& source, int desiredColor) {
    if (source.m_image != nullptr)
        CopyFromImage(source.m_image, desiredColor);
}

void CCvvImage::ReleaseBuffer() {
    cvReleaseImage(&m_image);
}

bool CCvvImage::LoadFromFile(const char* fileName, int desiredColor) {
    IplImage* loaded = cvLoadImage(fileName, desiredColor);
    if (loaded == nullptr)
        return false;
    CopyFromImage(loaded, desiredColor);
    cvReleaseImage(&loaded);
    return true;
}

bool CCvvImage::LoadRegionFromFile(const char* fileName, int desiredColor, RECT region) {
    // Edges far apart enough to overflow an int saturate; only the sign and the clipping to
    // the picture matter afterwards.
    const auto span = [](LONG from, LONG to) {
        const int64_t d = static_cast<int64_t>(to) - from;
        return static_cast<int>(std::clamp<int64_t>(d, INT_MIN, INT_MAX));
    };
    return LoadRegionFromFile(fileName, desiredColor,
                              cvRect(region.left, region.top, span(region.left, region.right),
                                     span(region.top, region.bottom)));
}

bool CCvvImage::LoadRegionFromFile(const char* fileName, int desiredColor, CvRect region) {
    if (region.width < 0 || region.height < 0)
        return false;
    IplImage* loaded = cvLoadImage(fileName, desiredColor);
    if (loaded == nullptr)
        return false;

    const int64_t W = loaded->width;
    const int64_t H = loaded->height;
    int64_t x = region.x, y = region.y, w = region.width, h = region.height;
    if (w == 0 || h == 0) {
        x = 0;
        y = 0;
        w = W;
        h = H;
    }
    if (x > W || y > H || x + w < 0 || y + h < 0) {
        cvReleaseImage(&loaded);
        return false;
    }
    if (x < 0) {
        w += x;
        x = 0;
    }
    if (y < 0) {
        h += y;
        y = 0;
    }
    if (x + w > W)
        w = W - x;
    if (y + h > H)
        h = H - y;
    // A region that touches the picture only along an edge holds no pixel; it is refused like
    // one lying outside rather than copied as an empty image.
    if (w == 0 || h == 0) {
        cvReleaseImage(&loaded);
        return false;
    }

    cvSetImageROI(loaded, cvRect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(w),
                                 static_cast<int>(h)));
    CopyFromImage(loaded, desiredColor);
    cvReleaseImage(&loaded);
    return true;
}

bool CCvvImage::SaveToFile(const char* fileName) {
    if (m_image == nullptr)
        return false;
    cvSaveImage(fileName, m_image, nullptr);
    return true;
}

void CCvvImage::FillWithColor(int colour) {
    if (m_image == nullptr)
        return;
    const auto bits = static_cast<uint32_t>(colour);
    cvSet(m_image, cvScalar(bits & 255, (bits >> 8) & 255, (bits >> 16) & 255, (bits >> 24) & 255),
          nullptr);
}

void CCvvImage::ShowInWindow(const char* windowName) {
    if (m_image != nullptr)
        cvShowImage(windowName, m_image);
}

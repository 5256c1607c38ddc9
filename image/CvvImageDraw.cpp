// Drawing the held image through GDI's device-independent bitmap calls.
#include "image/CvvImage.h"

#include <algorithm>
#include <cfloat>
#include <cstdlib>
#include <climits>
#include <cstdint>

// The fit is computed in single precision with every step rounded to it; wider intermediates
// would change drawn sizes (994 x 1629 into 1148 x 1629 must come out 993 wide).
static_assert(FLT_EVAL_METHOD == 0, "float arithmetic must not use excess precision");

void FillBitmapInfo(BITMAPINFO* info, int width, int height, int bitsPerPixel, int origin) {
    BITMAPINFOHEADER& header = info->bmiHeader;
    header.biSizeImage = 0;
    header.biXPelsPerMeter = 0;
    header.biYPelsPerMeter = 0;
    header.biClrUsed = 0;
    header.biClrImportant = 0;

    const LONG rows = static_cast<LONG>(std::min<int64_t>(std::abs(int64_t{height}), INT_MAX));
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = origin != 0 ? rows : -rows;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bitsPerPixel);
    header.biCompression = BI_RGB;

    if (bitsPerPixel == 8) {
        // The block has room for 256 entries after the header.
        RGBQUAD* palette =
            reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(info) + sizeof(BITMAPINFOHEADER));
        for (int i = 0; i < 256; ++i) {
            const BYTE level = static_cast<BYTE>(i);
            palette[i] = RGBQUAD{level, level, level, 0};
        }
    }
}

namespace {

// What every rectangle drawing starts from: the image's region of interest and the
// destination rectangle normalised.
struct DrawGeometry {
    int rx, ry, rw, rh;
    int L, T, dw, dh;
};

// False when nothing may be drawn: no rectangle, no image, an image GDI cannot take, or one
// without pixels to show (a zero-size image has no meaningful aspect ratio).
bool StartRectangleDrawing(const IplImage* image, const RECT* destination, DrawGeometry& g) {
    if (destination == nullptr || image == nullptr || image->depth != IPL_DEPTH_8U ||
        image->imageData == nullptr)
        return false;
    if (image->width <= 0 || image->height <= 0)
        return false;
    const CvRect roi = cvGetImageROI(image);
    if (roi.width <= 0 || roi.height <= 0)
        return false;

    const int64_t left = std::min(destination->left, destination->right);
    const int64_t right = std::max(destination->left, destination->right);
    const int64_t top = std::min(destination->top, destination->bottom);
    const int64_t bottom = std::max(destination->top, destination->bottom);
    // A rectangle wider or taller than any int can describe is not drawn.
    if (right - left > INT_MAX || bottom - top > INT_MAX)
        return false;

    g = DrawGeometry{roi.x,
                     roi.y,
                     roi.width,
                     roi.height,
                     static_cast<int>(left),
                     static_cast<int>(top),
                     static_cast<int>(right - left),
                     static_cast<int>(bottom - top)};
    return true;
}

int TruncateToInt(float value) {
    if (!(value > -2147483648.0f))
        return value != value ? 0 : INT_MIN;
    if (value >= 2147483648.0f)
        return INT_MAX;
    return static_cast<int>(value);
}

// Largest rw x rh picture with its aspect ratio that fits dw x dh, centred on the spare axis,
// then drawn by StretchDIBits.
void StretchFitted(HDC dc, const IplImage* image, const DrawGeometry& g, const BITMAPINFO* info) {
    const float fw = static_cast<float>(g.rw);
    const float fh = static_cast<float>(g.rh);
    const float sx = static_cast<float>(g.dw) / fw;
    const float sy = static_cast<float>(g.dh) / fh;
    const float ratio = fw / fh;

    int64_t x, y, w, h;
    if (sx > sy) {
        w = TruncateToInt(static_cast<float>(g.dh) * ratio);
        h = g.dh;
        x = g.L + (g.dw - w) / 2;
        y = g.T;
    } else {
        h = TruncateToInt(static_cast<float>(g.dw) / ratio);
        w = g.dw;
        x = g.L;
        y = g.T + (g.dh - h) / 2;
    }
    StretchDIBits(dc, static_cast<int>(x), static_cast<int>(y), static_cast<int>(w),
                  static_cast<int>(h), g.rx, g.ry, g.rw, g.rh, image->imageData, info,
                  DIB_RGB_COLORS, SRCCOPY);
}

void DescribeImage(BITMAPINFO* info, const IplImage* image) {
    FillBitmapInfo(info, image->width, image->height, image->nChannels * 8, image->origin);
}

// The stretched path of the fitted drawings: stretch mode, bitmap block, StretchDIBits.
void StretchFitted(HDC dc, const IplImage* image, const DrawGeometry& g, int mode) {
    SetStretchBltMode(dc, mode);
    CvvBitmapInfo block;
    BITMAPINFO* info = reinterpret_cast<BITMAPINFO*>(&block);
    DescribeImage(info, image);
    StretchFitted(dc, image, g, info);
}

} // namespace

void CCvvImage::BlitAt(HDC dc, int x, int y, int width, int height, int fromX, int fromY) {
    // A zero-size image has no pixel to start from, and one without pixel data nothing to show.
    if (m_image == nullptr || m_image->depth != IPL_DEPTH_8U || m_image->imageData == nullptr ||
        m_image->width <= 0 || m_image->height <= 0)
        return;
    const int W = m_image->width;
    const int H = m_image->height;

    CvvBitmapInfo block;
    BITMAPINFO* info = reinterpret_cast<BITMAPINFO*>(&block);
    DescribeImage(info, m_image);

    fromX = std::min(std::max(fromX, 0), W - 1);
    fromY = std::min(std::max(fromY, 0), H - 1);
    const int w = std::max(std::min(width, W - fromX), 0);
    const int h = std::max(std::min(height, H - fromY), 0);

    const char* bits = m_image->imageData + static_cast<ptrdiff_t>(fromY) * m_image->widthStep;
    SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(w), static_cast<DWORD>(h), fromX, fromY,
                      static_cast<UINT>(fromY), static_cast<UINT>(h), bits, info, DIB_RGB_COLORS);
}

void CCvvImage::DrawFitted(HDC dc, RECT* destination) {
    DrawGeometry g;
    if (!StartRectangleDrawing(m_image, destination, g))
        return;
    StretchFitted(dc, m_image, g, HALFTONE);
}

void CCvvImage::DrawFittedNoUpscale(HDC dc, RECT* destination) {
    DrawGeometry g;
    if (!StartRectangleDrawing(m_image, destination, g))
        return;
    if (g.rw <= g.dw && g.rh <= g.dh) {
        BlitAt(dc, g.L + (g.dw - g.rw) / 2, g.T + (g.dh - g.rh) / 2, g.dw, g.dh, g.rx, g.ry);
        return;
    }
    StretchFitted(dc, m_image, g, g.rw > g.dw ? HALFTONE : COLORONCOLOR);
}

void CCvvImage::DrawStretched(HDC dc, RECT* destination) {
    DrawGeometry g;
    if (!StartRectangleDrawing(m_image, destination, g))
        return;
    if (g.rw == g.dw && g.rh == g.dh) {
        BlitAt(dc, g.L, g.T, g.dw, g.dh, g.rx, g.ry);
        return;
    }
    SetStretchBltMode(dc, g.rw > g.dw ? HALFTONE : COLORONCOLOR);
    CvvBitmapInfo block;
    BITMAPINFO* info = reinterpret_cast<BITMAPINFO*>(&block);
    DescribeImage(info, m_image);
    StretchDIBits(dc, g.L, g.T, g.dw, g.dh, g.rx, g.ry, g.rw, g.rh, m_image->imageData, info,
                  DIB_RGB_COLORS, SRCCOPY);
}

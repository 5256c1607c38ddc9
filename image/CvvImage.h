// CCvvImage: holds one OpenCV image in a layout GDI draws directly (8 bits per channel; 1, 3 or
// 4 channels; rows 4-byte aligned) and draws it into a device context without copying pixels.
#pragma once

#include "platform/cvshim/cv24.h"
#include "platform/windows.h"

// The bitmap information block of a drawing: the header and room for a 256-entry colour table.
struct CvvBitmapInfo {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[256];
};
static_assert(sizeof(CvvBitmapInfo) == 1064, "header and 256 colour entries");

// Describes a width x height image of bitsPerPixel to GDI: top-down when origin is 0,
// bottom-up otherwise; 8-bit images get a linear grey colour table.
void FillBitmapInfo(BITMAPINFO* info, int width, int height, int bitsPerPixel, int origin);

class CCvvImage {
public:
    // The largest width and height CreateBuffer accepts.
    static constexpr int kLargestSide = 9999;

    CCvvImage() = default;
    virtual ~CCvvImage();
    CCvvImage(const CCvvImage&) = delete;
    CCvvImage& operator=(const CCvvImage&) = delete;

    // Holds an image of exactly this size and format; keeps the held one (pixels and all) when
    // size and bits per pixel already match. Width and height 0..kLargestSide, bits 8, 24 or 32,
    // origin 0 or 1. True when an image is held afterwards.
    virtual bool CreateBuffer(int width, int height, int bitsPerPixel, int origin);
    // desiredColor: negative keeps the picture's kind, 0 asks for grey, positive for colour.
    virtual bool LoadFromFile(const char* fileName, int desiredColor);
    virtual bool LoadRegionFromFile(const char* fileName, int desiredColor, RECT region);
    virtual bool LoadRegionFromFile(const char* fileName, int desiredColor, CvRect region);
    virtual bool SaveToFile(const char* fileName);
    // Replaces the held picture by a converted copy of the source's region of interest.
    virtual void CopyFromImage(const IplImage* source, int desiredColor);
    virtual void CopyFromHolder(const CCvvImage& source, int desiredColor);
    virtual void ReleaseBuffer();
    // The colour's bytes, least significant first, go to channels 0, 1, 2, 3.
    virtual void FillWithColor(int colour);
    // 1:1 from image point (fromX, fromY) to (x, y), at most width x height, clipped to the image.
    virtual void BlitAt(HDC dc, int x, int y, int width, int height, int fromX, int fromY);
    virtual void ShowInWindow(const char* windowName);
    // Largest size with the aspect ratio kept, centred on the axis with room to spare.
    virtual void DrawFitted(HDC dc, RECT* destination);
    // As DrawFitted, but a picture that fits is drawn 1:1, centred.
    virtual void DrawFittedNoUpscale(HDC dc, RECT* destination);
    // Fills the rectangle; 1:1 when the sizes match.
    virtual void DrawStretched(HDC dc, RECT* destination);

    // The held image, null when empty; it stays owned by the holder.
    IplImage* Image() const { return m_image; }

protected:
    IplImage* m_image = nullptr;
};

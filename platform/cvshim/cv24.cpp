// The 2.4 image calls that OpenCV 4 dropped, rebuilt on its C++ interface.
#include "platform/cvshim/cv24.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <strings.h>

#include <string>

#include "platform/cvshim/picture_codecs.h"
#include "platform/cvshim/picture_file.h"

namespace {

// Any depth becomes 8 bits the way 2.4 scaled it: 16-bit values lose their low byte, floats
// in 0..1 spread over 0..255, everything else saturates.
cv::Mat ToEightBit(const cv::Mat& src) {
    if (src.depth() == CV_8U)
        return src;
    double scale = 1.0;
    if (src.depth() == CV_16U)
        scale = 1.0 / 256;
    else if (src.depth() == CV_32F || src.depth() == CV_64F)
        scale = 255.0;
    cv::Mat eight;
    src.convertTo(eight, CV_MAKETYPE(CV_8U, src.channels()), scale);
    return eight;
}

// The colour conversion code for src -> dst channel counts; -1 for a plain copy.
int ConversionCode(int srcChannels, int dstChannels, bool swapRB) {
    if (srcChannels == dstChannels && (srcChannels == 1 || !swapRB))
        return -1;
    if (srcChannels == 1)
        return dstChannels == 3 ? cv::COLOR_GRAY2BGR : cv::COLOR_GRAY2BGRA;
    if (dstChannels == 1)
        return srcChannels == 3 ? (swapRB ? cv::COLOR_RGB2GRAY : cv::COLOR_BGR2GRAY)
                                : (swapRB ? cv::COLOR_RGBA2GRAY : cv::COLOR_BGRA2GRAY);
    if (srcChannels == 3 && dstChannels == 4)
        return swapRB ? cv::COLOR_BGR2RGBA : cv::COLOR_BGR2BGRA;
    if (srcChannels == 4 && dstChannels == 3)
        return swapRB ? cv::COLOR_BGRA2RGB : cv::COLOR_BGRA2BGR;
    if (swapRB)
        return srcChannels == 3 ? cv::COLOR_BGR2RGB : cv::COLOR_BGRA2RGBA;
    return -1;
}

bool ValidChannels(int channels) {
    return channels == 1 || channels == 3 || channels == 4;
}

} // namespace

void cvConvertImage(const CvArr* srcArr, CvArr* dstArr, int flags) {
    CvSize srcSize = cvGetSize(srcArr);
    CvSize dstSize = cvGetSize(dstArr);
    if (srcSize.width != dstSize.width || srcSize.height != dstSize.height)
        CV_Error(cv::Error::StsUnmatchedSizes, "cvConvertImage: source and destination differ");
    if (srcSize.width == 0 || srcSize.height == 0)
        return;

    cv::Mat src = cv::cvarrToMat(srcArr);
    cv::Mat dst = cv::cvarrToMat(dstArr);
    if (!ValidChannels(src.channels()))
        CV_Error(cv::Error::BadNumChannels, "cvConvertImage: source must have 1, 3 or 4 channels");
    if (!ValidChannels(dst.channels()) || dst.depth() != CV_8U)
        CV_Error(cv::Error::BadNumChannels,
                 "cvConvertImage: destination must be 8-bit with 1, 3 or 4 channels");

    const bool swapRB = (flags & CV_CVTIMG_SWAP_RB) != 0;
    const bool flip = (flags & CV_CVTIMG_FLIP) != 0;
    cv::Mat eight = ToEightBit(src);
    uchar* const dstData = dst.data;

    // Converting an image into itself needs no work unless it is flipped.
    if (eight.data == dst.data && eight.step == dst.step && eight.type() == dst.type() && !swapRB) {
        if (flip)
            cv::flip(dst, dst, 0);
        return;
    }
    // Partly overlapping pixels would be read after they were written.
    cv::Mat from = eight;
    const uchar* dstEnd = dst.data + dst.step * (dst.rows - 1) + dst.cols * dst.elemSize();
    const uchar* srcEnd = from.data + from.step * (from.rows - 1) + from.cols * from.elemSize();
    if (from.data < dstEnd && dst.data < srcEnd)
        from = from.clone();

    int code = ConversionCode(from.channels(), dst.channels(), swapRB);
    if (code < 0)
        from.copyTo(dst);
    else
        cv::cvtColor(from, dst, code, dst.channels());
    if (dst.data != dstData)
        CV_Error(cv::Error::StsInternal, "cvConvertImage: destination was reallocated");
    if (flip)
        cv::flip(dst, dst, 0);
}

IplImage* cvLoadImage(const char* filename, int iscolor) {
    if (filename == nullptr || *filename == '\0')
        return nullptr;
    // Every picture is read at 8 bits; a side longer than this is refused unread.
    constexpr int kLargestSide = 16384;
    const int flags = iscolor < 0 ? -1 : (iscolor & 1);
    const cv::Mat picture = platform::ReadPictureFile(filename, flags, kLargestSide);
    if (picture.empty())
        return nullptr;
    IplImage* image =
        cvCreateImage(cvSize(picture.cols, picture.rows), IPL_DEPTH_8U, picture.channels());
    cv::Mat rows = cv::cvarrToMat(image);
    picture.copyTo(rows);
    return image;
}

int cvSaveImage(const char* filename, const CvArr* image, const int* /*params*/) {
    // PNG alone is written; the name must say so.
    const std::string name = filename != nullptr ? filename : "";
    if (name.size() < 4 || strcasecmp(name.c_str() + name.size() - 4, ".png") != 0)
        return 0;
    cv::Mat pixels = ToEightBit(cv::cvarrToMat(image));
    // A bottom-up image is stored top row first, as a viewer shows it.
    if (CV_IS_IMAGE(image) && static_cast<const IplImage*>(image)->origin != IPL_ORIGIN_TL) {
        cv::Mat upright;
        cv::flip(pixels, upright, 0);
        pixels = upright;
    }
    return platform::WritePngFile(name, pixels) ? 1 : 0;
}

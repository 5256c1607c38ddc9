// The OpenCV 2.4 C interface the system uses. OpenCV 4.6's core and imgproc still have most of
// it (image headers, cvCreateImage, cvSet, cvPutText, cvIplImage for a Mat header); the calls
// it dropped or keeps in modules we do not link are provided here with their 2.4 behaviour
// (the HighGUI ones in highgui_shim.h).
#pragma once

#include <opencv2/core/core_c.h>
#include <opencv2/imgproc/imgproc_c.h>

#define CV_CVTIMG_FLIP 1
#define CV_CVTIMG_SWAP_RB 2

#define CV_LOAD_IMAGE_UNCHANGED -1
#define CV_LOAD_IMAGE_GRAYSCALE 0
#define CV_LOAD_IMAGE_COLOR 1

// Converts src into dst (each through its region of interest, which must be of one size):
// grey, BGR and BGRA channel layouts into one another, 8-bit depth; CV_CVTIMG_FLIP flips
// vertically, CV_CVTIMG_SWAP_RB swaps red and blue.
void cvConvertImage(const CvArr* src, CvArr* dst, int flags = 0);

// Loads a picture file (JPEG, PNG, BMP or PNM, at most 16384 pixels a side) into a new
// 8-bit image the caller frees with cvReleaseImage; null when the file is missing or cannot be
// decoded. iscolor: <0 as stored (1, 3 or 4 channels), 0 grey, >0 3-channel colour.
IplImage* cvLoadImage(const char* filename, int iscolor = CV_LOAD_IMAGE_COLOR);

// Saves the image (its region of interest, 1, 3 or 4 channels) as a PNG file; a name that does
// not end in .png is refused. Returns nonzero on success.
int cvSaveImage(const char* filename, const CvArr* image, const int* params = nullptr);

// Picture files: sizes read from headers before anything is decoded, every accepted format
// decoded to the pixels it holds, damaged files refused without a read past their end, the
// JPEG DCT scale chosen for the area, and an unchanged file not decoded twice.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include <opencv2/imgproc.hpp>
#include <iterator>

#include "platform/cvshim/cv24.h"
#include "platform/cvshim/picture_codecs.h"
#include "platform/cvshim/picture_file.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string Temp(const std::string& name) {
    return ::testing::TempDir() + "picture-file-" + name;
}

Bytes FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

void Put(Bytes& b, uint32_t value, int count) { // little-endian
    for (int i = 0; i < count; ++i)
        b.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A 24-bit bottom-up BMP, written field by field.
Bytes Bmp(const cv::Mat& bgr) {
    const uint32_t stride = (bgr.cols * 3 + 3) & ~3u;
    Bytes b = {'B', 'M'};
    Put(b, 54 + stride * bgr.rows, 4), Put(b, 0, 4), Put(b, 54, 4);
    Put(b, 40, 4), Put(b, bgr.cols, 4), Put(b, bgr.rows, 4), Put(b, 1, 2), Put(b, 24, 2);
    Put(b, 0, 4), Put(b, stride * bgr.rows, 4);
    b.resize(b.size() + 16, 0); // resolution and palette counts
    for (int y = bgr.rows - 1; y >= 0; --y) {
        b.insert(b.end(), bgr.ptr(y), bgr.ptr(y) + bgr.cols * 3);
        b.resize(b.size() + stride - bgr.cols * 3, 0);
    }
    return b;
}

// A PNM file: P6 (binary RGB), P3 (text RGB) or P5 (binary grey, from the blue channel).
Bytes Pnm(const cv::Mat& bgr, char kind) {
    const std::string header = std::string("P") + kind + "\n# made by a test\n" +
                               std::to_string(bgr.cols) + " " + std::to_string(bgr.rows) +
                               "\n255\n";
    Bytes b(header.begin(), header.end());
    for (int y = 0; y < bgr.rows; ++y)
        for (int x = 0; x < bgr.cols; ++x) {
            const cv::Vec3b p = bgr.at<cv::Vec3b>(y, x);
            for (int c : kind == '5' ? std::vector<int>{0} : std::vector<int>{2, 1, 0}) {
                if (kind == '3') {
                    const std::string word = std::to_string(p[c]) + " ";
                    b.insert(b.end(), word.begin(), word.end());
                } else {
                    b.push_back(p[c]);
                }
            }
        }
    return b;
}

Bytes Png(const cv::Mat& picture) {
    const std::string path = Temp("encode.png");
    EXPECT_TRUE(platform::WritePngFile(path, picture));
    return FileBytes(path);
}

// Smooth colours, so a JPEG of it stays within a few levels.
cv::Mat Picture() {
    cv::Mat bgr(23, 37, CV_8UC3);
    for (int y = 0; y < bgr.rows; ++y)
        for (int x = 0; x < bgr.cols; ++x)
            bgr.at<cv::Vec3b>(y, x) = cv::Vec3b(uint8_t(x * 6), uint8_t(y * 10), 200);
    return bgr;
}

struct Encoded {
    const char* name;
    Bytes bytes;
    double tolerance; // the largest difference from the source picture, per sample
};

std::vector<Encoded> EveryFormat() {
    const cv::Mat bgr = Picture();
    return {{"jpeg", platform::EncodeJpeg(bgr, 95), 12},
            {"png", Png(bgr), 0},

            {"bmp", Bmp(bgr), 0},
            {"ppm", Pnm(bgr, '6'), 0},
            {"ppm text", Pnm(bgr, '3'), 0}};
}

double Difference(const cv::Mat& a, const cv::Mat& b) {
    return cv::norm(a, b, cv::NORM_INF);
}

TEST(PictureHeader, GivesTheSizeOfEveryAcceptedFormatAndNothingForACutOne) {
    for (const Encoded& e : EveryFormat()) {
        const auto size = platform::PictureSizeFromHeader(e.bytes.data(), e.bytes.size());
        ASSERT_TRUE(size.has_value()) << e.name;
        EXPECT_EQ(*size, cv::Size(37, 23)) << e.name;
        // Every shorter prefix: a size only when the header is whole, and never another one.
        for (size_t cut = 0; cut < std::min<size_t>(e.bytes.size(), 700); ++cut) {
            const auto part = platform::PictureSizeFromHeader(e.bytes.data(), cut);
            if (part) {
                EXPECT_EQ(*part, cv::Size(37, 23)) << e.name << " cut at " << cut;
            }
        }
    }
}

TEST(PictureHeader, OtherContentHasNoSize) {
    const std::string webp("RIFF\x1a\0\0\0WEBPVP8X\n\0\0\0\0\0\0\0\x1f\0\0\x1f\0\0", 30);
    for (const std::string& text :
         {std::string(), std::string("GIF89a"), std::string("II*\0", 4), std::string("P7\n4 4\n"),
          std::string("BM"), std::string("\xFF\xD8\xFF\xD9"), webp}) {
        EXPECT_FALSE(platform::PictureSizeFromHeader(reinterpret_cast<const uint8_t*>(text.data()),
                                                     text.size())
                         .has_value())
            << text;
    }
}

TEST(PictureDecode, EveryFormatGivesItsPixelsInTheChannelsAskedFor) {
    const cv::Mat bgr = Picture();
    cv::Mat grey;
    cv::extractChannel(bgr, grey, 0);
    std::vector<Encoded> formats = EveryFormat();
    formats.push_back({"pgm", Pnm(bgr, '5'), 0});
    for (const Encoded& e : formats) {
        const bool stored_grey = std::string(e.name) == "pgm";
        const cv::Mat colour = platform::DecodePicture(e.bytes.data(), e.bytes.size(), 1, 100);
        ASSERT_EQ(colour.type(), CV_8UC3) << e.name;
        cv::Mat expected = bgr;
        if (stored_grey)
            cv::merge(std::vector<cv::Mat>{grey, grey, grey}, expected);
        EXPECT_LE(Difference(colour, expected), e.tolerance) << e.name;
        const cv::Mat asGrey = platform::DecodePicture(e.bytes.data(), e.bytes.size(), 0, 100);
        EXPECT_EQ(asGrey.type(), CV_8UC1) << e.name;
        const cv::Mat stored = platform::DecodePicture(e.bytes.data(), e.bytes.size(), -1, 100);
        EXPECT_EQ(stored.channels(), stored_grey ? 1 : 3) << e.name;
        // The bound applies to every format, before decoding.
        EXPECT_TRUE(platform::DecodePicture(e.bytes.data(), e.bytes.size(), 1, 36).empty())
            << e.name;
    }
    // PNG keeps alpha when asked for the picture as stored, and drops it for colour.
    cv::Mat bgra;
    cv::merge(std::vector<cv::Mat>{bgr, cv::Mat(bgr.size(), CV_8UC1, cv::Scalar(77))}, bgra);
    const Bytes png = Png(bgra);
    EXPECT_EQ(Difference(platform::DecodePicture(png.data(), png.size(), -1, 100), bgra), 0);
    EXPECT_EQ(Difference(platform::DecodePicture(png.data(), png.size(), 1, 100), bgr), 0);
}

// Cut short, or with bytes overwritten: an empty picture or one of the header's size, never a
// read past the end (the sanitizer builds catch one) and never a crash.
TEST(PictureDecode, DamagedFilesGiveAnEmptyPictureOrTheirSize) {
    for (const Encoded& e : EveryFormat()) {
        const size_t step = std::max<size_t>(1, e.bytes.size() / 150);
        for (size_t cut = 0; cut < e.bytes.size(); cut += step) {
            const Bytes part(e.bytes.begin(), e.bytes.begin() + static_cast<long>(cut));
            const cv::Mat p = platform::DecodePicture(part.data(), part.size(), 1, 100);
            EXPECT_TRUE(p.empty() || p.size() == cv::Size(37, 23)) << e.name << " cut " << cut;
        }
        for (size_t at = 0; at < e.bytes.size(); at += step) {
            Bytes spoilt = e.bytes;
            spoilt[at] ^= 0xA5;
            const cv::Mat p = platform::DecodePicture(spoilt.data(), spoilt.size(), 1, 100);
            EXPECT_TRUE(p.empty() || (p.cols <= 100 && p.rows <= 100)) << e.name << " at " << at;
        }
    }
}

TEST(PictureDecode, AJpegIsDecodedAtTheSmallestScaleThatCoversTheArea) {
    struct Case {
        cv::Size picture, cover;
        int eighths;
    };
    for (const Case& c : std::vector<Case>{{{940, 750}, {880, 495}, 8}, // the shipped picture
                                           {{800, 600}, {100, 100}, 1},
                                           {{800, 600}, {200, 100}, 2},
                                           {{800, 600}, {101, 76}, 2},
                                           {{800, 600}, {400, 1}, 1},
                                           {{800, 600}, {400, 600}, 4},
                                           {{800, 600}, {401, 301}, 8},
                                           {{800, 600}, {0, 0}, 8},
                                           {{9999, 9999}, {1920, 1080}, 1},
                                           {{9999, 9999}, {2499, 9999}, 2}}) {
        EXPECT_EQ(platform::JpegScaleEighths(c.picture, c.cover), c.eighths)
            << c.picture << " into " << c.cover;
    }
    const Bytes jpeg = platform::EncodeJpeg(cv::Mat(600, 800, CV_8UC3, cv::Scalar(1, 2, 3)), 80);
    EXPECT_EQ(platform::DecodePicture(jpeg.data(), jpeg.size(), 1, 9999, {200, 100}).size(),
              cv::Size(200, 150));
}

TEST(PictureFile, ReadsAPictureWithinTheBoundAndRefusesALargerOne) {
    const std::string path = Temp("bound.png");
    platform::WritePngFile(path, cv::Mat(5, 120, CV_8UC3, cv::Scalar(1, 2, 3)));
    EXPECT_EQ(platform::ReadPictureFile(path, 1, 120).size(), cv::Size(120, 5));
    EXPECT_TRUE(platform::ReadPictureFile(path, 1, 119).empty());
    EXPECT_TRUE(platform::ReadPictureFile(path + ".missing", 1, 120).empty());
    EXPECT_TRUE(platform::ReadPictureFile("/dev/zero", 1, 120).empty());
}

TEST(PictureFile, AnUnchangedFileIsDecodedOnceAndAChangedOneAgain) {
    const std::string path = Temp("kept.png");
    ASSERT_TRUE(platform::WritePngFile(path, cv::Mat(8, 8, CV_8UC3, cv::Scalar(1, 2, 3))));
    const cv::Mat first = platform::ReadPictureFile(path, 1, 100);
    EXPECT_EQ(platform::ReadPictureFile(path, 1, 100).data, first.data);
    // The same size, written over in place: the times tell.
    ASSERT_TRUE(platform::WritePngFile(path, cv::Mat(8, 8, CV_8UC3, cv::Scalar(4, 5, 6))));
    EXPECT_EQ(platform::ReadPictureFile(path, 1, 100).at<cv::Vec3b>(0, 0), cv::Vec3b(4, 5, 6));
}

TEST(PictureFile, ImagesAreSavedAsPngAlone) {
    const cv::Mat bgr = Picture();
    IplImage image = cvIplImage(bgr);
    EXPECT_EQ(cvSaveImage(Temp("saved.jpg").c_str(), &image), 0);
    ASSERT_NE(cvSaveImage(Temp("saved.png").c_str(), &image), 0);
    IplImage* loaded = cvLoadImage(Temp("saved.png").c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(Difference(cv::cvarrToMat(loaded), bgr), 0);
    cvReleaseImage(&loaded);
    EXPECT_EQ(cvSaveImage(Temp("no-such-folder/saved.png").c_str(), &image), 0);
}

} // namespace

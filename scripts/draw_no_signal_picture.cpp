// Draws res/dis.jpg, the no-signal picture: a USB HDMI capture dongle on black, its HDMI cable
// pulled out and crossed in red. Build and run by hand:
//   g++ -std=c++20 -I/usr/include/opencv4 scripts/draw_no_signal_picture.cpp \
//       -lopencv_core -lopencv_imgproc -lturbojpeg -o /tmp/draw && /tmp/draw res/dis.jpg
#include <turbojpeg.h>

#include <cstdio>

#include <opencv2/imgproc.hpp>

namespace {

// Baseline JPEG, quality 90, colour subsampled 2x2.
bool WriteJpeg(const char* path, const cv::Mat& bgr) {
    tjhandle handle = tjInitCompress();
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    bool ok = handle && tjCompress2(handle, bgr.data, bgr.cols, static_cast<int>(bgr.step),
                                    bgr.rows, TJPF_BGR, &bytes, &size, TJSAMP_420, 90, 0) == 0;
    if (ok) {
        FILE* file = std::fopen(path, "wb");
        ok = file && std::fwrite(bytes, 1, size, file) == size;
        ok = file && std::fclose(file) == 0 && ok;
    }
    tjFree(bytes);
    if (handle)
        tjDestroy(handle);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    const cv::Scalar body(70, 70, 70), edge(150, 150, 150), metal(190, 190, 200);
    const cv::Scalar cable(40, 40, 40), label(230, 230, 230), red(30, 30, 230);
    cv::Mat picture(750, 940, CV_8UC3, cv::Scalar(0, 0, 0));
    const int aa = cv::LINE_AA;

    // The dongle: a rounded body with a USB plug on the left and an HDMI socket on the right.
    cv::rectangle(picture, {150, 300, 330, 150}, body, cv::FILLED, aa);
    cv::rectangle(picture, {150, 300, 330, 150}, edge, 3, aa);
    cv::rectangle(picture, {60, 335, 90, 80}, metal, cv::FILLED, aa);
    cv::rectangle(picture, {75, 355, 60, 14}, body, cv::FILLED, aa);
    cv::rectangle(picture, {75, 381, 60, 14}, body, cv::FILLED, aa);
    cv::putText(picture, "HDMI", {225, 360}, cv::FONT_HERSHEY_DUPLEX, 1.4, label, 2, aa);
    cv::putText(picture, "CAPTURE", {214, 410}, cv::FONT_HERSHEY_DUPLEX, 1.0, label, 2, aa);
    const std::vector<cv::Point> socket{{480, 340}, {505, 340}, {505, 410}, {480, 410}};
    cv::fillPoly(picture, socket, cv::Scalar(20, 20, 20), aa);

    // The HDMI plug, pulled away from the socket, with its cable running off to the right.
    const std::vector<cv::Point> plug{{610, 345}, {680, 335}, {680, 415}, {610, 405}};
    cv::fillPoly(picture, plug, metal, aa);
    cv::rectangle(picture, {680, 325, 70, 100}, cable, cv::FILLED, aa);
    cv::rectangle(picture, {680, 325, 70, 100}, edge, 2, aa);
    std::vector<cv::Point> wire;
    for (int x = 750; x <= 940; x += 5)
        wire.emplace_back(x, 375 + static_cast<int>(40 * std::sin((x - 750) / 45.0)));
    cv::polylines(picture, wire, false, cable, 26, aa);
    cv::polylines(picture, wire, false, edge, 2, aa);

    // The red cross over the gap.
    cv::line(picture, {510, 310}, {600, 440}, red, 14, aa);
    cv::line(picture, {600, 310}, {510, 440}, red, 14, aa);

    return WriteJpeg(argc > 1 ? argv[1] : "res/dis.jpg", picture) ? 0 : 1;
}

// A test dongle: a preloaded (or linked) library that makes /dev/video0 answer the V4L2 calls
// of our capture as a uvcvideo USB HDMI capture device would, with a metadata node at
// /dev/video1. Nothing happens until it is given a device table, through the environment
// variable VISTREL_DONGLE (a child process) or Configure (this process).
//
// The table: entries separated by ';' or new lines, each one of
//   card NAME                          the card name (default "USB3.0 HDMI Capture")
//   FOURCC WxH FPS [FPS...]            a discrete size and its rates, fastest first
//   FOURCC WxH-WxH/SWxSH FPS [FPS...]  a stepwise range of sizes, each with these rates
//   quiet AFTER FOR                    no frames from AFTER to AFTER+FOR seconds after the
//                                      first STREAMON
//   log PATH                           also append each recorded call to the file PATH
//   content natural                    MJPG frames of photo-like content (dongle_natural.cpp)
//                                      instead of the pattern
//   content flash                      black frames, and a white one after each Flash()
//   damage KIND EVERY                  every EVERY-th frame damaged: "error" (the buffer is
//                                      marked V4L2_BUF_FLAG_ERROR), "empty" (no bytes),
//                                      "truncated" (MJPG cut to half), "wrongsize" (MJPG at
//                                      half the granted size)
//   burst N T                          N frames 1 ms apart every T ms instead of the rate
//   deny                               open() fails with EACCES (no access to the node)
//   busy                               S_FMT, REQBUFS and STREAMON fail with EBUSY, as
//                                      uvcvideo answers while another program streams
//   eio once|always                    DQBUF fails with EIO: the third one only, or every one
//   slow MS                            every ioctl takes MS milliseconds
//   cache DIR                          keep the encoded pictures in the folder DIR and read
//                                      them from there in later runs (for timing start-up;
//                                      empty it after changing the pictures)
//   plugged-while PATH                 plugged in only while the file PATH exists (looked at
//                                      every 10 ms): another process unplugs and replugs it
// Frames are a moving pattern: YUYV is filled in, MJPG is JPEG-encoded with TurboJPEG, all
// before the stream starts (at its first STREAMON in a mode), so no encoding is measured.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cv {
class Mat;
}

namespace dongle {

// Replaces the device by the one `table` describes, plugged in; open handles stay open.
void Configure(const std::string& table);
// No frames for `seconds` from now (uvcvideo with its source switched off).
void GoQuiet(double seconds);
// Unplugged: open handles fail every call with ENODEV and poll reports POLLERR; the nodes are
// gone. Replug brings the nodes back; handles from before stay dead, as in the kernel.
void Unplug();
void Replug();

// The calls that set the device up, in order: "open /dev/video0", "S_FMT MJPG 1920x1080",
// "S_PARM 60", "REQBUFS 4", "STREAMON", "close capture node", ... (not the per-frame ones).
std::vector<std::string> Calls();
void ClearCalls();
// Handles on the nodes that are open now.
int OpenHandles();

// Frames filled into a queued buffer, and frames due while no buffer was queued (for the
// pump's benchmark).
struct Stats {
    uint64_t framesProduced = 0, framesDropped = 0;
    uint64_t ioctls = 0; // every ioctl on the nodes, answered or not
};
Stats GetStats();

// Content flash: the next frame filled is white. FlashedMs: the capture timestamps
// (CLOCK_MONOTONIC, ms) of the white frames filled so far.
void Flash();
std::vector<double> FlashedMs();

// Whether a BGR picture shows the pattern whole: its green and its magenta half each nearly
// fill their half (a frame cut short is grey below the cut).
bool ShowsPattern(const cv::Mat& picture);

} // namespace dongle

// The Debian package as a user gets it: built by CPack from the build tree, listed, checked by
// lintian, its manual page rendered, its desktop entry and AppStream data checked by the
// validators, unpacked into a temporary root and the unpacked program started through
// /usr/bin/vistrel on an X display with no capture device.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <opencv2/imgproc.hpp>

#include "platform/cvshim/picture_file.h"

#include "tests/support/dialog_harness.h"
#include "tests/support/viewer_process.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace testing_support;

const std::string kPackageName = "vistrel_1.2.6_amd64.deb";
const std::string kMetainfo = "usr/share/metainfo/org.vistrel.vistrel.metainfo.xml";
const std::string kDesktopEntry = "usr/share/applications/vistrel.desktop";
const std::string kPicture = "usr/lib/vistrel/res/dis.jpg";

struct Result {
    int status = -1;
    std::string output; // standard output and error
};

Result Command(const std::string& command) {
    Result result;
    result.output = Shell(command + " 2>&1", &result.status);
    return result;
}

bool HasCaptureDevice() {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/sys/class/video4linux", error)) {
        std::ifstream name(entry.path() / "name");
        std::string text((std::istreambuf_iterator<char>(name)), {});
        if (text.find("HDMI Capture") != std::string::npos)
            return true;
    }
    return false;
}

// The viewer's client area on the screen, once `ready` holds for it.
cv::Mat ViewerPixels(ViewerProcess& viewer, const std::function<bool(const cv::Mat&)>& ready) {
    const std::string id = viewer.window();
    if (id.empty())
        return {};
    const Geometry g = viewer.geometry(id);
    const cv::Rect area(g.x, g.y, g.width, g.height);
    cv::Mat screen = ScreenshotWhen([&](const cv::Mat& s) {
        return (area & cv::Rect(0, 0, s.cols, s.rows)) == area && ready(s(area));
    });
    if (screen.empty() || (area & cv::Rect(0, 0, screen.cols, screen.rows)) != area)
        return {};
    return screen(area).clone();
}

// Where the picture lands in a client area: fitted with its aspect ratio kept, never enlarged,
// centred.
cv::Rect FittedPicture(cv::Size picture, cv::Size area) {
    const double scale =
        std::min({1.0, double(area.width) / picture.width, double(area.height) / picture.height});
    const cv::Size size(int(picture.width * scale), int(picture.height * scale));
    return {(area.width - size.width) / 2, (area.height - size.height) / 2, size.width,
            size.height};
}

// Mean difference per channel between the picture fitted into `shown`'s area and what is shown.
double DifferenceFromPicture(const cv::Mat& shown, const cv::Mat& picture) {
    const cv::Rect where = FittedPicture(picture.size(), shown.size());
    cv::Mat expected;
    cv::resize(picture, expected, where.size(), 0, 0, cv::INTER_AREA);
    // The inner part only: the edges depend on how the drawing rounds the fitted size.
    const cv::Rect inner(where.width / 10, where.height / 10, where.width * 8 / 10,
                         where.height * 8 / 10);
    const cv::Scalar difference = cv::mean(cv::abs(shown(where)(inner) - expected(inner)) +
                                           cv::abs(expected(inner) - shown(where)(inner)));
    return (difference[0] + difference[1] + difference[2]) / 3;
}

int GreenPixels(const cv::Mat& shown) {
    cv::Mat green;
    cv::inRange(shown, cv::Scalar(0, 150, 0), cv::Scalar(100, 255, 100), green);
    return cv::countNonZero(green);
}

class DebianPackage : public testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = TempPath("package-" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        packing = Command(std::string(VISTREL_CPACK) + " -G DEB -B " + folder + " --config " +
                          VISTREL_BINARY_DIR "/CPackConfig.cmake");
        package = folder + "/" + kPackageName;
        root = folder + "/root";
        Command("dpkg-deb -x " + package + " " + root);
    }
    static void TearDownTestSuite() { fs::remove_all(folder); }

    void SetUp() override {
        ASSERT_EQ(packing.status, 0) << packing.output;
        ASSERT_TRUE(fs::exists(package)) << packing.output;
    }

    static inline std::string folder, package, root;
    static inline Result packing;
};

TEST_F(DebianPackage, ListsProgramPictureDesktopEntryIconAndMetainfo) {
    const std::string listing = Command("dpkg-deb -c " + package).output;
    for (const std::string& entry : std::vector<std::string>{
             "./usr/lib/vistrel/vistrel", "./" + kPicture,
             "./usr/bin/vistrel -> ../lib/vistrel/vistrel", "./" + kDesktopEntry,
             "./usr/share/icons/hicolor/64x64/apps/vistrel.png",
             "./usr/share/icons/hicolor/128x128/apps/vistrel.png", "./" + kMetainfo,
             "./usr/share/man/man1/vistrel.1.gz", "./usr/share/doc/vistrel/copyright",
             "./usr/share/doc/vistrel/changelog.gz"})
        EXPECT_NE(listing.find(entry), std::string::npos) << entry << " in\n" << listing;

    // The run-time libraries are declared, so apt brings them on a machine without them.
    const std::string depends = Command("dpkg-deb -f " + package + " Depends").output;
    for (const char* library :
         {"libopencv-core406", "libopencv-imgproc406", "libturbojpeg0", "libpng16-16",
          "libsdl2-2.0-0", "libudev1", "libsystemd0", "libpulse0"})
        EXPECT_NE(depends.find(library), std::string::npos) << library << " in " << depends;
    // OpenCV's core and imgproc only: HighGUI would bring a GUI toolkit for windows the program
    // never opens, videoio FFmpeg and GStreamer, imgcodecs GDAL.
    for (const char* module : {"libopencv-highgui", "libopencv-videoio", "libopencv-imgcodecs"})
        EXPECT_EQ(depends.find(module), std::string::npos) << module << " in " << depends;
}

TEST_F(DebianPackage, DesktopEntryAndMetainfoPassTheValidatorsAndAgree) {
    const Result desktop = Command("desktop-file-validate " + root + "/" + kDesktopEntry);
    EXPECT_EQ(desktop.status, 0) << desktop.output;
    EXPECT_EQ(desktop.output, "") << "hints and warnings count too";
    const Result metainfo = Command("appstreamcli validate --no-net " + root + "/" + kMetainfo);
    EXPECT_EQ(metainfo.status, 0) << metainfo.output;

    std::ifstream entryFile(root + "/" + kDesktopEntry);
    const std::string entry((std::istreambuf_iterator<char>(entryFile)), {});
    EXPECT_NE(entry.find("\nName=Vistrel\n"), std::string::npos);
    EXPECT_NE(entry.find("\nCategories=AudioVideo;Video;\n"), std::string::npos);
    // What the entry names is in the package: the icon in the theme, the program on PATH.
    EXPECT_NE(entry.find("\nIcon=vistrel\n"), std::string::npos);
    EXPECT_FALSE(
        platform::ReadPictureFile(root + "/usr/share/icons/hicolor/64x64/apps/vistrel.png", 1, 9999)
            .empty());
    EXPECT_NE(entry.find("\nExec=vistrel\n"), std::string::npos);
    std::ifstream metainfoFile(root + "/" + kMetainfo);
    const std::string xml((std::istreambuf_iterator<char>(metainfoFile)), {});
    EXPECT_NE(xml.find("<launchable type=\"desktop-id\">vistrel.desktop</launchable>"),
              std::string::npos);
}

// Debian's own checks find nothing to report (neither errors nor warnings), and the manual
// page renders without a complaint, with its sections.
TEST_F(DebianPackage, PassesLintianAndItsManualPageRenders) {
    const Result lintian = Command("lintian --fail-on error,warning " + package);
    EXPECT_EQ(lintian.status, 0) << lintian.output;
    EXPECT_EQ(lintian.output.find("W: "), std::string::npos) << lintian.output;
    EXPECT_EQ(lintian.output.find("E: "), std::string::npos) << lintian.output;

    const std::string page = root + "/usr/share/man/man1/vistrel.1.gz";
    const Result man = Command("MANWIDTH=80 man --warnings -l " + page);
    EXPECT_EQ(man.status, 0) << man.output;
    for (const char* part : {"NAME", "SYNOPSIS", "DESCRIPTION", "ENVIRONMENT", "EXIT STATUS",
                             "FILES", "vistrel - viewer for USB HDMI capture devices",
                             "VISTREL_BACKEND", "No signal from the HDMI source"})
        EXPECT_NE(man.output.find(part), std::string::npos) << part << " in\n" << man.output;
    EXPECT_EQ(man.output.find("warning"), std::string::npos) << man.output;
}

TEST_F(DebianPackage, UnpackedProgramShowsTheNoSignalPictureItInstalled) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display";
    if (HasCaptureDevice())
        GTEST_SKIP() << "a capture device is plugged in: the viewer would show its picture";
    const cv::Mat picture = platform::ReadPictureFile(root + "/" + kPicture, 1, 9999);
    ASSERT_FALSE(picture.empty());
    // Started through the link in bin, as a desktop starts it: the program must find res/
    // beside its real location.
    const std::string program = root + "/usr/bin/vistrel";
    {
        ViewerProcess viewer(program, {});
        ASSERT_TRUE(viewer.started());
        const cv::Mat shown = ViewerPixels(
            viewer, [&](const cv::Mat& area) { return DifferenceFromPicture(area, picture) < 12; });
        ASSERT_FALSE(shown.empty()) << "the viewer's window did not appear";
        EXPECT_LT(DifferenceFromPicture(shown, picture), 12) << "the picture, fitted and centred";
        const cv::Rect where = FittedPicture(picture.size(), shown.size());
        if (where.x > 4) {
            const cv::Mat band = shown(cv::Rect(0, 0, where.x - 2, shown.rows));
            EXPECT_EQ(cv::countNonZero(band.reshape(1)), 0) << "black beside the picture";
        }
    }
    // Without the installed picture only the green "No Input Signal" text is left: the picture
    // came from the package's res folder.
    fs::remove(root + "/" + kPicture);
    ViewerProcess viewer(program, {});
    const cv::Mat shown =
        ViewerPixels(viewer, [](const cv::Mat& area) { return GreenPixels(area) > 100; });
    ASSERT_FALSE(shown.empty()) << "the viewer's window did not appear";
    EXPECT_GT(GreenPixels(shown), 100) << "the green no-signal text";
    cv::Mat blackOrGreen;
    cv::inRange(shown, cv::Scalar(0, 0, 0), cv::Scalar(30, 255, 30), blackOrGreen);
    EXPECT_EQ(cv::countNonZero(blackOrGreen), shown.rows * shown.cols) << "no picture";
}

} // namespace

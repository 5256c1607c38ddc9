#include <filesystem>
#include <thread>

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>

#include "simulated_fixture.h"

namespace {

using namespace std::chrono_literals;
using platform::SimulatedFault;
using platform::SimulatedInput;
using platform::SimulatedInputStats;
using platform::SimulatedPicture;

class SimulatedSourceTest : public SimulatedInputsTest {
protected:
    void add(int index, SimulatedPicture picture, SimulatedFault fault = SimulatedFault::None,
             int afterFrames = 0) {
        SimulatedInput input;
        input.friendlyName = u"Sim";
        input.picture = std::move(picture);
        input.fault = fault;
        input.faultAfterFrames = afterFrames;
        sim->setInput(index, input);
    }
    bool readsInProgress(int index, int count) {
        return sim->waitFor(
            index, [&](const SimulatedInputStats& s) { return s.readsInProgress == count; }, 5s);
    }
    std::filesystem::path tempPath(const std::string& name) {
        return std::filesystem::temp_directory_path() /
               (std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                std::to_string(reinterpret_cast<uintptr_t>(this)) + name);
    }
};

TEST_F(SimulatedSourceTest, PatternFramesAreBgrOfTheGivenSizeAndMove) {
    add(0, SimulatedPicture::Pattern(320, 180));
    auto source = sim->open(0);
    ASSERT_TRUE(source);
    cv::Mat first, second;
    ASSERT_TRUE(source->read(first));
    ASSERT_TRUE(source->read(second));
    EXPECT_EQ(first.type(), CV_8UC3);
    EXPECT_EQ(first.size(), cv::Size(320, 180));
    EXPECT_EQ(second.size(), cv::Size(320, 180));
    EXPECT_GT(cv::norm(first, second, cv::NORM_L1), 0.0);
    EXPECT_EQ(sim->stats(0).framesDelivered, 2u);
}

TEST_F(SimulatedSourceTest, TinyAndOddPatternSizesWork) {
    for (cv::Size size : {cv::Size(1, 1), cv::Size(3, 2), cv::Size(7, 500), cv::Size(999, 1)}) {
        add(0, SimulatedPicture::Pattern(size.width, size.height));
        auto source = sim->open(0);
        ASSERT_TRUE(source);
        cv::Mat frame;
        for (int i = 0; i < 10; ++i) {
            ASSERT_TRUE(source->read(frame));
            ASSERT_EQ(frame.size(), size);
        }
    }
}

TEST_F(SimulatedSourceTest, UnusablePicturesCannotBeOpened) {
    add(0, SimulatedPicture::Pattern(0, 10));
    add(1, SimulatedPicture::Pattern(100000, 100000));
    add(2, SimulatedPicture::Image("/nonexistent/picture.png"));
    add(3, SimulatedPicture::Video("/nonexistent/clip.avi"));
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(sim->open(i)) << i;
    EXPECT_FALSE(sim->open(4));
    EXPECT_EQ(sim->stats(0).opens, 0);
    EXPECT_EQ(sim->stats(0).openAttempts, 1);
}

TEST_F(SimulatedSourceTest, ImageFileFramesAreColourCopies) {
    const auto path = tempPath("grey.bmp");
    ASSERT_TRUE(cv::imwrite(path.string(), cv::Mat(30, 40, CV_8UC1, cv::Scalar(77))));
    add(0, SimulatedPicture::Image(path.string()));
    auto source = sim->open(0);
    std::filesystem::remove(path);
    ASSERT_TRUE(source);
    cv::Mat frame;
    ASSERT_TRUE(source->read(frame));
    EXPECT_EQ(frame.type(), CV_8UC3);
    EXPECT_EQ(frame.size(), cv::Size(40, 30));
    frame.setTo(cv::Scalar(0, 0, 0));
    ASSERT_TRUE(source->read(frame));
    EXPECT_EQ(frame.at<cv::Vec3b>(0, 0), cv::Vec3b(77, 77, 77));
}

TEST_F(SimulatedSourceTest, VideoFileLoops) {
    const auto path = tempPath("clip.avi");
    {
        cv::VideoWriter writer(path.string(), cv::CAP_OPENCV_MJPEG,
                               cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 10, cv::Size(64, 48));
        if (!writer.isOpened())
            GTEST_SKIP() << "no MJPEG writer";
        for (int i = 0; i < 3; ++i)
            writer.write(cv::Mat(48, 64, CV_8UC3, cv::Scalar(i * 80, 0, 0)));
    }
    add(0, SimulatedPicture::Video(path.string()));
    auto source = sim->open(0);
    if (!source) {
        std::filesystem::remove(path);
        GTEST_SKIP() << "no backend reads the MJPEG file";
    }
    cv::Mat frame;
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(source->read(frame)) << i;
        ASSERT_EQ(frame.type(), CV_8UC3);
        ASSERT_EQ(frame.size(), cv::Size(64, 48));
    }
    source.reset();
    std::filesystem::remove(path);
}

TEST_F(SimulatedSourceTest, FaultsStartAfterTheGivenNumberOfFrames) {
    add(0, SimulatedPicture::Pattern(8, 8), SimulatedFault::ReadFails, 2);
    add(1, SimulatedPicture::Pattern(8, 8), SimulatedFault::EmptyFrames, 1);
    add(2, SimulatedPicture::Pattern(8, 8), SimulatedFault::Throws);
    add(3, SimulatedPicture::Pattern(8, 8), SimulatedFault::OpenFails);
    cv::Mat frame;

    auto failing = sim->open(0);
    ASSERT_TRUE(failing);
    EXPECT_TRUE(failing->read(frame));
    EXPECT_TRUE(failing->read(frame));
    EXPECT_FALSE(failing->read(frame));
    EXPECT_FALSE(failing->read(frame));

    auto empty = sim->open(1);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->read(frame));
    EXPECT_FALSE(frame.empty());
    EXPECT_TRUE(empty->read(frame));
    EXPECT_TRUE(frame.empty());

    auto throwing = sim->open(2);
    ASSERT_TRUE(throwing);
    EXPECT_THROW(throwing->read(frame), cv::Exception);
    EXPECT_EQ(sim->stats(2).readsInProgress, 0);

    EXPECT_FALSE(sim->open(3));

    // The count of frames before the fault starts again with every open.
    failing = sim->open(0);
    EXPECT_TRUE(failing->read(frame));
}

TEST_F(SimulatedSourceTest, BlockedReadEndsOnInterrupt) {
    add(0, SimulatedPicture::Pattern(8, 8), SimulatedFault::Blocks);
    auto source = sim->open(0);
    ASSERT_TRUE(source);
    bool result = true;
    std::thread reader([&] {
        cv::Mat frame;
        result = source->read(frame);
    });
    ASSERT_TRUE(readsInProgress(0, 1));
    source->interrupt();
    reader.join();
    EXPECT_FALSE(result);
    cv::Mat frame;
    EXPECT_FALSE(source->read(frame));
}

TEST_F(SimulatedSourceTest, UninterruptibleBlockEndsOnlyOnUnplugOrFaultChange) {
    add(0, SimulatedPicture::Pattern(8, 8), SimulatedFault::BlocksUninterruptibly);
    auto source = sim->open(0);
    ASSERT_TRUE(source);
    bool result = false;
    std::thread reader([&] {
        cv::Mat frame;
        result = source->read(frame);
    });
    ASSERT_TRUE(readsInProgress(0, 1));
    sim->setFault(0, SimulatedFault::None);
    reader.join();
    EXPECT_TRUE(result);
}

TEST_F(SimulatedSourceTest, PacedReadEndsEarlyOnInterrupt) {
    add(0, SimulatedPicture::Pattern(8, 8, 0.1));
    auto source = sim->open(0);
    ASSERT_TRUE(source);
    cv::Mat frame;
    ASSERT_TRUE(source->read(frame));
    bool result = true;
    std::thread reader([&] {
        cv::Mat next;
        result = source->read(next); // due ten seconds after the first
    });
    ASSERT_TRUE(readsInProgress(0, 1));
    source->interrupt();
    reader.join();
    EXPECT_FALSE(result);
}

TEST_F(SimulatedSourceTest, UnplugFailsReadsAndOpensUntilReplugged) {
    add(0, SimulatedPicture::Pattern(8, 8), SimulatedFault::Blocks);
    add(1, SimulatedPicture::Pattern(8, 8));
    auto blocked = sim->open(0);
    auto streaming = sim->open(1);
    bool blockedResult = true;
    std::thread reader([&] {
        cv::Mat frame;
        blockedResult = blocked->read(frame);
    });
    ASSERT_TRUE(readsInProgress(0, 1));
    sim->setPlugged(0, false);
    sim->setPlugged(1, false);
    reader.join();
    EXPECT_FALSE(blockedResult);
    cv::Mat frame;
    EXPECT_FALSE(streaming->read(frame));
    EXPECT_FALSE(sim->open(1));
    EXPECT_TRUE(sim->listInputs().empty());

    sim->setPlugged(1, true);
    EXPECT_FALSE(streaming->read(frame)); // a node opened before the unplug stays dead
    auto fresh = sim->open(1);
    ASSERT_TRUE(fresh);
    EXPECT_TRUE(fresh->read(frame));
    EXPECT_EQ(sim->listInputs().size(), 2u);
}

TEST_F(SimulatedSourceTest, ListingCarriesNamesAndBindability) {
    SimulatedInput odd;
    odd.description = std::u16string(300, u'\u0141');
    odd.bindable = false;
    sim->setInput(1, odd);
    sim->setInput(3, SimulatedInput::Named(platform::SimulatedName("Cam\xC3\xA9")));
    sim->setInput(4, SimulatedInput{});
    sim->setPlugged(4, false);
    const auto inputs = sim->listInputs();
    ASSERT_EQ(inputs.size(), 4u);
    EXPECT_EQ(inputs[0].friendlyName, u"");
    EXPECT_FALSE(inputs[1].bindable);
    EXPECT_EQ(inputs[1].description->size(), 300u);
    EXPECT_FALSE(inputs[1].friendlyName);
    EXPECT_EQ(inputs[3].friendlyName, u"Cam\u00E9");
    EXPECT_FALSE(inputs[3].description);
}

} // namespace

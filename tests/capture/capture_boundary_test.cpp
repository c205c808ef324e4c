// The capture thread against a driver that labels every frame with what it
// was programmed with (tests/capture/ProbeDriver.cpp): the rules at the
// driver boundary hold whatever the window thread or the driver does.
#include "capture/VideoCapture.h"

#include "tests/support/FrameReceiver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <set>
#include <thread>
#include <tuple>

namespace orbicap {
namespace {

using test::FrameReceiver;

constexpr std::uint32_t kProbeMarker = 0x50524F42;

std::uint32_t Word(const std::uint8_t* at) {
    std::uint32_t v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

// What the probe wrote into a record, read within the record's own block.
struct ProbeLabel {
    bool Marked;
    int Width, Height, Bits;
    std::uint32_t Sequence, Trailer;

    static ProbeLabel Of(const ImageLst& f) {
        const std::uint8_t* p = f.Data.get();
        return {Word(p) == kProbeMarker,
                static_cast<int>(Word(p + 4)),
                static_cast<int>(Word(p + 8)),
                static_cast<int>(Word(p + 12)),
                Word(p + 16),
                Word(p + f.ByteCount() - 4)};
    }
};

class CaptureBoundary : public ::testing::Test {
protected:
    void SetUp() override { unsetenv("ORBICAP_PROBE_DOUBLE_RELEASE"); }
    void Start(int exposureMs) {
        ASSERT_TRUE(camera.LoadCameraLibrary(ORBICAP_LIB_DIR "/libqhy5v-probe.so"))
            << camera.Error();
        ASSERT_TRUE(capture.OpenCamera());
        capture.ExposureMs = exposureMs;
        capture.MainWindowHandle = &receiver;
        receiver.OnFrame = [this](const ImageLst& f) { Check(f); };
        capture.Resume();
    }
    void TearDown() override {
        capture.Stop();
        while (queue.FrameQueueHead())
            queue.DropOldestFrame();
        unsetenv("ORBICAP_PROBE_DOUBLE_RELEASE");
    }

    // Every record is one whole exposure, labelled with the geometry the
    // driver wrote, and exposures arrive once each, in order.
    void Check(const ImageLst& f) {
        const ProbeLabel label = ProbeLabel::Of(f);
        const bool whole = label.Marked && label.Width == f.Width && label.Height == f.Height &&
                           label.Bits == (f.Is16Bit ? 10 : 8) && label.Trailer == label.Sequence;
        if (!whole)
            ++broken;
        else if (seen > 0 && label.Sequence != last + 1)
            ++outOfOrder;
        last = label.Sequence;
        ++seen;
        geometries.insert({f.Width, f.Height, f.Is16Bit});
    }

    CMOSDLL32 camera;
    FrameQueue queue;
    OverlayText overlay;
    TVideoCapture capture{camera, queue, overlay};
    FrameReceiver receiver{queue};
    int seen = 0, broken = 0, outOfOrder = 0;
    std::uint32_t last = 0;
    std::set<std::tuple<int, int, bool>> geometries;
};

TEST_F(CaptureBoundary, SizeAndDepthFlippedAtAnyMomentNeverGiveAMislabelledRecord) {
    Start(1);
    std::atomic<bool> flipping{true};
    std::thread flipper([&] {
        for (unsigned i = 0; flipping; ++i) {
            const bool small = i % 2 == 0;
            capture.RequestedWidth = small ? 376 : 752;
            capture.RequestedHeight = small ? 240 : 480;
            capture.TenBitRequested = i % 3 == 0;
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
    });
    const bool enough = FrameReceiver::RunUntil([&] { return seen >= 300; }, 60000);
    flipping = false;
    flipper.join();
    ASSERT_TRUE(enough) << seen;
    EXPECT_EQ(broken, 0);
    EXPECT_EQ(outOfOrder, 0);
    EXPECT_GE(geometries.size(), 3u); // the flips really reached the camera
}

TEST_F(CaptureBoundary, ADriverThatReleasesTwiceGivesOneWholeRecordPerExposure) {
    setenv("ORBICAP_PROBE_DOUBLE_RELEASE", "1", 1);
    // Longer than the probe's settling in Subframe and DynamicRange, so that a
    // surplus release is taken while the next exposure still runs.
    Start(10);
    ASSERT_TRUE(FrameReceiver::RunUntil([&] { return seen >= 50; }, 60000)) << seen;
    EXPECT_EQ(broken, 0);
    EXPECT_EQ(outOfOrder, 0);
}

TEST_F(CaptureBoundary, AFailureInsideTheThreadIsReportedAndKeepsTheLastFrame) {
    Start(1);
    ASSERT_TRUE(FrameReceiver::RunUntil([&] { return seen >= 5; }, 20000));
    // No allocator can give this block, so the next pass fails.
    capture.RequestedWidth = 1 << 30;
    capture.RequestedHeight = 1 << 30;
    ASSERT_TRUE(FrameReceiver::RunUntil([&] { return receiver.FailureMessages > 0; }, 20000));
    EXPECT_TRUE(capture.Stopped());
    EXPECT_EQ(receiver.FailureMessages, 1);
    EXPECT_EQ(capture.FailureMessage(),
              "not enough memory for a frame of 1073741824 x 1073741824 (1152921504606846976 "
              "bytes)");
    // The frame finished before the failure was queued, not dropped.
    EXPECT_EQ(broken, 0);
    EXPECT_EQ(outOfOrder, 0);
    EXPECT_EQ(static_cast<std::int32_t>(last) + 1, capture.FpsCount.load());
}

} // namespace
} // namespace orbicap

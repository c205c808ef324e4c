#include "capture/VideoCapture.h"

#include "tests/support/FrameReceiver.h"
#include "tests/support/SimCamera.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <thread>

namespace orbicap {
namespace {

using test::FrameReceiver;
using Clock = std::chrono::steady_clock;

// The real binding, the real simulator, the real capture thread.
class CaptureTest : public ::testing::Test {
protected:
    void Start(const test::SimKnobs& knobs, int exposureMs) {
        knobs.Apply();
        ASSERT_TRUE(camera.LoadCameraLibrary(test::SimulatorPath())) << camera.Error();
        ASSERT_TRUE(capture.OpenCamera());
        capture.ExposureMs = exposureMs;
        capture.Gain = 10;
        capture.ExtraSetting = 128;
        capture.MainWindowHandle = &receiver;
        capture.Resume();
    }
    void TearDown() override {
        capture.Stop();
        while (queue.FrameQueueHead())
            queue.DropOldestFrame();
    }

    CMOSDLL32 camera;
    FrameQueue queue;
    OverlayText overlay;
    TVideoCapture capture{camera, queue, overlay};
    FrameReceiver receiver{queue};
};

TEST_F(CaptureTest, FramesArriveInOrderWithConsecutiveStamps) {
    Start({}, 5);
    ASSERT_TRUE(FrameReceiver::RunUntil([&] { return receiver.Frames.size() >= 40; }, 20000));
    capture.Stop();
    for (std::size_t i = 0; i < receiver.Frames.size(); ++i) {
        EXPECT_EQ(receiver.Frames[i].Stamp, receiver.Frames[0].Stamp + i) << i;
        EXPECT_EQ(receiver.Frames[i].Width, 752);
        EXPECT_EQ(receiver.Frames[i].Bytes, 360960u);
    }
    EXPECT_EQ(receiver.EmptyMessages, 0);
}

// In the short branch the next exposure is started (and counted) before the
// finished frame is queued; in the long branch a frame is counted only once
// it is queued and the next exposure starts later. So shortly after the first
// announcement, long before a second frame could be done, FpsCount tells the
// branch apart.
TEST_F(CaptureTest, ExposureLengthChoosesTheBranch) {
    for (const auto& [exposure, expectShort] : {std::pair{499, true}, std::pair{500, false}}) {
        CMOSDLL32 cam;
        FrameQueue q;
        OverlayText ov;
        TVideoCapture cap(cam, q, ov);
        FrameReceiver rec(q);
        test::SimKnobs{}.Apply();
        ASSERT_TRUE(cam.LoadCameraLibrary(test::SimulatorPath()));
        ASSERT_TRUE(cap.OpenCamera());
        cap.ExposureMs = exposure;
        cap.MainWindowHandle = &rec;
        cap.Resume();
        ASSERT_TRUE(FrameReceiver::RunUntil([&] { return !rec.Frames.empty(); }, 10000));
        FrameReceiver::RunUntil([] { return false; }, 100);
        const int counted = cap.FpsCount;
        const std::size_t frames = rec.Frames.size();
        cap.Stop();
        ASSERT_EQ(frames, 1u) << exposure; // no second frame yet: the reading is early enough
        EXPECT_EQ(counted, expectShort ? 2 : 1) << exposure;
    }
}

TEST_F(CaptureTest, StopWaitsForTheLongExposureInProgress) {
    Start({}, 3000);
    // Let the first exposure get going, then ask the thread to stop.
    FrameReceiver::RunUntil([] { return false; }, 300);
    const auto before = Clock::now();
    capture.Stop();
    const auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - before);
    EXPECT_TRUE(capture.Stopped());
    EXPECT_GE(waited.count(), 2000); // the exposure ran to its end ...
    EXPECT_LT(waited.count(), 3000 + TVideoCapture::kGiveUpMarginMs); // ... and no further
}

TEST_F(CaptureTest, StalledCameraDoesNotHangShutdown) {
    test::SimKnobs knobs;
    knobs.StallAfter = 3;
    Start(knobs, 50);
    ASSERT_TRUE(FrameReceiver::RunUntil([&] { return receiver.Frames.size() >= 2; }, 10000));
    FrameReceiver::RunUntil([] { return false; }, 300); // now stalled
    const auto before = Clock::now();
    capture.Stop();
    const auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - before);
    EXPECT_TRUE(capture.Stopped());
    EXPECT_LT(waited.count(), 50 + TVideoCapture::kGiveUpMarginMs + 1500);
    EXPECT_LE(receiver.Frames.size(), 3u);
}

// With exposures that complete at once, the frame rate is set by the pauses
// alone: while the focus aid is shown or a measurement is active, each pass
// waits 150 ms (short exposures) or 250 ms plus the usual 100 ms (long ones).
// A busy machine can only lengthen the gaps between frames, so a paced phase
// is checked by its frame count (never more than the pauses allow) and an
// unpaced one by its shortest gap (shorter than the pause it must not have).
TEST_F(CaptureTest, FocusAidAndMeasurementPaceTheFrames) {
    test::SimKnobs knobs;
    knobs.Unpaced = true;
    Start(knobs, 5);
    ASSERT_TRUE(FrameReceiver::RunUntil([&] { return receiver.Frames.size() >= 3; }, 10000));
    struct Seen {
        int frames = 0;
        qint64 shortestGapMs = 1 << 30;
    };
    const auto watch = [&](int ms) {
        FrameReceiver::RunUntil([] { return false; }, 200); // the pass under way ends first
        Seen seen;
        QElapsedTimer clock;
        clock.start();
        std::size_t count = receiver.Frames.size();
        qint64 lastAt = -1;
        FrameReceiver::RunUntil(
            [&] {
                if (receiver.Frames.size() != count) {
                    seen.frames += static_cast<int>(receiver.Frames.size() - count);
                    count = receiver.Frames.size();
                    const qint64 now = clock.elapsed();
                    if (lastAt >= 0)
                        seen.shortestGapMs = std::min(seen.shortestGapMs, now - lastAt);
                    lastAt = now;
                }
                return false;
            },
            ms);
        return seen;
    };
    struct Phase {
        int exposureMs;
        bool focus, measure;
        int pauseMs; // of a paced pass at this exposure
    };
    const Phase phases[] = {
        {5, false, false, 150}, {5, true, false, 150},   {5, false, true, 150},
        {5, false, false, 150}, {500, true, false, 350}, {500, false, false, 350},
    };
    for (const Phase& p : phases) {
        capture.ExposureMs = p.exposureMs;
        capture.FocusAidVisible = p.focus;
        capture.MeasureActive = p.measure;
        const Seen seen = watch(3000);
        const bool paced = p.focus || p.measure;
        if (paced) {
            EXPECT_LE(seen.frames, 3000 / p.pauseMs + 1)
                << p.exposureMs << " ms, focus " << p.focus << ", measure " << p.measure;
        } else {
            EXPECT_GE(seen.frames, 2) << p.exposureMs << " ms";
            EXPECT_LT(seen.shortestGapMs, p.pauseMs) << p.exposureMs << " ms, unpaced";
        }
    }
}

// Nobody takes frames until the event loop runs: with a bound the queue
// stops at it, without one it keeps growing, and once frames are taken
// again the camera goes on where it stopped, with no frame left out.
TEST_F(CaptureTest, FramesAheadLimitHoldsTheCameraBack) {
    // Polls without running the event loop, so no frame is taken meanwhile.
    const auto queueReaches = [&](std::size_t length) {
        const auto until = Clock::now() + std::chrono::seconds(10);
        while (queue.Length() < length && Clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return queue.Length() >= length;
    };
    test::SimKnobs knobs;
    knobs.Unpaced = true;
    capture.FramesAheadLimit = 4;
    Start(knobs, 1);
    ASSERT_TRUE(queueReaches(4));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(queue.Length(), 4u);
    ASSERT_TRUE(FrameReceiver::RunUntil([&] { return receiver.Frames.size() >= 20; }, 10000));
    capture.FramesAheadLimit = 0;
    EXPECT_TRUE(queueReaches(queue.Length() + 20));
    capture.Stop();
    FrameReceiver::RunUntil([&] { return queue.Length() == 0; }, 10000);
    for (std::size_t i = 1; i < receiver.Frames.size(); ++i)
        ASSERT_EQ(receiver.Frames[i].Stamp, receiver.Frames[i - 1].Stamp + 1) << i;
}

TEST_F(CaptureTest, RecordingFreezesTheCameraSettings) {
    Start({}, 5);
    ASSERT_TRUE(FrameReceiver::RunUntil([&] { return receiver.Frames.size() >= 3; }, 10000));
    capture.Recording = true;
    // Frames already in flight were sized before; wait until a couple of
    // frames were taken under the flag, then change the size.
    const std::size_t mark = receiver.Frames.size() + 3;
    ASSERT_TRUE(FrameReceiver::RunUntil([&] { return receiver.Frames.size() >= mark; }, 10000));
    capture.RequestedWidth = 400;
    capture.RequestedHeight = 400;
    const std::size_t later = receiver.Frames.size() + 10;
    ASSERT_TRUE(FrameReceiver::RunUntil([&] { return receiver.Frames.size() >= later; }, 10000));
    EXPECT_EQ(receiver.Frames.back().Width, 752);
    capture.Recording = false;
    ASSERT_TRUE(
        FrameReceiver::RunUntil([&] { return receiver.Frames.back().Width == 400; }, 10000));
    EXPECT_EQ(receiver.Frames.back().Bytes, 160000u);
}

} // namespace
} // namespace orbicap

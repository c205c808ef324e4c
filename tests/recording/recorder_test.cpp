// The recorder's steps and the recording commands, driven step by step with
// a manual clock and frames put into the queue by hand.
#include "recording/AVIExport.h"
#include "recording/RecordingControl.h"
#include "tests/recording/RecorderRig.h"
#include "tests/support/SerFile.h"

#include "tests/support/StatusCheck.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <vector>

namespace orbicap {
namespace {

class RecordingView : public RecorderView {
public:
    std::vector<QString> Progress;
    std::vector<QString> Errors;
    int Started = 0, Ended = 0;
    double Seconds = -1, Rate = -1;
    int Frames = -1;

    void SetProgressText(const QString& t) override { Progress.push_back(t); }
    void SetInfoText(const QString&) override {}
    void RecordingStarted() override { ++Started; }
    void RecordingEnded() override { ++Ended; }
    void ShowLastCapture(double s, double r, int f) override {
        Seconds = s;
        Rate = r;
        Frames = f;
    }
    void ReportError(const QString& m) override { Errors.push_back(m); }
};

class RecorderTest : public ::testing::Test, protected test::RecorderRig<RecordingView> {
protected:
    void Queue(int n, int width = 8, int height = 4) {
        for (int i = 0; i < n; ++i) {
            auto f = NewFrame(width, height, "", false);
            f->Data[0] = static_cast<std::uint8_t>(next++);
            queue.AppendFrame(std::move(f));
        }
    }
    QString Name() const { return dir.path() + "/CAPTURE"; }
    Status StartSer(const QString& count, bool seconds = false) {
        control.SetRecordFormat(kFormatSER);
        capture.CaptureWidth = 8;
        capture.CaptureHeight = 4;
        return control.StartVideo(Name(), 10, {count, seconds});
    }

    int next = 0;
};

TEST_F(RecorderTest, CountOfFiveStoresFiveAndCountsDown) {
    Queue(2); // stale frames: a start empties the queue
    ASSERT_TRUE(test::Succeeded(StartSer("5")));
    EXPECT_TRUE(capture.Recording);
    EXPECT_EQ(queue.Length(), 0u);
    EXPECT_EQ(recorder.FrameLimit, 5);
    for (int step = 0; step < 6; ++step) {
        Queue(1);
        recorder.RecordStep();
    }
    EXPECT_FALSE(capture.Recording);
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(recorder.StoredFrames, 5);
    const std::vector<QString> expected = {"4 Frames left", "3 Frames left", "2 Frames left",
                                           "1 Frames left", ""};
    EXPECT_EQ(view.Progress, expected);
    EXPECT_EQ(view.Frames, 5);
    EXPECT_EQ(queue.Length(), 1u); // the frame that ended it stays queued
    const test::SerFile ser((Name() + "_00000.SER").toStdString());
    ASSERT_TRUE(ser.Ok);
    EXPECT_EQ(ser.FrameCount, 5);
    // A step after the end only says "Idle" and leaves the frame alone.
    recorder.RecordStep();
    EXPECT_EQ(view.Progress.back(), "Idle");
    EXPECT_EQ(queue.Length(), 1u);
}

TEST_F(RecorderTest, CountOfOneShowsNoProgress) {
    ASSERT_TRUE(test::Succeeded(StartSer("1")));
    Queue(2);
    recorder.RecordStep();
    recorder.RecordStep();
    EXPECT_EQ(recorder.StoredFrames, 1);
    EXPECT_EQ(view.Progress, std::vector<QString>{""}); // only the end's empty text
}

TEST_F(RecorderTest, AnEmptyQueueDoesNotCountAgainstTheLimit) {
    ASSERT_TRUE(test::Succeeded(StartSer("2")));
    recorder.RecordStep(); // a late announcement from before the start
    EXPECT_EQ(recorder.FrameLimit, 2);
    Queue(3);
    for (int i = 0; i < 3; ++i)
        recorder.RecordStep();
    EXPECT_EQ(recorder.StoredFrames, 2);
    EXPECT_FALSE(recorder.IsRecording());
}

TEST_F(RecorderTest, ReportFiguresOfTenFramesInTwoSeconds) {
    ASSERT_TRUE(test::Succeeded(StartSer("10")));
    for (int i = 0; i < 10; ++i) {
        Queue(1);
        clock.Advance(200);
        recorder.RecordStep();
    }
    Queue(1);
    recorder.RecordStep();
    EXPECT_EQ(QString::asprintf("%3.1f", view.Seconds), "2.0");
    EXPECT_EQ(QString::asprintf("%2.1f", view.Rate), "5.0");
}

TEST_F(RecorderTest, DurationEndsAtTheFirstFrameAfterTheDeadline) {
    ASSERT_TRUE(test::Succeeded(StartSer("2", true)));
    EXPECT_EQ(recorder.FrameLimit, kLimitDeadline);
    EXPECT_EQ(recorder.Deadline, clock.Now() + 2000);
    Queue(1);
    recorder.RecordStep();
    clock.Advance(1999);
    Queue(1);
    recorder.RecordStep();
    EXPECT_TRUE(recorder.IsRecording());
    clock.Advance(1);
    Queue(1);
    recorder.RecordStep();
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(recorder.StoredFrames, 2);
}

TEST_F(RecorderTest, DeadlineHoldsAcrossTheTickCounterWrap) {
    clock.Set(0xFFFFFF00u);
    ASSERT_TRUE(test::Succeeded(StartSer("1", true)));
    clock.Advance(0x200); // wrapped, 512 ms later
    Queue(1);
    recorder.RecordStep();
    EXPECT_TRUE(recorder.IsRecording());
    EXPECT_EQ(recorder.StoredFrames, 1);
}

TEST_F(RecorderTest, ZeroSecondsStoresNothing) {
    ASSERT_TRUE(test::Succeeded(StartSer("0", true)));
    Queue(1);
    recorder.RecordStep();
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(recorder.StoredFrames, 0);
    EXPECT_EQ(QString::asprintf("%2.1f", view.Rate), "0.0");
}

TEST_F(RecorderTest, CancelEndsAtTheNextFrame) {
    ASSERT_TRUE(test::Succeeded(StartSer("0")));
    EXPECT_EQ(recorder.FrameLimit, kLimitNone);
    Queue(3);
    recorder.RecordStep();
    recorder.RecordStep();
    control.Cancel();
    recorder.RecordStep();
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(recorder.StoredFrames, 2);
    const test::SerFile ser((Name() + "_00000.SER").toStdString());
    EXPECT_EQ(ser.FrameCount, 2);
    EXPECT_EQ(ser.Times.size(), 2u);
}

TEST_F(RecorderTest, StartsAreRefusedWhileRecordingAndFormatsStayPut) {
    ASSERT_TRUE(test::Succeeded(StartSer("0")));
    EXPECT_FALSE(control.SetRecordFormat(kFormatAVI));
    EXPECT_EQ(recorder.RecordFormat, kFormatSER);
    EXPECT_TRUE(control.StartVideo(Name(), 10, {"5", false}).Ok()); // ignored, not refused
    EXPECT_EQ(recorder.FrameLimit, kLimitNone); // the running limit is untouched
    EXPECT_EQ(view.Started, 1);
}

TEST_F(RecorderTest, BadCountsAndMissingNamesAreReported) {
    control.SetRecordFormat(kFormatSER);
    EXPECT_EQ(control.StartVideo(QString(), 10, {"5", false}).Message(),
              "Error opening AVI/SER file");
    EXPECT_EQ(control.StartVideo(Name(), 10, {"", false}).Message(),
              "'' is not a valid integer value");
    control.SetRecordFormat(kFormatFIT);
    EXPECT_EQ(control.StartStills(QString(), 10, {"5", false}).Message(),
              "Please set file parameters first");
    EXPECT_FALSE(capture.Recording);
    EXPECT_FALSE(recorder.IsRecording());
}

TEST_F(RecorderTest, LowMemoryEndsTheRecordingWithAMessage) {
    ASSERT_TRUE(test::Succeeded(StartSer("0")));
    Queue(1);
    recorder.RecordStep();
    recorder.FreeMemory = [] { return std::uint64_t{1} << 20; };
    clock.Advance(500);
    Queue(4);
    recorder.RecordStep();
    EXPECT_FALSE(recorder.IsRecording());
    ASSERT_EQ(view.Errors.size(), 1u);
    EXPECT_TRUE(view.Errors[0].contains("free memory")) << view.Errors[0].toStdString();
    EXPECT_EQ(queue.Length(), 0u); // their memory is given back
    const test::SerFile ser((Name() + "_00000.SER").toStdString());
    EXPECT_EQ(ser.FrameCount, 1);
}

// Past its budget the queue is not dropped: the frames waiting then are
// stored, in order, before the recording ends; later ones are released.
TEST_F(RecorderTest, QueueBudgetEndsTheRecordingAfterTheQueuedFrames) {
    recorder.QueueBudgetBytes = 5 * 32; // five frames of 8 x 4
    ASSERT_TRUE(test::Succeeded(StartSer("0")));
    Queue(5);
    recorder.RecordStep(); // 5 queued: within the budget
    EXPECT_TRUE(view.Errors.empty());
    Queue(2); // 6 queued: past it
    recorder.RecordStep();
    ASSERT_TRUE(recorder.IsRecording());
    for (int step = 0; step < 10 && recorder.IsRecording(); ++step) {
        Queue(1); // the camera goes on
        recorder.RecordStep();
    }
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(queue.Length(), 0u);
    ASSERT_EQ(view.Errors.size(), 1u);
    EXPECT_TRUE(view.Errors[0].contains("queue limit")) << view.Errors[0].toStdString();
    const test::SerFile ser((Name() + "_00000.SER").toStdString());
    EXPECT_EQ(ser.FrameCount, 7); // the first step's frame and the six queued after it
    ASSERT_TRUE(ser.Ok);
}

TEST_F(RecorderTest, StalledCameraEndsTheRecording) {
    ASSERT_TRUE(test::Succeeded(StartSer("10")));
    Queue(1);
    recorder.RecordStep();
    const Tick lastFrame = clock.Now();
    clock.Advance(10 + RecordingControl::kStallMarginMs);
    control.CheckCameraStall(lastFrame);
    EXPECT_TRUE(recorder.IsRecording());
    clock.Advance(1);
    control.CheckCameraStall(lastFrame);
    EXPECT_FALSE(recorder.IsRecording());
    ASSERT_EQ(view.Errors.size(), 1u);
    EXPECT_TRUE(view.Errors[0].startsWith("The camera stopped delivering frames"));
}

TEST_F(RecorderTest, ACaptureFailureStoresTheQueuedFramesAndClosesTheFile) {
    ASSERT_TRUE(test::Succeeded(StartSer("10")));
    Queue(3);
    control.CaptureStopped("no memory");
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_FALSE(capture.Recording);
    EXPECT_EQ(queue.Length(), 0u);
    const test::SerFile ser((Name() + "_00000.SER").toStdString());
    ASSERT_TRUE(ser.Ok);
    EXPECT_EQ(ser.FrameCount, 3);
    EXPECT_EQ(ser.Times.size(), 3u); // the trailer was written: a closed file
    ASSERT_EQ(view.Errors.size(), 1u);
    EXPECT_EQ(view.Errors[0], "The capture stopped: no memory. The recording was ended; 3 frames "
                              "were stored.");
    // Outside a recording the user is told all the same.
    control.CaptureStopped("no memory");
    ASSERT_EQ(view.Errors.size(), 2u);
    EXPECT_EQ(view.Errors[1], "The capture stopped: no memory");
}

} // namespace
} // namespace orbicap

namespace orbicap {
namespace {

TEST_F(RecorderTest, BmpFramesCarryTheTextOfTheirOwnCaptureTime) {
    recorder.OverlayVisible = true;
    control.SetRecordFormat(kFormatBMP);
    ASSERT_TRUE(test::Succeeded(control.StartStills(Name(), 10, {"3", false})));
    const char* texts[] = {"Jupiter 21:34:56.789", "Jupiter 21:34:57.123", "Jupiter 21:34:56.789"};
    for (const char* text : texts) {
        auto f = NewFrame(376, 240, text, false);
        std::fill_n(f->Data.get(), 376 * 240, std::uint8_t{40});
        queue.AppendFrame(std::move(f));
        recorder.RecordStep();
    }
    Queue(1);
    recorder.RecordStep();
    ASSERT_FALSE(recorder.IsRecording());
    ASSERT_EQ(recorder.FilesWritten().size(), 3u);
    QImage pictures[3];
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(pictures[i].load(QString::fromStdString(recorder.FilesWritten()[i])));
        EXPECT_EQ(pictures[i].size(), QSize(376, 240));
    }
    // The box sits in the top-left corner and holds each frame's own text.
    EXPECT_NE(pictures[0].pixel(10, 8), qRgb(40, 40, 40));
    EXPECT_EQ(pictures[0].pixel(370, 230), qRgb(40, 40, 40));
    EXPECT_NE(pictures[0], pictures[1]);
    EXPECT_EQ(pictures[0], pictures[2]);
}

} // namespace
} // namespace orbicap

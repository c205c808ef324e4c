#include "IntakeFixture.h"

#include "pipeline/FrameIntake.h"
#include "pipeline/SampleReduce.h"

#include <gtest/gtest.h>

#include <cstring>

namespace orbicap {
namespace {

using test::Pattern;
using test::RecordingSink;
using test::Words;
using Events = std::vector<std::string>;

std::vector<std::uint8_t> Bits(const FrameBitmap& bitmap) {
    return {bitmap.Bits(), bitmap.Bits() + bitmap.ByteCount()};
}

class FrameIntakeTest : public ::testing::Test {
protected:
    ManualClock clock{1000};
    RecordingSink sink;
    FrameIntake intake{clock, &test::CopyLikeTheDriver, sink};
    IntakeInputs idle; // not recording, histogram on, focus aid hidden

    void Feed(const std::vector<std::uint8_t>& pixels, int w, int h, const IntakeInputs& in,
              bool is16Bit = false) {
        intake.ProcessFrame({pixels.data(), w, h, is16Bit}, in);
    }
    // What the WM_FRAMEPAINT handler does to the intake's state.
    void Paint() { intake.PaintPending = -1; }
};

TEST(ReduceTenBit, KeepsTheLowEightBitsOfTheQuarter) {
    const std::vector<std::uint16_t> values{0, 3, 4, 1023, 1024, 2047};
    const std::vector<std::uint8_t> expected{0, 0, 1, 255, 0, 255};
    // Long enough to run every variant's wide loop and its tail.
    std::vector<std::uint16_t> many;
    for (int k = 0; k < 1003; ++k)
        many.push_back(static_cast<std::uint16_t>(k * 977u));
    const auto manyBytes = Words(many);
    for (ReduceTenBitFn reduce : ReduceTenBitVariants()) {
        std::vector<std::uint8_t> out(values.size(), 0xAA);
        reduce(Words(values).data(), out.data(), values.size());
        EXPECT_EQ(out, expected);

        std::vector<std::uint8_t> wide(many.size() + 1, 0xAA);
        reduce(manyBytes.data(), wide.data(), many.size());
        for (std::size_t k = 0; k < many.size(); ++k)
            ASSERT_EQ(wide[k], static_cast<std::uint8_t>(many[k] >> 2)) << k;
        EXPECT_EQ(wide.back(), 0xAA) << "wrote past the end";
    }
}

TEST_F(FrameIntakeTest, TenBitFrameIsReducedIntoTheBitmapAndAnalysed) {
    const std::vector<std::uint16_t> values{0, 3, 4, 1023, 1024, 2047, 512, 8};
    const auto input = Words(values);
    const auto untouched = input;
    IntakeInputs in = idle;
    in.FocusAidVisible = true;
    Feed(input, 4, 2, in, true);

    const std::vector<std::uint8_t> expected{0, 0, 1, 255, 0, 255, 128, 2};
    EXPECT_EQ(Bits(intake.FrameBitmap), expected);
    EXPECT_EQ(sink.HistogramPixels, expected);
    EXPECT_EQ(std::vector<std::uint8_t>(intake.FocusBuffer.begin(), intake.FocusBuffer.begin() + 8),
              expected);
    EXPECT_EQ(input, untouched);
    EXPECT_EQ(sink.Events, (Events{"histogram", "paint", "drop"}));
}

TEST_F(FrameIntakeTest, EightBitFrameIsCopiedAndAnnounced) {
    const auto frame = Pattern(752, 480, 3);
    IntakeInputs in = idle;
    in.FocusAidVisible = true;
    Feed(frame, 752, 480, in);

    EXPECT_EQ(Bits(intake.FrameBitmap), frame);
    EXPECT_EQ(intake.FrameBitmap.Format, PixelFormat::Indexed8);
    EXPECT_EQ(intake.FocusBuffer, frame);
    EXPECT_EQ(sink.HistogramPixels, frame);
    EXPECT_EQ(sink.HistogramWidth, 752);
    EXPECT_EQ(sink.HistogramHeight, 480);
    EXPECT_EQ(intake.PaintPending, 1);
    EXPECT_EQ(intake.FrameWidth, 752);
    EXPECT_EQ(intake.FrameHeight, 480);
    EXPECT_EQ(intake.NextPreviewTick, 3000u);
    EXPECT_EQ(sink.Events, (Events{"histogram", "paint", "drop"}));
}

TEST_F(FrameIntakeTest, HiddenAidsGetNothing) {
    IntakeInputs in = idle;
    in.HistogramChecked = false;
    Feed(Pattern(8, 2, 5), 8, 2, in);
    EXPECT_EQ(sink.Events, (Events{"paint", "drop"}));
    EXPECT_EQ(intake.FocusBuffer[0], 0) << "focus buffer written while the aid is hidden";
}

TEST_F(FrameIntakeTest, FrameArrivingBeforeThePaintIsOnlyHandedOn) {
    const auto first = Pattern(16, 4, 1);
    Feed(first, 16, 4, idle);
    sink.Events.clear();
    sink.HistogramPixels.clear();

    IntakeInputs in = idle;
    in.FocusAidVisible = true;
    Feed(Pattern(16, 4, 2), 16, 4, in);
    EXPECT_EQ(sink.Events, (Events{"drop"}));
    EXPECT_EQ(Bits(intake.FrameBitmap), first);
    EXPECT_TRUE(sink.HistogramPixels.empty());
    EXPECT_EQ(intake.FocusBuffer[0], 0);

    in.Recording = true;
    Feed(Pattern(16, 4, 3), 16, 4, in);
    EXPECT_EQ(sink.Events, (Events{"drop", "store"}));
    EXPECT_EQ(Bits(intake.FrameBitmap), first);
}

TEST_F(FrameIntakeTest, RecordingRefreshesEveryTwoSecondsWithoutHistogram) {
    Feed(Pattern(8, 2, 1), 8, 2, idle); // t = 1000: next preview after 3000
    Paint();
    sink.Events.clear();

    IntakeInputs rec = idle;
    rec.Recording = true;
    clock.Set(2500);
    Feed(Pattern(8, 2, 2), 8, 2, rec);
    clock.Set(3000); // due only once the counter is strictly past it
    Feed(Pattern(8, 2, 3), 8, 2, rec);
    EXPECT_EQ(sink.Events, (Events{"store", "store"}));
    EXPECT_EQ(Bits(intake.FrameBitmap), Pattern(8, 2, 1));

    clock.Set(3001);
    Feed(Pattern(8, 2, 4), 8, 2, rec);
    EXPECT_EQ(sink.Events, (Events{"store", "store", "paint", "store"}));
    EXPECT_EQ(Bits(intake.FrameBitmap), Pattern(8, 2, 4));
    EXPECT_EQ(intake.NextPreviewTick, 5001u);
}

TEST_F(FrameIntakeTest, PreviewDuringCaptureShowsEveryFrameButNoHistogram) {
    IntakeInputs rec = idle;
    rec.Recording = true;
    rec.PreviewDuringCapture = true;
    for (int k = 0; k < 3; ++k) {
        clock.Advance(10);
        Feed(Pattern(8, 2, k), 8, 2, rec);
        EXPECT_EQ(Bits(intake.FrameBitmap), Pattern(8, 2, k));
        Paint();
    }
    EXPECT_EQ(sink.Events, (Events{"paint", "store", "paint", "store", "paint", "store"}));
}

TEST_F(FrameIntakeTest, PreviewIntervalHoldsAcrossTheCounterWrap) {
    clock.Set(0xFFFFFF00u);
    Feed(Pattern(8, 2, 1), 8, 2, idle);
    Paint();
    EXPECT_EQ(intake.NextPreviewTick, 0xFFFFFF00u + 2000u); // wrapped to a small number
    sink.Events.clear();

    IntakeInputs rec = idle;
    rec.Recording = true;
    clock.Set(0xFFFFFF10u); // 16 ms later, numerically far above the wrapped tick
    Feed(Pattern(8, 2, 2), 8, 2, rec);
    clock.Set(0x00000100u); // 512 ms later, past the wrap
    Feed(Pattern(8, 2, 3), 8, 2, rec);
    EXPECT_EQ(sink.Events, (Events{"store", "store"}));

    clock.Set(0xFFFFFF00u + 2001u);
    Feed(Pattern(8, 2, 4), 8, 2, rec);
    EXPECT_EQ(sink.Events, (Events{"store", "store", "paint", "store"}));
}

TEST_F(FrameIntakeTest, RecordingRightAfterStartShowsTheFirstFrame) {
    // Before any refresh the preview tick means nothing, even with the counter
    // in the upper half of its range, where 0 reads as "in the future".
    clock.Set(0x90000000u);
    IntakeInputs rec = idle;
    rec.Recording = true;
    Feed(Pattern(8, 2), 8, 2, rec);
    EXPECT_EQ(sink.Events, (Events{"paint", "store"}));
}

TEST_F(FrameIntakeTest, NewFrameSizeReshapesTheBitmap) {
    Feed(Pattern(752, 480, 1), 752, 480, idle);
    Paint();
    const auto small = Pattern(400, 400, 9);
    Feed(small, 400, 400, idle);
    EXPECT_EQ(intake.FrameBitmap.Width, 400);
    EXPECT_EQ(intake.FrameBitmap.Height, 400);
    EXPECT_EQ(intake.FrameWidth, 400);
    EXPECT_EQ(intake.FrameHeight, 400);
    EXPECT_EQ(Bits(intake.FrameBitmap), small);
}

TEST_F(FrameIntakeTest, ColourPictureBecomesEightBitAgain) {
    Feed(Pattern(16, 4, 1), 16, 4, idle);
    Paint();
    // What the display leaves behind after demosaicing a colour frame.
    intake.FrameBitmap.Reshape(16, 4, PixelFormat::Bgr24);
    std::memset(intake.FrameBitmap.Bits(), 0x55, intake.FrameBitmap.ByteCount());

    const auto next = Pattern(16, 4, 2);
    Feed(next, 16, 4, idle);
    EXPECT_EQ(intake.FrameBitmap.Format, PixelFormat::Indexed8);
    EXPECT_EQ(Bits(intake.FrameBitmap), next);
}

TEST_F(FrameIntakeTest, WithoutDriverCopyFallsBackToMemcpy) {
    FrameIntake plain{clock, nullptr, sink};
    const auto frame = Pattern(8, 2, 5);
    plain.ProcessFrame({frame.data(), 8, 2}, idle);
    EXPECT_EQ(Bits(plain.FrameBitmap), frame);
}

} // namespace
} // namespace orbicap

#include "tests/support/WindowFixture.h"

#include "ui/ImageView.h"
#include "widgets/GlassButton.h"
#include "widgets/TrackBar.h"
#include "widgets/UnitEdit.h"

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>

namespace orbicap {
namespace {

using test::WindowFixture;
using MainWindow = WindowFixture;

TEST_F(MainWindow, StartsWithTheDefaultsWhenNothingIsStored) {
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    EXPECT_EQ(window->windowTitle(), "Orbicap/32 1.3 [QHY5V Camera (simulated camera)]");
    EXPECT_EQ(context->CaptureThread.ExposureMs, 100);
    EXPECT_EQ(Find<QLabel>("Label5")->text(), "  100 ms");
    EXPECT_EQ(Find<UnitEdit>("expos")->Text(), "1");
    EXPECT_EQ(Find<TrackBar>("gain")->Position(), 10);
    EXPECT_EQ(Find<QLabel>("Label6")->text(), "10%");
    EXPECT_EQ(context->CaptureThread.Gain, 10);
    EXPECT_TRUE(Find<QCheckBox>("loga")->isHidden());
    EXPECT_FALSE(Action("N10bitcapture1")->isVisible());
    EXPECT_FALSE(Find<GlassButton>("butCapture")->isEnabled());
    EXPECT_FALSE(Find<GlassButton>("Button3")->isEnabled());
    EXPECT_TRUE(Action("FIT2")->isChecked());
    EXPECT_TRUE(Action("ColorCamera1")->isVisible());
    EXPECT_FALSE(window->findChild<QMenu*>("Tools1")->menuAction()->isVisible());
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindow, ExpertModeShowsItsItemsAtOnceAndIsStoredAtOnce) {
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    QAction* expert = Action("ExpertMode1");
    expert->trigger();
    EXPECT_FALSE(Find<QCheckBox>("loga")->isHidden());
    for (const char* item : {"N1210Bitcompanding1", "N10bitcapture1"})
        EXPECT_TRUE(Action(item)->isVisible()) << item;
    EXPECT_TRUE(window->findChild<QMenu*>("DigitalGain1")->menuAction()->isVisible());
    EXPECT_TRUE(window->findChild<QMenu*>("TimeStampOverlay1")->menuAction()->isVisible());
    EXPECT_EQ(Stored("EXPERT"), "TRUE");
    expert->trigger();
    EXPECT_TRUE(Find<QCheckBox>("loga")->isHidden());
    EXPECT_FALSE(Action("N10bitcapture1")->isVisible());
    EXPECT_EQ(Stored("EXPERT"), "FALSE");
}

QAction* RangeItem(QMenu* popup, const QString& caption) {
    for (QAction* a : popup->actions())
        if (a->text() == caption)
            return a;
    return nullptr;
}

TEST_F(MainWindow, ExposureRangesKeepTheExposureWherePossible) {
    struct Case {
        int position;
        const char* fromRange;
        const char* toRange;
        int expectPosition;
        int expectMs;
        int thenPosition;
        int thenMs;
    };
    const Case cases[] = {
        {50, "100ms", "1000ms", 5, 50, 6, 60},
        {50, "10000ms", "100ms", 100, 100, 100, 100},
        {1, "100ms", "10000ms", 1, 1, 2, 200},
    };
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    auto* slider = Find<TrackBar>("_expot");
    auto* popup = window->findChild<QMenu*>("expopup");
    for (const Case& c : cases) {
        window->Camera().MenuItem8Click(RangeItem(popup, "100ms"));
        slider->SetPosition(c.position);
        window->Camera().MenuItem8Click(RangeItem(popup, c.fromRange));
        slider->SetPosition(c.position);
        window->Camera().MenuItem8Click(RangeItem(popup, c.toRange));
        EXPECT_EQ(slider->Position(), c.expectPosition) << c.toRange;
        EXPECT_EQ(context->CaptureThread.ExposureMs, c.expectMs) << c.toRange;
        slider->SetPosition(c.thenPosition);
        EXPECT_EQ(context->CaptureThread.ExposureMs, c.thenMs) << c.toRange;
    }
    window->Camera().MenuItem8Click(RangeItem(popup, "100ms"));
    slider->SetPosition(5);
    EXPECT_EQ(Find<QLabel>("Label5")->text(), "    5 ms");
}

TEST_F(MainWindow, LevelSlidersWalkApart) {
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    auto* black = Find<TrackBar>("_Black");
    auto* white = Find<TrackBar>("_WHITE");
    white->SetPosition(150);
    black->SetPosition(200);
    EXPECT_EQ(black->Position(), 149);
    EXPECT_EQ(context->Display->BlackLevel, 149);
    black->SetPosition(0);
    white->SetPosition(0);
    EXPECT_EQ(white->Position(), 1);
    EXPECT_EQ(context->Display->WhiteLevel, 1);
}

TEST_F(MainWindow, ZoomSizesTheLiveImage) {
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    context->CaptureThread.ExposureMs = 20;
    auto* image = window->findChild<QWidget*>("Image1");
    const std::pair<const char*, QSize> cases[] = {
        {"N251", {188, 120}}, {"N501", {376, 240}}, {"N4001", {3008, 1920}}, {"N1001", {752, 480}}};
    for (const auto& [item, size] : cases) {
        Action(item)->trigger();
        EXPECT_TRUE(RunUntil([&] { return image->size() == size; }, 5000)) << item;
    }
}

TEST_F(MainWindow, ShowsAMovingImageAndTheFrameRate) {
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    window->Camera().expoChange();
    auto* fps = Find<QLabel>("StatusPanel0");
    // A busy machine can only slow the frames down, so the readout is held
    // to what the camera can deliver, not to a rate a loaded machine misses:
    // some frames counted, and no more than 100 ms exposures allow (10 a
    // second, 12 with the rounding of the readout's one-second window). The
    // wait is long because it only ends early on success.
    ASSERT_TRUE(
        RunUntil([&] { return fps->text().endsWith(" FPS") && fps->text() != "0.0 FPS"; }, 60000))
        << fps->text().toStdString();
    const double rate = fps->text().section(' ', 0, 0).toDouble();
    EXPECT_GT(rate, 0.0);
    EXPECT_LT(rate, 12.0);
    auto* average = Find<QLabel>("lAvg");
    EXPECT_TRUE(RunUntil([&] { return !average->text().contains("---"); }, 60000))
        << "the histogram never ran";
    // The picture on screen changes from frame to frame (seeing and noise).
    const QImage shown = context->Display->DisplayBitmap.copy();
    EXPECT_TRUE(RunUntil([&] { return context->Display->DisplayBitmap != shown; }, 60000))
        << "the live image does not move";
}

// The view paints the renderer's own picture: nothing copies it per frame,
// so its pixels stay where they are from frame to frame.
TEST_F(MainWindow, TheViewShowsTheRenderersPictureWithoutACopy) {
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    context->CaptureThread.ExposureMs = 10;
    const auto* view = window->findChild<ImageView*>("Image1");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Picture(), &context->Display->DisplayBitmap);
    ASSERT_TRUE(RunUntil([&] { return context->Flow->FramesAnnounced > 2; }, 10000));
    const uchar* pixels = context->Display->DisplayBitmap.constBits();
    const auto announced = context->Flow->FramesAnnounced;
    ASSERT_TRUE(RunUntil([&] { return context->Flow->FramesAnnounced > announced + 20; }, 10000));
    EXPECT_EQ(context->Display->DisplayBitmap.constBits(), pixels);
}

TEST_F(MainWindow, WritesTheSettingsBackAtExit) {
    Store("EXPOCOUNT", "20");
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    Find<TrackBar>("gain")->SetPosition(55);
    Find<TrackBar>("_expot")->SetPosition(70);
    window->close();
    EXPECT_EQ(Stored("GAIN"), "55");
    EXPECT_EQ(Stored("EXPOLENGTH"), "70");
    EXPECT_EQ(Stored("EXPOCOUNT"), "20");
    EXPECT_EQ(Stored("FILENAME"), "");
    EXPECT_TRUE(context->CaptureThread.Stopped());
}

TEST_F(MainWindow, AStoredCountTheFieldCannotHoldStartsAtOne) {
    Store("EXPOCOUNT", "-3");
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    EXPECT_EQ(Find<UnitEdit>("expos")->Text(), "1");
    window->close();
    EXPECT_EQ(Stored("EXPOCOUNT"), "1");
}

TEST_F(MainWindow, ACaptureFailureIsShownAndTheSettingsAreStillWritten) {
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    ASSERT_TRUE(RunUntil([&] { return context->Flow->FramesAnnounced > 0; }, 10000));
    Find<TrackBar>("gain")->SetPosition(44);
    // No allocator can give a block of this size, so the capture thread fails.
    context->CaptureThread.RequestedWidth = 1 << 30;
    context->CaptureThread.RequestedHeight = 1 << 30;
    ASSERT_TRUE(RunUntil([&] { return !messages.empty(); }, 10000));
    EXPECT_EQ(messages[0], "The capture stopped: not enough memory for a frame of 1073741824 x "
                           "1073741824 (1152921504606846976 bytes)");
    EXPECT_TRUE(context->CaptureThread.Stopped());
    window->close();
    EXPECT_EQ(Stored("GAIN"), "44");
}

TEST_F(MainWindow, ADriverWithoutADescriptionIsNamedByItsFile) {
    ASSERT_EQ(Launch(ORBICAP_LIB_DIR "/libqhy5v-probe.so"), TForm1::StartResult::Running);
    EXPECT_EQ(window->windowTitle(), "Orbicap/32 1.3 [QHY5V Camera (libqhy5v-probe.so)]");
}

TEST_F(MainWindow, RestoresStoredValuesWithinTheSliderRange) {
    Store("EXPOLENGTH", "5000");
    Store("GAIN", "33");
    Store("EXPERT", "true");
    Store("FILENAME", "/tmp/obs/CAPTURE");
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    EXPECT_EQ(Find<TrackBar>("_expot")->Position(), 100);
    EXPECT_EQ(context->CaptureThread.ExposureMs, 100);
    EXPECT_EQ(Find<TrackBar>("gain")->Position(), 33);
    EXPECT_TRUE(Find<QCheckBox>("loga")->isHidden());
    EXPECT_TRUE(Find<GlassButton>("butCapture")->isEnabled());
    EXPECT_TRUE(Find<GlassButton>("Button3")->isEnabled());
}

TEST_F(MainWindow, NoCameraEndsTheProgramAndKeepsTheSettings) {
    Store("GAIN", "33");
    setenv("ORBICAP_SIM_NO_CAMERA", "1", 1);
    EXPECT_EQ(Launch(), TForm1::StartResult::NoCamera);
    unsetenv("ORBICAP_SIM_NO_CAMERA");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "NO CAMERA!");
    EXPECT_EQ(Stored("GAIN"), "33");
    EXPECT_EQ(Stored("EXPOLENGTH"), "100");
}

TEST_F(MainWindow, AMissingDriverEndsTheProgramWithoutSaving) {
    EXPECT_EQ(Launch("/nonexistent/libqhy5v.so"), TForm1::StartResult::LibraryFailed);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Error loading QHY5VDLL.DLL... Program Ending");
    window->close();
    EXPECT_EQ(Stored("GAIN"), "");
}

TEST_F(MainWindow, MagZeroMonoHidesTheColourItem) {
    knobs.Model = "magzero-mono";
    knobs.Apply();
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    EXPECT_FALSE(Action("ColorCamera1")->isVisible());
    EXPECT_TRUE(window->windowTitle().contains("[MagZero QHY5V Mono Camera ("));
}

} // namespace
} // namespace orbicap

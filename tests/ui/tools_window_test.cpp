#include "tests/support/WindowFixture.h"

#include "ui/FocusAidWindow.h"
#include "ui/ImageView.h"
#include "ui/MeasureWindow.h"
#include "ui/RoddierWindow.h"
#include "ui/SolarModeWindow.h"
#include "ui/ToolsController.h"
#include "widgets/GlassButton.h"
#include "widgets/TrackBar.h"
#include "widgets/UnitEdit.h"
#include "widgets/XYChart.h"

#include <QCheckBox>
#include <QHideEvent>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <functional>

namespace orbicap {
namespace {

class ToolsWindow : public test::WindowFixture {
protected:
    void TearDown() override {
        WindowFixture::TearDown();
        unsetenv("ORBICAP_SIM_SCENE");
    }

    TForm1::StartResult LaunchWithFrames() {
        const TForm1::StartResult result = Launch();
        if (result == TForm1::StartResult::Running) {
            context->CaptureThread.ExposureMs = 20;
            EXPECT_TRUE(RunUntil([&] { return context->Flow->Intake.FrameWidth == 752; }, 10000));
        }
        return result;
    }
    ImageView* Image() const { return Find<ImageView>("Image1"); }
    ToolsController& Tools() const { return *window->Tools(); }
    QLabel* StatusPanel2() const { return Find<QLabel>("StatusPanel2"); }
    template <typename T> static T* In(QWidget* form, const char* name) {
        T* found = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // Pixels of the display picture that differ from the frame drawn through
    // its palette (at 100 %, grey), each checked against match. The frame and
    // the picture belong together only while no repaint is outstanding.
    std::optional<int> DisplayChanges(const std::function<bool(int frame, int shown)>& match) {
        const FrameIntake& intake = context->Flow->Intake;
        const QImage& shown = context->Display->DisplayBitmap;
        if (intake.PaintPending != -1 || shown.size() != QSize(752, 480))
            return std::nullopt;
        int changed = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 752; ++x) {
                const int raw = intake.FrameBitmap.PictureRow(y)[x];
                const int grey = shown.constScanLine(y)[x];
                if (grey == intake.FrameBitmap.Colors[static_cast<std::size_t>(raw)])
                    continue;
                if (!match(raw, grey))
                    return -1;
                ++changed;
            }
        return changed;
    }
};

TEST_F(ToolsWindow, ALeftPressOpensTheFocusAidOnThatPointAndItFollowsTheFrames) {
    ASSERT_EQ(LaunchWithFrames(), TForm1::StartResult::Running);
    TFocusForm* focus = Tools().FocusForm();
    EXPECT_FALSE(focus->isVisible());
    EXPECT_FALSE(Tools().FocusCentre.IsSet());
    QTest::mouseClick(Image(), Qt::LeftButton, {}, QPoint(5, 470));
    EXPECT_EQ(Tools().FocusCentre, (FocusPoint{30, 450}));
    EXPECT_TRUE(focus->isVisible());
    EXPECT_EQ(focus->windowTitle(), "FOCUS AID");
    EXPECT_TRUE(context->CaptureThread.FocusAidVisible);

    // On the planet: the preview shows the display's own tones around the
    // centre, and changes from frame to frame.
    QTest::mouseClick(Image(), Qt::LeftButton, {}, QPoint(376, 240));
    EXPECT_EQ(Tools().FocusCentre, (FocusPoint{376, 240}));
    std::vector<QImage> previews;
    RunUntil(
        [&] {
            const QImage now = focus->FocusPreview()->pixmap().toImage();
            if (previews.empty() || now != previews.back())
                previews.push_back(now);
            return previews.size() >= 4;
        },
        10000);
    ASSERT_GE(previews.size(), 4u) << "the preview does not follow the frames";
    // Preview and display were both drawn by the last refresh.
    const QImage now = focus->FocusPreview()->pixmap().toImage();
    const QImage& shown = context->Display->DisplayBitmap;
    EXPECT_EQ(qRed(now.pixel(0, 0)), shown.constScanLine(220)[356]);
    EXPECT_EQ(qRed(now.pixel(271, 267)), shown.constScanLine(260)[396]);
    EXPECT_NE(focus->MaxBright()->text(), "000");
    EXPECT_EQ(focus->MaxBright()->text().size(), 3);

    focus->close();
    EXPECT_FALSE(context->CaptureThread.FocusAidVisible);
    EXPECT_EQ(Tools().FocusCentre, (FocusPoint{376, 240})); // kept for the next opening
}

TEST_F(ToolsWindow, DuringARecordingTheFocusPickDoesNothing) {
    QTemporaryDir dir;
    chosenFolder = dir.path();
    ASSERT_EQ(LaunchWithFrames(), TForm1::StartResult::Running);
    NameCaptures("SATURN");
    Find<UnitEdit>("expos")->SetText("0");
    Find<GlassButton>("Button3")->click();
    ASSERT_TRUE(context->CaptureThread.Recording);
    QTest::mouseClick(Image(), Qt::LeftButton, {}, QPoint(300, 200));
    EXPECT_FALSE(Tools().FocusCentre.IsSet());
    EXPECT_FALSE(Tools().FocusForm()->isVisible());
    Find<GlassButton>("CancelButton")->click();
    ASSERT_TRUE(RunUntil([&] { return !context->Recorder.IsRecording(); }, 10000));
    QTest::mouseClick(Image(), Qt::LeftButton, {}, QPoint(300, 200));
    EXPECT_EQ(Tools().FocusCentre, (FocusPoint{300, 200}));
}

TEST_F(ToolsWindow, WithoutTheOptionTheToolsMenuStaysHidden) {
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    EXPECT_FALSE(window->findChild<QMenu*>("Tools1")->menuAction()->isVisible());
    EXPECT_FALSE(Action("Rodier")->isVisible());
    EXPECT_FALSE(Action("MeasureMode1")->isVisible());
    EXPECT_TRUE(Action("FocusTool1")->isChecked());
}

TEST_F(ToolsWindow, MeasureLineIsDrawnInTheDisplayAndGoesWhenARecordingStarts) {
    QTemporaryDir dir;
    chosenFolder = dir.path();
    showTools = true;
    ASSERT_EQ(LaunchWithFrames(), TForm1::StartResult::Running);
    EXPECT_TRUE(window->findChild<QMenu*>("Tools1")->menuAction()->isVisible());
    for (const char* item : {"SolorModeTool1", "Rodier", "FocusTool1", "MeasureMode1"})
        EXPECT_TRUE(Action(item)->isVisible() && Action(item)->isEnabled()) << item;

    Action("N2001")->trigger();
    Action("MeasureMode1")->trigger();
    EXPECT_EQ(context->Display->ZoomPercent, 100);
    EXPECT_TRUE(Action("N1001")->isChecked());
    EXPECT_FALSE(window->findChild<QMenu*>("ZOOM1")->menuAction()->isEnabled());
    TForm8* form = Tools().Form8();
    EXPECT_TRUE(form->isVisible());
    ASSERT_TRUE(RunUntil([&] { return Image()->size() == QSize(752, 480); }, 5000));

    QTest::mousePress(Image(), Qt::RightButton, {}, QPoint(100, 100));
    EXPECT_TRUE(context->CaptureThread.MeasureActive);
    QTest::mouseMove(Image(), QPoint(300, 200));
    EXPECT_EQ(StatusPanel2()->text(), "Distance 223.6 pixels");
    QTest::mouseRelease(Image(), Qt::RightButton, {}, QPoint(300, 200));
    EXPECT_TRUE(context->CaptureThread.MeasureActive); // the window is still shown
    EXPECT_GT(form->RChart1()->SegmentCount(), 150);

    // The line lies in the display picture only: its 200 pixels inverted,
    // the frame untouched, and drawn again on every new frame.
    const auto inverted = [](int frame, int shown) { return shown == (frame ^ 0xFF); };
    std::optional<int> changed;
    EXPECT_TRUE(RunUntil([&] { return (changed = DisplayChanges(inverted)) == 200; }, 5000))
        << (changed ? *changed : -2);

    Action("PreviewDuringCapture1")->trigger();
    NameCaptures("MOON");
    Find<UnitEdit>("expos")->SetText("0");
    Find<GlassButton>("Button3")->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(context->CaptureThread.MeasureActive);
    EXPECT_TRUE(StatusPanel2()->text().isEmpty());
    const int storedAtStart = context->Recorder.StoredFrames;
    EXPECT_TRUE(RunUntil(
        [&] {
            return context->Recorder.StoredFrames > storedAtStart + 1 &&
                   (changed = DisplayChanges(inverted)) == 0;
        },
        10000))
        << (changed ? *changed : -2);
    Find<GlassButton>("CancelButton")->click();
    ASSERT_TRUE(RunUntil([&] { return !context->Recorder.IsRecording(); }, 10000));

    Action("FocusTool1")->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(window->findChild<QMenu*>("ZOOM1")->menuAction()->isEnabled());
}

TEST_F(ToolsWindow, RoddierPointsFitACircleAndAPressOnItIsAPressOnTheImageBeneath) {
    showTools = true;
    ASSERT_EQ(LaunchWithFrames(), TForm1::StartResult::Running);
    window->resize(1024, 776); // taller than the image: it is centred with a top margin
    Action("Rodier")->trigger();
    TForm2* form = Tools().Form2();
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(window->findChild<QMenu*>("ZOOM1")->menuAction()->isEnabled());
    ImageView* image = Image();
    ASSERT_TRUE(RunUntil([&] { return image->y() > 0 && image->x() > 0; }, 5000));

    for (const QPoint p : {QPoint(100, 200), QPoint(200, 100), QPoint(300, 200)})
        QTest::mouseClick(image, Qt::LeftButton, {}, p);
    EXPECT_EQ(form->Cc()->text(), "c=200,200");
    EXPECT_EQ(form->Rc()->text(), "r=100");
    EXPECT_TRUE(form->AdvGlassButton1()->isEnabled());
    auto* cshape = Find<OutlineShape>("cshape");
    EXPECT_TRUE(cshape->isVisible());
    EXPECT_EQ(cshape->geometry(), QRect(image->pos() + QPoint(100, 100), QSize(200, 200)));

    // A press inside the circle's square, off its ring, reaches the image
    // at the same screen point.
    const QPoint onShape(150, 30);
    const QPoint beneath = image->mapFromGlobal(cshape->mapToGlobal(onShape));
    EXPECT_EQ(beneath, QPoint(250, 130));
    QTest::mouseClick(cshape, Qt::LeftButton, {}, onShape);
    EXPECT_EQ(In<QLabel>(form, "x3")->text(), QString::number(beneath.x()));
    EXPECT_EQ(In<QLabel>(form, "y3")->text(), QString::number(beneath.y()));
    EXPECT_EQ(In<QLabel>(form, "x1")->text(), "000"); // a new triple
    EXPECT_FALSE(cshape->isVisible());
    EXPECT_FALSE(form->AdvGlassButton1()->isEnabled());

    // Finish that triple, fit the circle again, adopt it as reference, then
    // move it with a right press.
    for (const QPoint p :
         {QPoint(1, 1), QPoint(2, 5), QPoint(100, 200), QPoint(200, 100), QPoint(300, 200)})
        QTest::mouseClick(image, Qt::LeftButton, {}, p);
    form->AdvGlassButton1()->click();
    auto* rshape = Find<OutlineShape>("rshape");
    EXPECT_TRUE(rshape->isVisible());
    EXPECT_EQ(form->Label9()->text(), "100");
    EXPECT_EQ(rshape->geometry(), QRect(image->pos() + QPoint(100, 100), QSize(200, 200)));
    QTest::mouseClick(image, Qt::RightButton, {}, QPoint(400, 300));
    EXPECT_EQ(rshape->geometry().center() + QPoint(1, 1), image->pos() + QPoint(400, 300));

    form->close(); // its close box: no tool is left checked
    EXPECT_FALSE(Action("Rodier")->isChecked());
    EXPECT_FALSE(Action("FocusTool1")->isChecked());
    EXPECT_TRUE(window->findChild<QMenu*>("ZOOM1")->menuAction()->isEnabled());
    EXPECT_FALSE(rshape->isVisible()); // "Show size ref" is not checked
    QTest::mouseClick(image, Qt::LeftButton, {}, QPoint(300, 200));
    EXPECT_FALSE(Tools().FocusCentre.IsSet());
}

// Qt delivers the second press of a quick double click as a double click;
// each press is still a point.
TEST_F(ToolsWindow, TheSecondPressOfADoubleClickIsAPointToo) {
    showTools = true;
    ASSERT_EQ(LaunchWithFrames(), TForm1::StartResult::Running);
    Action("Rodier")->trigger();
    TForm2* form = Tools().Form2();
    ASSERT_TRUE(RunUntil([&] { return Image()->x() > 0; }, 5000));
    // A real double click: press and release, then the double-click event
    // in place of the second press, and its release.
    const QPoint at(40, 50);
    QTest::mouseClick(Image(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(Image(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(Image(), Qt::LeftButton, {}, at);
    // The newest point is the third; the one before it moves up to second.
    EXPECT_EQ(In<QLabel>(form, "x3")->text(), "40");
    EXPECT_EQ(In<QLabel>(form, "x2")->text(), "40");
    EXPECT_EQ(In<QLabel>(form, "y2")->text(), "50");
}

TEST_F(ToolsWindow, SolarModeShadesTheSaturatedSunWhileItsWindowIsShown) {
    setenv("ORBICAP_SIM_SCENE", "sun", 1);
    showTools = true;
    ASSERT_EQ(LaunchWithFrames(), TForm1::StartResult::Running);
    context->CaptureThread.ExposureMs = 100; // the disc's centre saturates at the start settings
    Action("SolorModeTool1")->trigger();
    TForm7* form = Tools().Form7();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(In<QLabel>(form, "Label1")->text(), "Saturarion Limit:");
    auto* limit = In<TrackBar>(form, "Limit");
    auto* shade = In<TrackBar>(form, "Shade");
    EXPECT_FALSE(limit->isEnabled());
    In<QCheckBox>(form, "CheckBox1")->click();
    EXPECT_TRUE(limit->isEnabled());
    limit->SetPosition(250);
    shade->SetPosition(0);
    EXPECT_EQ(In<QLabel>(form, "Label2")->text(), "250");
    EXPECT_EQ(In<QLabel>(form, "Label4")->text(), "0");
    EXPECT_EQ(context->Display->SolarLimit, 250);
    EXPECT_EQ(context->Display->SolarShade, 0);

    // The saturated centre of the disc shows black; the rest follows the levels.
    int shaded = 0;
    int brightest = 0;
    EXPECT_TRUE(RunUntil(
        [&] {
            const QImage& shown = context->Display->DisplayBitmap;
            const FrameIntake& intake = context->Flow->Intake;
            if (intake.PaintPending != -1 || intake.FrameBitmap.Colors[250] != 0)
                return false;
            shaded = 0;
            for (int y = 0; y < 480; ++y)
                for (int x = 0; x < 752; ++x) {
                    const int raw = intake.FrameBitmap.PictureRow(y)[x];
                    const int grey = shown.constScanLine(y)[x];
                    if (grey != (raw >= 250 ? 0 : raw))
                        return false;
                    shaded += raw >= 250 ? 1 : 0;
                    brightest = std::max(brightest, raw);
                }
            return shaded > 1000;
        },
        10000))
        << shaded << " shaded pixels, brightest " << brightest;

    limit->SetPosition(0);
    EXPECT_EQ(context->Display->SolarLimit, 0);
    form->close();
    EXPECT_EQ(context->Display->SolarLimit, 255);
    EXPECT_EQ(context->Display->SolarShade, 255);
    form->show(); // the box is still checked: the same limit and shade again
    EXPECT_EQ(context->Display->SolarLimit, 0);
    EXPECT_EQ(context->Display->SolarShade, 0);

    // Minimised by the window system, the window still counts as shown.
    QHideEvent minimised;
    QSpontaneKeyEvent::setSpontaneous(&minimised);
    QCoreApplication::instance()->notify(form, &minimised); // sendEvent would clear the flag
    EXPECT_EQ(context->Display->SolarShade, 0);
}

} // namespace
} // namespace orbicap

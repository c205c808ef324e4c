// The two check items of "Capture Files" that decide what a recording
// writes besides its frames.
#include "tests/support/WindowFixture.h"

#include <QMenu>

namespace orbicap {
namespace {

using CaptureFilesItems = test::WindowFixture;

TEST_F(CaptureFilesItems, StartAsAtFirstStartAreStoredAtOnceAndComeBack) {
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    QAction* log = Action("WriteCaptureLog1");
    QAction* keys = Action("FitsObservationKeywords1");
    ASSERT_TRUE(log && keys);
    EXPECT_EQ(log->text(), "Write Capture Log");
    EXPECT_EQ(keys->text(), "FITS Observation Keywords");
    EXPECT_TRUE(window->findChild<QMenu*>("CaptureFiles1")->actions().contains(log));
    EXPECT_TRUE(log->isChecked());
    EXPECT_FALSE(keys->isChecked());
    EXPECT_TRUE(context->Recorder.WriteCaptureLog);
    EXPECT_FALSE(context->Recorder.FitsObservationKeywords);

    log->trigger();
    keys->trigger();
    EXPECT_FALSE(context->Recorder.WriteCaptureLog);
    EXPECT_TRUE(context->Recorder.FitsObservationKeywords);
    EXPECT_EQ(Stored("CAPTURELOG"), "FALSE");
    EXPECT_EQ(Stored("FITSKEYS"), "TRUE");

    window.reset();
    context.reset();
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    EXPECT_FALSE(Action("WriteCaptureLog1")->isChecked());
    EXPECT_TRUE(Action("FitsObservationKeywords1")->isChecked());
    EXPECT_FALSE(context->Recorder.WriteCaptureLog);
    EXPECT_TRUE(context->Recorder.FitsObservationKeywords);
}

} // namespace
} // namespace orbicap

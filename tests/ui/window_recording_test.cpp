#include "tests/support/WindowFixture.h"

#include "widgets/GlassButton.h"
#include "widgets/HtmlLabel.h"
#include "widgets/UnitEdit.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace orbicap {
namespace {

using WindowRecording = test::WindowFixture;

TEST_F(WindowRecording, RecordsASerFileFromTheWindow) {
    QTemporaryDir dir;
    chosenFolder = dir.path();
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    context->CaptureThread.ExposureMs = 10;
    NameCaptures("JUPITER");
    EXPECT_EQ(window->Recording().CaptureFileName, dir.path() + "/JUPITER");
    auto* capture = Find<GlassButton>("butCapture");
    EXPECT_TRUE(capture->isEnabled());

    Action("SER1")->trigger();
    EXPECT_FALSE(capture->isHidden());
    EXPECT_TRUE(Find<GlassButton>("Button3")->isHidden());
    EXPECT_FALSE(Action("SER8bit1")->isChecked()); // the pop-up keeps its own mark
    Find<UnitEdit>("expos")->SetText("5");
    capture->click();
    EXPECT_FALSE(Find<GlassButton>("CancelButton")->isHidden());
    EXPECT_TRUE(capture->isHidden());
    // A format change now would spoil the open file: refused.
    Action("AVI1")->trigger();
    EXPECT_EQ(context->Recorder.RecordFormat, 3);
    ASSERT_TRUE(RunUntil([&] { return !context->Recorder.IsRecording(); }, 20000));

    const QFileInfo file(dir.path() + "/JUPITER_00000.SER");
    ASSERT_TRUE(file.exists());
    EXPECT_EQ(file.size(), 178 + 5 * 360960 + 5 * 8);
    EXPECT_TRUE(messages.empty());
    auto* report = Find<HtmlLabel>("HTMLabel1");
    EXPECT_TRUE(report->isVisible());
    // The window's own report template, filled in: a red bold heading and the figures.
    QTextDocument doc;
    doc.setHtml(report->Html());
    const QString plain = doc.toPlainText();
    EXPECT_TRUE(plain.contains(QRegularExpression(R"(Duration: \d+\.\d s)")))
        << plain.toStdString();
    EXPECT_TRUE(plain.contains(QRegularExpression(R"(FPS: \d+\.\d)"))) << plain.toStdString();
    const QTextCursor heading = doc.find(QStringLiteral("Last Capture"));
    ASSERT_FALSE(heading.isNull()) << plain.toStdString();
    EXPECT_EQ(heading.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(heading.charFormat().foreground().color(), QColor(255, 0, 0));
    EXPECT_TRUE(Find<GlassButton>("CancelButton")->isHidden());
    EXPECT_FALSE(capture->isHidden());
    window->close();
    EXPECT_EQ(Stored("FILENAME"), dir.path() + "/JUPITER");
}

// What the menus say reaches the FITS headers and the capture log.
TEST_F(WindowRecording, FitsKeywordsAndTheLogFollowTheMenus) {
    QTemporaryDir dir;
    chosenFolder = dir.path();
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    context->CaptureThread.ExposureMs = 10;
    NameCaptures("SATURN");
    Action("VerticalFlip1")->trigger();
    Action("N13V1")->trigger();
    Action("FitsObservationKeywords1")->trigger();
    Find<UnitEdit>("expos")->SetText("2");
    Find<GlassButton>("Button3")->click();
    ASSERT_TRUE(RunUntil([&] { return !context->Recorder.IsRecording(); }, 20000));
    EXPECT_TRUE(messages.empty());

    QFile fits(dir.path() + "/SATURN_00001.FIT");
    ASSERT_TRUE(fits.open(QIODevice::ReadOnly));
    EXPECT_EQ(fits.size(), 365'760);
    const QByteArray header = fits.read(2880);
    EXPECT_EQ(header.mid(7 * 80, 10), "DATE-OBS= ");
    EXPECT_EQ(header.mid(10 * 80, 24), "INSTRUME= 'QHY5V Camera'");

    QFile log(dir.path() + "/SATURN_00000.txt");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    for (const char* line :
         {"format=FIT\n", "frames=2\n", "flip_vertical=yes\n", "flip_horizontal=no\n",
          "adc_reference=1.3V\n", "camera=QHY5V Camera\n", "ended=limit reached\n"})
        EXPECT_TRUE(text.contains(line)) << line << text.toStdString();
}

TEST_F(WindowRecording, CancelEndsAnOpenEndedRecording) {
    QTemporaryDir dir;
    chosenFolder = dir.path();
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    context->CaptureThread.ExposureMs = 10;
    NameCaptures("MARS");
    Action("FIT2")->trigger();
    Find<UnitEdit>("expos")->SetText("0");
    Find<GlassButton>("Button3")->click();
    ASSERT_TRUE(RunUntil([&] { return context->Recorder.StoredFrames >= 3; }, 10000));
    Find<GlassButton>("CancelButton")->click();
    ASSERT_TRUE(RunUntil([&] { return !context->Recorder.IsRecording(); }, 10000));
    const int stored = context->Recorder.StoredFrames;
    EXPECT_EQ(QDir(dir.path()).entryList({"MARS_*.FIT"}, QDir::Files).size(), stored);
    EXPECT_TRUE(messages.empty());
}

// The warning comes from inside a recording step and the recording goes on
// under it, so it must neither block the window nor nest an event loop there.
TEST_F(WindowRecording, ALowDiskWarningLeavesTheRecordingRunningAndCancelWithinReach) {
    QTemporaryDir dir;
    chosenFolder = dir.path();
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    context->CaptureThread.ExposureMs = 10;
    context->Recorder.FreeDiskSpace = [](const std::string&) {
        return std::optional<std::uint64_t>(20'000'000);
    };
    NameCaptures("VENUS");
    Action("SER1")->trigger();
    Find<UnitEdit>("expos")->SetText("0");
    Find<GlassButton>("butCapture")->click();
    QMessageBox* box = nullptr;
    ASSERT_TRUE(RunUntil(
        [&] {
            for (QMessageBox* b : window->findChildren<QMessageBox*>())
                if (b->isVisible())
                    box = b;
            return box != nullptr;
        },
        10000));
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_TRUE(box->text().startsWith("Less than a minute of recording fits in "))
        << box->text().toStdString();
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(context->Recorder.IsRecording());
    EXPECT_TRUE(messages.empty());

    Find<GlassButton>("CancelButton")->click();
    ASSERT_TRUE(RunUntil([&] { return !context->Recorder.IsRecording(); }, 10000));
    EXPECT_TRUE(window->Recording().StatusPanels[2]->text().isEmpty());
    box->close();
}

TEST_F(WindowRecording, StartingWithoutANameSaysSo) {
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    window->Recording().butCaptureClick();
    window->Recording().Button3Click();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "Error opening AVI/SER file");
    EXPECT_EQ(messages[1], "Please set file parameters first");
    EXPECT_FALSE(context->CaptureThread.Recording);
}

} // namespace
} // namespace orbicap

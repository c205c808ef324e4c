#include "tests/support/WindowFixture.h"

#include "ui/ConfigOverlay.h"
#include "ui/OutputNames.h"
#include "ui/VirtualKeyboard.h"
#include "widgets/ColorSelector.h"
#include "widgets/GlassButton.h"
#include "widgets/UnitEdit.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace orbicap {
namespace {

// The main window with its keyboard; the keyboard's poll is driven by the
// test, so nothing depends on the 100 ms timer.
class KeyboardOwners : public test::WindowFixture {
protected:
    void SetUp() override {
        test::WindowFixture::SetUp();
        QSettings(QSettings::NativeFormat, QSettings::UserScope, kKeyboardSettings).clear();
    }

    TForm4* Keyboard() {
        auto* keyboard = window->findChild<TForm4*>(QStringLiteral("Form4"));
        EXPECT_NE(keyboard, nullptr);
        if (keyboard)
            keyboard->Timer1().stop();
        return keyboard;
    }
    static void Press(TForm4* keyboard, const char* panel) {
        auto* key = keyboard->findChild<QLabel*>(QString::fromLatin1(panel));
        ASSERT_NE(key, nullptr) << panel;
        QTest::mouseClick(keyboard, Qt::LeftButton, {}, key->geometry().center());
        keyboard->Timer1Timer();
    }
};

TEST_F(KeyboardOwners, TypesTheFileNameThatTheNextRecordingUses) {
    QTemporaryDir dir;
    chosenFolder = dir.path();
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    context->CaptureThread.ExposureMs = 10;
    window->Recording().SetCaptureLocation1Click();
    TForm4* keyboard = Keyboard();
    ASSERT_NE(keyboard, nullptr);
    EXPECT_FALSE(keyboard->isVisible()) << "created hidden";

    QRect ownerFrame, keyboardAt;
    bool focusKept = false;
    QTimer::singleShot(50, window.get(), [&] {
        auto* form5 = window->findChild<TForm5*>(QStringLiteral("Form5"));
        auto* button = form5->findChild<GlassButton*>(QStringLiteral("AdvGlassButton3"));
        EXPECT_TRUE(button->isEnabled());
        button->click();
        ownerFrame = form5->frameGeometry();
        keyboardAt = keyboard->geometry();
        for (const char* key : {"Panel42", "Panel12", "Panel1", "Panel5", "Panel7", "Panel4",
                                "Panel27", "Panel42", "Panel34"})
            Press(keyboard, key);
        focusKept = QApplication::focusWidget() == form5->Edit1();
        Press(keyboard, "Panel45"); // return confirms, as in the field itself
        if (form5->isVisible())
            form5->Button2Click(); // don't hang the test if return was lost
    });
    window->Recording().SetCaptureFilename1Click();

    EXPECT_TRUE(focusKept);
    EXPECT_EQ(keyboardAt.left(), ownerFrame.left() - (591 - ownerFrame.width()) / 2);
    EXPECT_EQ(keyboardAt.top(), ownerFrame.bottom() + 1 + 20);
    EXPECT_FALSE(keyboard->isVisible()) << "hiding the owner hides the keyboard";
    ASSERT_EQ(window->Recording().CaptureFileName, dir.path() + "/SATURN1");

    Action("SER1")->trigger();
    Find<UnitEdit>("expos")->SetText("2");
    Find<GlassButton>("butCapture")->click();
    ASSERT_TRUE(RunUntil([&] { return !context->Recorder.IsRecording(); }, 20000));
    EXPECT_TRUE(QFileInfo::exists(dir.path() + "/SATURN1_00000.SER"));
}

TEST_F(KeyboardOwners, TypesTheOverlayPrefixAndHidesWithItsOwner) {
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    TForm4* keyboard = Keyboard();
    ASSERT_NE(keyboard, nullptr);
    bool shown = false;
    QTimer::singleShot(50, window.get(), [&] {
        auto* conf = window->findChild<TConfText*>(QStringLiteral("ConfText"));
        conf->findChild<GlassButton*>(QStringLiteral("AdvGlassButton1"))->click();
        shown = keyboard->isVisible();
        for (const char* key : {"Panel17", "Panel7", "Panel10"})
            Press(keyboard, key);
        conf->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    });
    window->Display().Configure1Click();
    EXPECT_TRUE(shown);
    EXPECT_EQ(context->Overlay.Prefix(), "jup");
    EXPECT_FALSE(keyboard->isVisible());
}

// How many pixels of the box's inside (outline excluded) are exactly one colour.
int CountInBox(const QImage& image, const QRect& inside, QColor color) {
    int count = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += image.pixelColor(x, y) == color ? 1 : 0;
    return count;
}

TEST_F(KeyboardOwners, ABlackStampOnWhiteIsReadableInARecordedBmpFrame) {
    QTemporaryDir dir;
    chosenFolder = dir.path();
    ASSERT_EQ(Launch(), TForm1::StartResult::Running);
    context->CaptureThread.ExposureMs = 10;
    window->Recording().SetCaptureLocation1Click();
    QTimer::singleShot(50, window.get(), [&] {
        auto* edit = window->findChild<QLineEdit*>("Edit1");
        edit->setText("STAMP");
        emit edit->returnPressed();
    });
    window->Recording().SetCaptureFilename1Click();

    auto* conf = window->findChild<TConfText*>(QStringLiteral("ConfText"));
    ASSERT_NE(conf, nullptr);
    conf->ChooseFont = [](const QFont& current) { return std::optional<QFont>(current); };
    conf->ChooseColor = [](const QColor&) { return std::optional<QColor>(Qt::black); };
    conf->findChild<ColorSelector*>(QStringLiteral("BGC"))->SetSelectedColor(Qt::white);
    conf->Button3Click();
    EXPECT_EQ(conf->Style().TextColor, QColor(Qt::black));
    Action("Visible1")->trigger();

    Action("BMP2")->trigger();
    Find<UnitEdit>("expos")->SetText("3");
    Find<GlassButton>("Button3")->click();
    ASSERT_TRUE(RunUntil([&] { return !context->Recorder.IsRecording(); }, 20000));
    const QStringList files = QDir(dir.path()).entryList({"STAMP_*.BMP"}, QDir::Files);
    ASSERT_EQ(files.size(), 3);
    // The last frame: each frame carries the text of its own capture time.
    const QImage frame(dir.filePath(files.back()));
    ASSERT_FALSE(frame.isNull());

    const QFontMetrics metrics(conf->Style().Font);
    const int w = metrics.horizontalAdvance(QString::fromStdString(context->Overlay.Text()));
    const QRect inside(11, 9, w + 2, metrics.height() + 2);
    const int white = CountInBox(frame, inside, Qt::white);
    const int black = CountInBox(frame, inside, Qt::black);
    EXPECT_GT(white, inside.width() * inside.height() / 4);
    EXPECT_GT(black, 20) << "the text must show against its background";
}

} // namespace
} // namespace orbicap

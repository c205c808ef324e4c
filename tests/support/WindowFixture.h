#pragma once

#include "session/AppContext.h"
#include "tests/support/RunUntil.h"
#include "tests/support/SimCamera.h"
#include "ui/Main.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSettings>
#include <QTimer>

#include <memory>

namespace orbicap::test {

// The real main window on the real simulator, offscreen, with message boxes
// collected instead of shown and no start-up pause.
class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, kProgramSettings).clear();
        knobs.Apply();
    }
    void TearDown() override {
        window.reset();
        context.reset();
    }

    TForm1::StartResult Launch(std::string driver = SimulatorPath()) {
        context = std::make_unique<AppContext>();
        StartupOptions options;
        options.DriverPath = std::move(driver);
        options.ConnectPauseMs = 0;
        options.ShowMessage = [this](const QString& m) { messages.push_back(m); };
        options.ChooseFolder = [this] { return chosenFolder; };
        options.ShowTools = showTools;
        window = std::make_unique<TForm1>(*context, options);
        return window->Startup();
    }

    template <typename T> T* Find(const char* name) const {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QAction* Action(const char* name) const { return Find<QAction>(name); }

    static bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
        return test::RunUntil(done, timeoutMs);
    }

    // Sets folder and base name through the two "Capture Files" commands.
    void NameCaptures(const QString& baseName) {
        window->Recording().SetCaptureLocation1Click();
        QTimer::singleShot(50, window.get(), [this, baseName] {
            auto* edit = window->findChild<QLineEdit*>("Edit1");
            edit->setText(baseName);
            emit edit->returnPressed();
        });
        window->Recording().SetCaptureFilename1Click();
    }

    static QString Stored(const char* name) {
        return QSettings(QSettings::NativeFormat, QSettings::UserScope, kProgramSettings)
            .value(QString::fromLatin1(name))
            .toString();
    }
    static void Store(const char* name, const QString& value) {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, kProgramSettings);
        s.setValue(QString::fromLatin1(name), value);
        s.sync();
    }

    SimKnobs knobs;
    std::unique_ptr<AppContext> context;
    std::unique_ptr<TForm1> window;
    std::vector<QString> messages;
    QString chosenFolder;
    bool showTools = false; // --tools
};

} // namespace orbicap::test

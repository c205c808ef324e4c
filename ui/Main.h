#pragma once

#include "session/AppContext.h"
#include "ui/CameraPanel.h"
#include "ui/DisplayPanel.h"
#include "ui/HistogramPanel.h"
#include "ui/RecordingPanel.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QScrollArea>
#include <QTimer>

#include <functional>
#include <optional>
#include <string>

namespace orbicap {

class About;
class OutlineShape;
class SplashScreen;
class ToolsController;

// What the program decides before the main window starts.
struct StartupOptions {
    std::string DriverPath;
    // The pause that shows "CONNECTED" on the splash window.
    int ConnectPauseMs = 2000;
    // Plain message boxes; tests replace them.
    std::function<void(const QString&)> ShowMessage;
    // The folder chooser; returns an empty text when cancelled.
    std::function<QString()> ChooseFolder;
    // The "Tools" menu and all its items are shown (--tools).
    bool ShowTools = false;
};

// The main window: the live image, the camera and recording controls, and
// every menu command. The window builds the layout and the menus and runs the
// start-up; each panel's handlers live in that panel's controller and carry
// the name of their control and event.
class TForm1 : public QMainWindow {
public:
    enum class StartResult { Running, LibraryFailed, NoCamera };

    TForm1(AppContext& context, StartupOptions options, SplashScreen* splash = nullptr);
    ~TForm1() override;

    // Runs the start-up steps: binds the driver, reads the settings, opens and
    // identifies the camera and starts the capture thread.
    StartResult Startup();
    // Stops the threads and writes the settings back; runs once, on every way out.
    void SaveAndStop();

    void ABOUT1Click();

    CameraPanel& Camera() { return camera_; }
    DisplayPanel& Display() { return display_; }
    HistogramPanel& Histogram() { return histogram_; }
    RecordingPanel& Recording() { return recording_; }
    AppContext& Context() { return ctx_; }
    ToolsController* Tools() const { return tools_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    void BuildMenus();
    QWidget* BuildLeftColumn();
    void BindCameraMenu();
    QAction* AddCheck(QMenu* menu, const QString& caption, const QString& name, bool checked,
                      std::function<void(bool)> handler);
    void IdentifyModel();
    void Message(const QString& text);
    void Pause(int ms);
    IntakeInputs CurrentInputs() const;

    AppContext& ctx_;
    StartupOptions options_;
    SplashScreen* splash_;
    bool stopped_ = false;
    bool started_ = false;

    CameraPanel camera_;
    DisplayPanel display_;
    HistogramPanel histogram_;
    RecordingPanel recording_;

    About* about_ = nullptr;
    ToolsController* tools_ = nullptr;
    OutlineShape* cshape_ = nullptr;
    OutlineShape* rshape_ = nullptr;
    QMenu* expopup_ = nullptr;
    QMenu* countPopup_ = nullptr;
    QAction* previewDuringCapture1_ = nullptr;
    QAction* rawCodec_ = nullptr;
};

} // namespace orbicap

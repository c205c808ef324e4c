#pragma once

#include "recording/FileName.h"
#include "recording/RecorderView.h"
#include "session/AppContext.h"

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
class GlassButton;
class HtmlLabel;
class ImageView;
class OutlineShape;
class SplashScreen;
class TConfText;
class TForm5;
class TrackBar;
class UnitEdit;
class XYChart;

// What the program decides before the main window starts.
struct StartupOptions {
    std::string DriverPath;
    // The pause that shows "CONNECTED" on the splash window.
    int ConnectPauseMs = 2000;
    // Plain message boxes; tests replace them.
    std::function<void(const QString&)> ShowMessage;
    // The folder chooser; returns an empty text when cancelled.
    std::function<QString()> ChooseFolder;
};

// The main window: the live image, the camera and recording controls, and
// every menu command. Each handler carries the name of its control and event.
class TForm1 : public QMainWindow, public RecorderView {
public:
    enum class StartResult { Running, LibraryFailed, NoCamera };

    TForm1(AppContext& context, StartupOptions options, SplashScreen* splash = nullptr);
    ~TForm1() override;

    // Runs the start-up steps: binds the driver, reads the settings, opens and
    // identifies the camera and starts the capture thread.
    StartResult Startup();
    // Stops the threads and writes the settings back; runs once, on every way out.
    void SaveAndStop();

    // Camera controls
    void expoChange();
    void MenuItem8Click(QAction* item);
    void GAINChange();
    void ExpertMode1Click();
    void ShowExpertControls(bool visible);
    void ColorCamera1Click();
    void AdvGlassButton1MouseDown();
    void AdvGlassButton1MouseUp();

    // Display
    void RefreshDisplay();
    void Timer1Timer();
    void HGramClick();
    void positionImage();
    void SetZoom(int percent);
    void _BLACKChange();
    void _WHITEChange();
    void Visible1Click();
    void Configure1Click();

    // Recording
    void SetFormat(int format, QAction* popupItem);
    void butCaptureClick();
    void Button3Click();
    void CancelButtonClick();
    void N12Click(QAction* item);
    void SetCaptureLocation1Click();
    void SetCaptureFilename1Click();
    void ABOUT1Click();

    // RecorderView
    void SetProgressText(const QString& text) override;
    void SetInfoText(const QString& text) override;
    void RecordingStarted() override;
    void RecordingEnded() override;
    void ShowLastCapture(double seconds, double rate, int frames) override;
    void ReportError(const QString& message) override;

    AppContext& Context() { return ctx_; }
    QString CaptureFileName;
    int ExposureScale = 1;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    void BuildMenus();
    QWidget* BuildLeftColumn();
    void BindControls();
    void BindCameraMenu();
    QAction* AddCheck(QMenu* menu, const QString& caption, const QString& name, bool checked,
                      std::function<void(bool)> handler);
    void IdentifyModel();
    void ApplyHistogramPlot(const struct HistogramPlot& plot);
    void UpdateFormatButtons();
    void ApplyCaptureName(const std::optional<std::string>& name);
    void Message(const QString& text);
    void Pause(int ms);
    IntakeInputs CurrentInputs() const;

    AppContext& ctx_;
    StartupOptions options_;
    SplashScreen* splash_;
    bool stopped_ = false;
    bool started_ = false;
    CaptureNaming naming_;

    About* about_ = nullptr;
    TConfText* confText_ = nullptr;
    TForm5* form5_ = nullptr;

    // Left column
    TrackBar* expot_ = nullptr;
    QLabel* label5_ = nullptr;
    QWidget* panel4_ = nullptr;
    TrackBar* gain_ = nullptr;
    QLabel* label6_ = nullptr;
    QCheckBox* hgram_ = nullptr;
    QCheckBox* loga_ = nullptr;
    QWidget* panel6_ = nullptr;
    XYChart* h1_ = nullptr;
    QLabel* lAvg_ = nullptr;
    QLabel* sat_ = nullptr;
    UnitEdit* expos_ = nullptr;
    GlassButton* butCapture_ = nullptr;
    GlassButton* cancelButton_ = nullptr;
    GlassButton* button3_ = nullptr;
    QWidget* panel10_ = nullptr;
    HtmlLabel* htmlLabel1_ = nullptr;
    GlassButton* advGlassButton1_ = nullptr;

    // Centre and right
    QScrollArea* scrollBox1_ = nullptr;
    QWidget* canvas_ = nullptr;
    ImageView* image1_ = nullptr;
    OutlineShape* smallFrame_ = nullptr;
    OutlineShape* largeFrame_ = nullptr;
    OutlineShape* cshape_ = nullptr;
    OutlineShape* rshape_ = nullptr;
    QWidget* panel9_ = nullptr;
    TrackBar* white_ = nullptr;
    TrackBar* black_ = nullptr;
    QLabel* statusPanels_[3] = {};
    QTimer timer1_;

    // Menus
    QMenu* expopup_ = nullptr;
    QMenu* countPopup_ = nullptr;
    QMenu* serAvi_ = nullptr;
    QActionGroup* formatGroup_ = nullptr;
    QActionGroup* formatPopupGroup_ = nullptr;
    QAction* formatItems_[5] = {}; // main menu, by RecordFormat code
    QAction* colorCamera1_ = nullptr;
    QAction* expertMode1_ = nullptr;
    QAction* rowNoise1_ = nullptr;
    QAction* companding1_ = nullptr;
    QAction* tenBit1_ = nullptr;
    QAction* previewDuringCapture1_ = nullptr;
    QAction* visible1_ = nullptr;
    QAction* rawCodec_ = nullptr;
    QAction* zoom100_ = nullptr;
    QMenu* digitalGainMenu_ = nullptr;
    QMenu* overlayMenu_ = nullptr;
    QMenu* captureFormatMenu_ = nullptr;
};

} // namespace orbicap

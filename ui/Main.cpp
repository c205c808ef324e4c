#include "Main.h"
#include "session/Session.h"

#include "capture/CameraControls.h"
#include "capture/CameraModel.h"
#include "capture/Messages.h"
#include "pipeline/Histogram.h"
#include "pipeline/LevelSliders.h"
#include "pipeline/View.h"
#include "recording/RecordFormat.h"
#include "ui/About.h"
#include "ui/ConfigOverlay.h"
#include "ui/FocusAidWindow.h"
#include "ui/ImageView.h"
#include "ui/OutputNames.h"
#include "ui/SplashScreen.h"
#include "ui/ToolsController.h"
#include "ui/Version.h"
#include "ui/VirtualKeyboard.h"
#include "ui/WaitUntilHidden.h"
#include "widgets/GlassButton.h"
#include "widgets/HtmlLabel.h"
#include "widgets/TrackBar.h"
#include "widgets/UnitEdit.h"
#include "widgets/XYChart.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QScrollBar>
#include <QThread>

namespace orbicap {

TForm1::TForm1(AppContext& context, StartupOptions options, SplashScreen* splash)
    : QMainWindow(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      ctx_(context), options_(std::move(options)), splash_(splash), camera_(context),
      display_(context), histogram_(context), recording_(context, camera_) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("ORBICAP 3.0"));
    resize(1024, 776);
    setMinimumSize(1024, 570);
    setMaximumSize(9999, 9999);
    if (!options_.ShowMessage)
        options_.ShowMessage = [this](const QString& text) {
            QMessageBox::critical(isVisible() ? this : nullptr, kApplicationTitle, text);
        };
    if (!options_.ChooseFolder)
        options_.ChooseFolder = [this] {
            return QFileDialog::getExistingDirectory(this, QStringLiteral("Select save directory"),
                                                     QString(), QFileDialog::ShowDirsOnly);
        };
    recording_.ShowMessage = [this](const QString& text) { Message(text); };
    recording_.ChooseFolder = [this] { return options_.ChooseFolder(); };
    recording_.Window = this;
    display_.Window = this;
    BuildLayout();
    BuildMenus();
    camera_.Bind(this);
    display_.Bind(this);
    histogram_.Bind(this);
    recording_.Bind(this);
    ctx_.View.Target = &recording_;
}

TForm1::~TForm1() {
    SaveAndStop();
    // The context outlives the window: nothing it runs later may call back
    // into the window, its panels or its tools.
    ctx_.View.Target = nullptr;
    if (ctx_.Flow) {
        ctx_.Flow->Inputs = nullptr;
        ctx_.Flow->Paint = nullptr;
        ctx_.Flow->Histogram = nullptr;
        ctx_.Flow->CaptureFailed = nullptr;
    }
    if (ctx_.Display)
        ctx_.Display->Hooks = DisplayHooks{};
    ctx_.Control.EndMeasurement = nullptr;
}

void TForm1::Message(const QString& text) {
    options_.ShowMessage(text);
}

void TForm1::Pause(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void TForm1::ABOUT1Click() {
    about_->ShowAndWait();
}

TForm1::StartResult TForm1::Startup() {
    TVideoCapture& capture = ctx_.CaptureThread;
    camera_.ExposureScale = 1;
    about_ = new About(this);
    if (!BindDriver(ctx_, options_.DriverPath)) {
        std::fprintf(stderr, "%s\n", ctx_.Camera.Error().c_str());
        Message(QStringLiteral("Error loading QHY5VDLL.DLL... Program Ending"));
        stopped_ = true; // nothing was read, so nothing is saved
        return StartResult::LibraryFailed;
    }
    FrameFlow& flow = *ctx_.Flow;
    flow.Inputs = [this] { return CurrentInputs(); };
    flow.Paint = [this] { display_.RefreshDisplay(); };
    flow.Histogram = [this](const std::uint8_t* px, int w, int h) {
        histogram_.Update(px, w, h, display_.Black->Position(), display_.White->Position());
    };
    flow.CaptureFailed = [this](const std::string& reason) { ctx_.Control.CaptureStopped(reason); };
    DisplayRenderer& display = *ctx_.Display;
    display.Hooks.OverlayText = [this] { return ctx_.Overlay.Text(); };
    display.Hooks.Repaint = [this] { display_.Image1->PictureChanged(); };
    tools_ = new ToolsController(ctx_,
                                 {display_.Image1, cshape_, rshape_, display_.ScrollBox1,
                                  recording_.StatusPanels[2], findChild<QMenu*>("Tools1"),
                                  findChild<QMenu*>("ZOOM1")},
                                 options_.ShowTools, this);
    display.Hooks.DrawAids = [this](QImage& picture, bool fresh) {
        tools_->DrawAids(picture, fresh);
    };
    display.Hooks.AfterRefresh = [this] { tools_->AfterRefresh(); };
    ctx_.Control.EndMeasurement = [this] { tools_->EndMeasurement(); };

    display_.ConfText = new TConfText(ctx_.Overlay, this);
    display_.ConfText->StyleChanged = [this](const OverlayStyle& style) {
        ctx_.Display->Overlay = style;
        ctx_.Recorder.Style = style;
    };
    recording_.Form5 = new TForm5(this);

    resize(width(), 570);
    display.BlackLevel = 0;
    display.WhiteLevel = 255;
    display.SolarShade = 255;
    display.SolarLimit = 255;
    display_.Black->SetPosition(0);
    display_.White->SetPosition(255);

    ctx_.Recorder.Avi().Layer().UseAGRY(0);
    const bool rawAvailable = ctx_.Recorder.Avi().Layer().RawGreyAvailable();
    rawCodec_->setEnabled(rawAvailable);
    rawCodec_->setVisible(rawAvailable);

    setWindowTitle(kProductString + kVersionString);
    display_.Image1->ShowPicture(
        &ctx_.Display->DisplayBitmap); // 752 x 480 grey until the first frame
    capture.ExposureMs = 100;
    camera_.Gain->SetPosition(10);
    if (splash_)
        splash_->SetStatus(QStringLiteral("CONNECTING..."));
    QCoreApplication::processEvents();

    const StartupSettings stored = ReadStartupSettings(ctx_.Settings);
    camera_.ExpertMode1->setChecked(stored.Expert);
    camera_.ShowExpertControls(stored.Expert);
    camera_.Expot->SetPosition(stored.ExpoLength);
    camera_.expoChange();
    recording_.Expos->SetText(QString::number(stored.ExpoCount));
    ctx_.Control.SetRecordFormat(kFormatFIT);
    recording_.FormatItems[kFormatFIT]->setChecked(true);
    recording_.Button3->setText(QStringLiteral("FIT"));
    recording_.ButCapture->setText(QStringLiteral("SER"));
    recording_.RestoreCaptureName(stored.FileName);
    camera_.Gain->SetPosition(stored.Gain);
    camera_.GAINChange();

    ctx_.Saved.SavedFileName = recording_.CaptureFileName;
    ctx_.Saved.SavedExpoLength = QString::number(camera_.Expot->Position());
    ctx_.Saved.SavedExpoCount = recording_.Expos->Text();
    started_ = true; // from here on every way out saves the settings

    if (!OpenCamera(ctx_)) {
        Message(QStringLiteral("NO CAMERA!"));
        SaveAndStop();
        return StartResult::NoCamera;
    }
    IdentifyModel();

    if (splash_)
        splash_->SetStatus(QStringLiteral("CONNECTED"));
    PrepareCamera(ctx_);
    if (splash_)
        splash_->SetConnected();
    QCoreApplication::processEvents();
    Pause(options_.ConnectPauseMs);

    display_.Zoom100->setChecked(true);
    StartCapture(ctx_);
    display_.Timer1.start(1000);

    if (splash_)
        splash_->hide();
    show();
    ctx_.Camera.SetCompanding(camera_.Companding1->isChecked() ? 1 : 0);
    ctx_.Camera.RowNoise(camera_.RowNoise1->isChecked() ? 0 : 1);
    QCoreApplication::processEvents();
    auto* keyboard = new TForm4(SettingsStore(kKeyboardSettings), this); // created hidden
    display_.ConfText->SetKeyboard(keyboard);
    recording_.Form5->SetKeyboard(keyboard);
    return StartResult::Running;
}

void TForm1::IdentifyModel() {
    const unsigned int id = ctx_.Camera.GetVIDPID();
    const bool magZero = id == 0x299016C0u || id == 0x299116C0u;
    // A mono MagZero camera has no colour mosaic to switch on.
    camera_.ColorCamera1->setVisible(id != 0x299016C0u);
    ctx_.Recorder.Setup.Model = CameraModelName(id);
    const QString model = QString::fromStdString(ctx_.Recorder.Setup.Model);
    // The part in brackets says which driver answered, so a user with more
    // than one camera library can tell them apart.
    setWindowTitle(windowTitle() + QStringLiteral(" [") + model + QStringLiteral(" (") +
                   QString::fromStdString(ctx_.Camera.Description()) + QStringLiteral(")]"));
    if (splash_)
        splash_->ShowMagZeroLogo(magZero);
    about_->ShowMagZeroLogo(magZero);
}

void TForm1::SaveAndStop() {
    if (stopped_)
        return;
    stopped_ = true;
    display_.Timer1.stop();
    Shutdown(ctx_, [this] {
        if (started_)
            WriteExitSettings(ctx_.Settings, ctx_.Saved);
        if (tools_ && tools_->FocusForm())
            tools_->FocusForm()->hide();
        if (display_.ConfText)
            display_.ConfText->hide();
    });
}

void TForm1::closeEvent(QCloseEvent* event) {
    SaveAndStop();
    event->accept();
}

void TForm1::changeEvent(QEvent* event) {
    // The window has no minimise command; undo one the window manager sends.
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized))
        setWindowState(windowState() & ~Qt::WindowMinimized);
    QMainWindow::changeEvent(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == display_.ScrollBox1 && event->type() == QEvent::Resize)
        display_.positionImage();
    return QMainWindow::eventFilter(watched, event);
}

IntakeInputs TForm1::CurrentInputs() const {
    IntakeInputs in;
    in.PreviewDuringCapture = previewDuringCapture1_->isChecked();
    in.HistogramChecked = histogram_.HGram->isChecked();
    in.FocusAidVisible = ctx_.CaptureThread.FocusAidVisible;
    return in;
}

} // namespace orbicap

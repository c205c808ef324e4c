#include "Main.h"
#include "session/Session.h"

#include "capture/CameraControls.h"
#include "capture/Messages.h"
#include "pipeline/Histogram.h"
#include "pipeline/LevelSliders.h"
#include "pipeline/View.h"
#include "recording/RecordFormat.h"
#include "ui/About.h"
#include "ui/ConfigOverlay.h"
#include "ui/ImageView.h"
#include "ui/OutputNames.h"
#include "ui/SplashScreen.h"
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
      ctx_(context), options_(std::move(options)), splash_(splash) {
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
    BuildLayout();
    BuildMenus();
    BindControls();
    ctx_.View.Target = this;
}

TForm1::~TForm1() {
    SaveAndStop();
    ctx_.View.Target = nullptr;
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

void TForm1::BindControls() {
    connect(expot_, &TrackBar::changed, this, [this] { expoChange(); });
    connect(gain_, &TrackBar::changed, this, [this] { GAINChange(); });
    connect(hgram_, &QCheckBox::clicked, this, [this] { HGramClick(); });
    connect(black_, &TrackBar::changed, this, [this] { _BLACKChange(); });
    connect(white_, &TrackBar::changed, this, [this] { _WHITEChange(); });
    connect(butCapture_, &QPushButton::clicked, this, [this] { butCaptureClick(); });
    connect(button3_, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { CancelButtonClick(); });
    connect(advGlassButton1_, &QPushButton::pressed, this, [this] { AdvGlassButton1MouseDown(); });
    connect(advGlassButton1_, &QPushButton::released, this, [this] { AdvGlassButton1MouseUp(); });
    connect(&timer1_, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

TForm1::StartResult TForm1::Startup() {
    TVideoCapture& capture = ctx_.CaptureThread;
    ExposureScale = 1;
    about_ = new About(this);
    if (!BindDriver(ctx_, options_.DriverPath)) {
        std::fprintf(stderr, "%s\n", ctx_.Camera.Error().c_str());
        Message(QStringLiteral("Error loading QHY5VDLL.DLL... Program Ending"));
        stopped_ = true; // nothing was read, so nothing is saved
        return StartResult::LibraryFailed;
    }
    FrameFlow& flow = *ctx_.Flow;
    flow.Inputs = [this] { return CurrentInputs(); };
    flow.Paint = [this] { RefreshDisplay(); };
    flow.Histogram = [this](const std::uint8_t* px, int w, int h) {
        if (auto plot =
                ctx_.Histogram.UpdateHistogram(px, w, h, loga_->isChecked(), black_->Position(),
                                               white_->Position(), h1_->height(), ctx_.Ticks))
            ApplyHistogramPlot(*plot);
    };
    flow.CaptureFailed = [this](const std::string& reason) { ctx_.Control.CaptureStopped(reason); };
    DisplayRenderer& display = *ctx_.Display;
    display.Hooks.OverlayText = [this] { return ctx_.Overlay.Text(); };
    display.Hooks.Repaint = [this] { image1_->PictureChanged(); };

    confText_ = new TConfText(ctx_.Overlay, this);
    confText_->StyleChanged = [this](const OverlayStyle& style) {
        ctx_.Display->Overlay = style;
        ctx_.Recorder.Style = style;
    };
    form5_ = new TForm5(this);

    resize(width(), 570);
    display.BlackLevel = 0;
    display.WhiteLevel = 255;
    display.SolarShade = 255;
    display.SolarLimit = 255;
    black_->SetPosition(0);
    white_->SetPosition(255);

    ctx_.Recorder.Avi().Layer().UseAGRY(0);
    const bool rawAvailable = ctx_.Recorder.Avi().Layer().RawGreyAvailable();
    rawCodec_->setEnabled(rawAvailable);
    rawCodec_->setVisible(rawAvailable);

    setWindowTitle(kProductString + kVersionString);
    image1_->ShowPicture(&ctx_.Display->DisplayBitmap); // 752 x 480 grey until the first frame
    CaptureFileName.clear();
    capture.ExposureMs = 100;
    gain_->SetPosition(10);
    if (splash_)
        splash_->SetStatus(QStringLiteral("CONNECTING..."));
    QCoreApplication::processEvents();

    const StartupSettings stored = ReadStartupSettings(ctx_.Settings);
    expertMode1_->setChecked(stored.Expert);
    ShowExpertControls(stored.Expert);
    expot_->SetPosition(stored.ExpoLength);
    expoChange();
    expos_->SetText(QString::number(stored.ExpoCount));
    CaptureFileName = stored.FileName;
    ctx_.Control.SetRecordFormat(kFormatFIT);
    formatItems_[kFormatFIT]->setChecked(true);
    button3_->setText(QStringLiteral("FIT"));
    butCapture_->setText(QStringLiteral("SER"));
    butCapture_->setEnabled(!CaptureFileName.isEmpty());
    button3_->setEnabled(!CaptureFileName.isEmpty());
    gain_->SetPosition(stored.Gain);
    GAINChange();

    ctx_.Saved.SavedFileName = CaptureFileName;
    ctx_.Saved.SavedExpoLength = QString::number(expot_->Position());
    ctx_.Saved.SavedExpoCount = expos_->Text();
    started_ = true; // from here on every way out saves the settings

    naming_.PrepareNameWindow(CaptureFileName.toStdString());
    form5_->BaseName = QString::fromStdString(naming_.BaseName);

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

    zoom100_->setChecked(true);
    StartCapture(ctx_);
    timer1_.start(1000);

    if (splash_)
        splash_->hide();
    show();
    ctx_.Camera.SetCompanding(companding1_->isChecked() ? 1 : 0);
    ctx_.Camera.RowNoise(rowNoise1_->isChecked() ? 0 : 1);
    QCoreApplication::processEvents();
    auto* keyboard = new TForm4(SettingsStore(kKeyboardSettings), this); // created hidden
    confText_->SetKeyboard(keyboard);
    form5_->SetKeyboard(keyboard);
    return StartResult::Running;
}

void TForm1::IdentifyModel() {
    const unsigned int id = ctx_.Camera.GetVIDPID();
    colorCamera1_->setVisible(true);
    QString model;
    bool magZero = false;
    if (id == 0x299016C0u) {
        model = QStringLiteral("MagZero QHY5V Mono Camera");
        magZero = true;
        colorCamera1_->setVisible(false);
    } else if (id == 0x299116C0u) {
        model = QStringLiteral("MagZero QHY5V Color Camera");
        magZero = true;
    } else {
        model = QStringLiteral("QHY5V Camera");
    }
    ctx_.Recorder.Setup.Model = model.toStdString();
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
    timer1_.stop();
    Shutdown(ctx_, [this] {
        if (started_)
            WriteExitSettings(ctx_.Settings, ctx_.Saved);
        if (confText_)
            confText_->hide();
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
    if (watched == scrollBox1_ && event->type() == QEvent::Resize)
        positionImage();
    return QMainWindow::eventFilter(watched, event);
}

IntakeInputs TForm1::CurrentInputs() const {
    IntakeInputs in;
    in.PreviewDuringCapture = previewDuringCapture1_->isChecked();
    in.HistogramChecked = hgram_->isChecked();
    in.FocusAidVisible = false;
    return in;
}

// ---- Camera controls ----

void TForm1::expoChange() {
    TVideoCapture& capture = ctx_.CaptureThread;
    const int before = capture.ExposureMs;
    capture.ExposureMs = expot_->Position() * ExposureScale;
    if (before > 500 && ctx_.Camera.CancelExposure)
        ctx_.Camera.CancelExposure();
    ctx_.Saved.SavedExpoLength = QString::number(capture.ExposureMs.load());
    label5_->setText(ExposureLabelText(capture.ExposureMs));
}

void TForm1::MenuItem8Click(QAction* item) {
    const int scale = ExposureScaleForRange(item->text());
    if (scale <= 0)
        return;
    const int position = SliderPositionForScale(expot_->Position(), ExposureScale, scale);
    ExposureScale = scale;
    expot_->SetPosition(position); // raises expoChange only when the position moves
}

void TForm1::GAINChange() {
    const int position = gain_->Position();
    ctx_.CaptureThread.Gain = position;
    label6_->setText(GainLabelText(position));
    ctx_.Saved.SavedGain = QString::number(position);
}

void TForm1::ExpertMode1Click() {
    const bool on = expertMode1_->isChecked();
    ShowExpertControls(on);
    WriteExpertSetting(ctx_.Settings, on);
}

void TForm1::ShowExpertControls(bool visible) {
    loga_->setVisible(visible);
    companding1_->setVisible(visible);
    tenBit1_->setVisible(visible);
    digitalGainMenu_->menuAction()->setVisible(visible);
    overlayMenu_->menuAction()->setVisible(visible);
}

void TForm1::ColorCamera1Click() {
    const bool on = colorCamera1_->isChecked();
    ctx_.Display->ColorCamera = on;
    ctx_.Recorder.ColorCamera = on;
    panel9_->setVisible(!on);
}

void TForm1::AdvGlassButton1MouseDown() {
    if (ctx_.CaptureThread.CaptureWidth != 752)
        return;
    const int z = ctx_.Display->ZoomPercent;
    const QPoint origin = image1_->pos();
    smallFrame_->setGeometry(origin.x() + z * 188 / 100, origin.y() + z * 120 / 100, z * 376 / 100,
                             z * 240 / 100);
    largeFrame_->setGeometry(origin.x() + z * 176 / 100, origin.y() + z * 40 / 100, z * 400 / 100,
                             z * 400 / 100);
    smallFrame_->show();
    largeFrame_->show();
    smallFrame_->raise();
    largeFrame_->raise();
}

void TForm1::AdvGlassButton1MouseUp() {
    smallFrame_->hide();
    largeFrame_->hide();
}

} // namespace orbicap

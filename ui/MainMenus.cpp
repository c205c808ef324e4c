// The main menu and the pop-up menus, bound to their handlers.
#include "Main.h"

#include "capture/CameraControls.h"
#include "recording/RecordFormat.h"
#include "ui/RecordingSettingsItems.h"
#include "widgets/GlassButton.h"
#include "widgets/TrackBar.h"
#include "widgets/UnitEdit.h"

#include <QMenuBar>

namespace orbicap {

namespace {

QAction* Item(QMenu* menu, const QString& caption, const char* name) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

QAction* Radio(QMenu* menu, QActionGroup* group, const QString& caption, const char* name,
               bool checked = false) {
    QAction* a = Item(menu, caption, name);
    a->setCheckable(true);
    a->setChecked(checked);
    group->addAction(a);
    return a;
}

} // namespace

QAction* TForm1::AddCheck(QMenu* menu, const QString& caption, const QString& name, bool checked,
                          std::function<void(bool)> handler) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    a->setCheckable(true);
    a->setChecked(checked);
    if (handler)
        connect(a, &QAction::triggered, this, [handler](bool on) { handler(on); });
    return a;
}

void TForm1::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = bar->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("File1"));
    connect(Item(file, QStringLiteral("Exit"), "Exit1"), &QAction::triggered, this,
            [this] { close(); });

    QMenu* files = bar->addMenu(QStringLiteral("Capture Files"));
    files->setObjectName(QStringLiteral("CaptureFiles1"));
    connect(Item(files, QStringLiteral("Set Capture Location"), "SetCaptureLocation1"),
            &QAction::triggered, this, [this] { recording_.SetCaptureLocation1Click(); });
    connect(Item(files, QStringLiteral("Set Capture Filename"), "SetCaptureFilename1"),
            &QAction::triggered, this, [this] { recording_.SetCaptureFilename1Click(); });
    recording_.CaptureFormatMenu = files->addMenu(QStringLiteral("Set Capture Format"));
    recording_.CaptureFormatMenu->setObjectName(QStringLiteral("SetCaptureFormat1"));
    auto* formatGroup = new QActionGroup(this);
    recording_.FormatItems[kFormatAVI] =
        Radio(recording_.CaptureFormatMenu, formatGroup, "AVI", "AVI1");
    recording_.FormatItems[kFormatBMP] =
        Radio(recording_.CaptureFormatMenu, formatGroup, "BMP", "BMP2");
    recording_.FormatItems[kFormatFIT] =
        Radio(recording_.CaptureFormatMenu, formatGroup, "FIT", "FIT2", true);
    recording_.FormatItems[kFormatSER] =
        Radio(recording_.CaptureFormatMenu, formatGroup, "SER", "SER1");
    for (int code : {kFormatAVI, kFormatBMP, kFormatFIT, kFormatSER})
        connect(recording_.FormatItems[code], &QAction::triggered, this,
                [this, code] { recording_.SetFormat(code, nullptr); });
    AddRecordingSettingsItems(files, ctx_.Recorder, ctx_.Settings);

    QMenu* resolution = bar->addMenu(QStringLiteral("Resolution"));
    resolution->setObjectName(QStringLiteral("Resolution1"));
    auto* sizes = new QActionGroup(this);
    struct Size {
        const char* caption;
        const char* name;
        int w, h;
    };
    for (const Size& s : {Size{"752x480 (full)", "N752x480full1", 752, 480},
                          Size{"376x240 (subframe)", "N376x2401", 376, 240},
                          Size{"400x400 (planet)", "N400x400custom1", 400, 400}}) {
        QAction* a = Radio(resolution, sizes, QString::fromLatin1(s.caption), s.name, s.w == 752);
        connect(a, &QAction::triggered, this, [this, s] {
            ctx_.CaptureThread.RequestedWidth = s.w;
            ctx_.CaptureThread.RequestedHeight = s.h;
            camera_.AdvGlassButton1->setEnabled(s.w == 752);
        });
    }

    BindCameraMenu();

    QMenu* tools = bar->addMenu(QStringLiteral("Tools"));
    tools->setObjectName(QStringLiteral("Tools1"));
    tools->menuAction()->setVisible(false);
    auto* toolGroup = new QActionGroup(this);
    Item(tools, QStringLiteral("Solar Mode Tool"), "SolorModeTool1")->setEnabled(false);
    QAction* roddier = Radio(tools, toolGroup, QStringLiteral("Roddier Tool"), "Rodier");
    roddier->setVisible(false);
    roddier->setEnabled(false);
    Radio(tools, toolGroup, QStringLiteral("Focus Tool"), "FocusTool1", true)->setEnabled(false);
    QAction* measure = Radio(tools, toolGroup, QStringLiteral("Measure Mode"), "MeasureMode1");
    measure->setVisible(false);
    measure->setEnabled(false);

    QMenu* zoom = bar->addMenu(QStringLiteral("ZOOM"));
    zoom->setObjectName(QStringLiteral("ZOOM1"));
    auto* zooms = new QActionGroup(this);
    for (int z : {25, 50, 100, 200, 400}) {
        const QByteArray name = "N" + QByteArray::number(z) + "1";
        QAction* a = Radio(zoom, zooms, QStringLiteral("%1%").arg(z), name.constData());
        if (z == 100)
            display_.Zoom100 = a;
        connect(a, &QAction::triggered, this, [this, z] { display_.SetZoom(z); });
    }

    QAction* about = bar->addAction(QStringLiteral("ABOUT"));
    about->setObjectName(QStringLiteral("ABOUT1"));
    connect(about, &QAction::triggered, this, [this] { ABOUT1Click(); });

    // Pop-up menus of the controls.
    expopup_ = new QMenu(this);
    expopup_->setObjectName(QStringLiteral("expopup"));
    for (const char* r : {"100ms", "500ms", "1000ms", "2500ms", "5000ms", "10000ms"})
        expopup_->addAction(QString::fromLatin1(r));
    connect(expopup_, &QMenu::triggered, this, [this](QAction* a) { camera_.MenuItem8Click(a); });
    camera_.Expot->SetPopupMenu(expopup_);

    countPopup_ = new QMenu(this);
    countPopup_->setObjectName(QStringLiteral("CountPopup"));
    for (const char* n : {"1", "5", "10", "20", "50", "100"})
        countPopup_->addAction(QString::fromLatin1(n));
    connect(countPopup_, &QMenu::triggered, this, [this](QAction* a) { recording_.N12Click(a); });
    recording_.Expos->SetPopupMenu(countPopup_);

    recording_.SerAvi = new QMenu(this);
    recording_.SerAvi->setObjectName(QStringLiteral("SERAVI"));
    auto* formatPopupGroup = new QActionGroup(this);
    struct PopupFormat {
        const char* caption;
        const char* name;
        int code;
    };
    for (const PopupFormat& f :
         {PopupFormat{"    SER", "SER8bit1", kFormatSER},
          PopupFormat{"    AVI", "AVI2", kFormatAVI}, PopupFormat{"    FIT", "FIT1", kFormatFIT},
          PopupFormat{"    BMP", "BMP1", kFormatBMP}}) {
        QAction* a = Radio(recording_.SerAvi, formatPopupGroup, QString::fromLatin1(f.caption),
                           f.name, f.code == kFormatFIT);
        connect(a, &QAction::triggered, this, [this, a, f] { recording_.SetFormat(f.code, a); });
    }
    recording_.ButCapture->SetPopupMenu(recording_.SerAvi);
    recording_.Button3->SetPopupMenu(recording_.SerAvi);
}

void TForm1::BindCameraMenu() {
    QMenu* setup = menuBar()->addMenu(QStringLiteral("Camera Setup"));
    setup->setObjectName(QStringLiteral("CameraSetup1"));
    CMOSDLL32& cam = ctx_.Camera;

    camera_.ExpertMode1 =
        AddCheck(setup, QStringLiteral("Expert Mode"), QStringLiteral("ExpertMode1"), false,
                 [this](bool) { camera_.ExpertMode1Click(); });
    QAction* hflip = AddCheck(setup, QStringLiteral("Horizontal Flip"),
                              QStringLiteral("HorizontalFlip1"), false, [this, &cam](bool on) {
                                  cam.HorizontalFlip(on ? 1 : 0);
                                  ctx_.Recorder.Setup.HorizontalFlip = on;
                              });
    hflip->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    QAction* vflip = AddCheck(setup, QStringLiteral("Vertical Flip"),
                              QStringLiteral("VerticalFlip1"), false, [this, &cam](bool on) {
                                  cam.VerticalFlip(on ? 1 : 0);
                                  ctx_.Recorder.Setup.VerticalFlip = on;
                              });
    vflip->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));

    camera_.OverlayMenu = setup->addMenu(QStringLiteral("TimeStamp Overlay"));
    camera_.OverlayMenu->setObjectName(QStringLiteral("TimeStampOverlay1"));
    display_.Visible1 =
        AddCheck(camera_.OverlayMenu, QStringLiteral("Visible"), QStringLiteral("Visible1"), false,
                 [this](bool) { display_.Visible1Click(); });
    connect(Item(camera_.OverlayMenu, QStringLiteral("Configure"), "Configure1"),
            &QAction::triggered, this, [this] { display_.Configure1Click(); });

    rawCodec_ =
        AddCheck(setup, QStringLiteral("Use Raw Video Codec"), QStringLiteral("RawCodec"), false,
                 [this](bool on) { ctx_.Recorder.Avi().Layer().UseAGRY(on ? 1 : 0); });

    QMenu* adc = setup->addMenu(QStringLiteral("ADC Reference Voltage"));
    adc->setObjectName(QStringLiteral("ADCReferenceVoltage1"));
    auto* adcGroup = new QActionGroup(this);
    for (int v = 0; v <= 6; ++v) {
        const QByteArray name = "N1" + QByteArray::number(v) + "V1";
        QAction* a = Radio(adc, adcGroup, QStringLiteral("1.%1V").arg(v), name.constData(), v == 0);
        connect(a, &QAction::triggered, this, [this, &cam, a, v] {
            cam.ADCRef(v);
            ctx_.Recorder.Setup.AdcReference = a->text().toStdString();
        });
    }

    camera_.RowNoise1 =
        AddCheck(setup, QStringLiteral("Row Noise Reduction"), QStringLiteral("RowNoiseReduction1"),
                 true, [&cam](bool on) { cam.RowNoise(on ? 0 : 1); });
    camera_.Companding1 = AddCheck(setup, QStringLiteral("12-10 Bit companding"),
                                   QStringLiteral("N1210Bitcompanding1"), false,
                                   [&cam](bool on) { cam.SetCompanding(on ? 1 : 0); });
    camera_.TenBit1 =
        AddCheck(setup, QStringLiteral("10 bit capture"), QStringLiteral("N10bitcapture1"), false,
                 [this](bool on) { ctx_.CaptureThread.TenBitRequested = on; });

    camera_.DigitalGainMenu = setup->addMenu(QStringLiteral("Digital Gain"));
    camera_.DigitalGainMenu->setObjectName(QStringLiteral("DigitalGain1"));
    camera_.DigitalGainMenu->menuAction()->setToolTip(QStringLiteral(
        "Digital Gain can be used to recover the 2 lower bits when an image is not saturated"));
    camera_.DigitalGainMenu->menuAction()->setStatusTip(
        camera_.DigitalGainMenu->menuAction()->toolTip());
    auto* gainGroup = new QActionGroup(this);
    struct Digital {
        const char* caption;
        const char* name;
        int value;
    };
    for (const Digital& d :
         {Digital{"1x", "N1x1", kDigitalGain1x}, Digital{"2x", "N2x1", kDigitalGain2x},
          Digital{"4x", "N4x1", kDigitalGain4x}}) {
        QAction* a = Radio(camera_.DigitalGainMenu, gainGroup, QString::fromLatin1(d.caption),
                           d.name, d.value == kDigitalGain1x);
        connect(a, &QAction::triggered, this, [this, &cam, d] {
            cam.SetDigitalGain(d.value);
            ctx_.Recorder.Setup.DigitalGain = d.caption;
        });
    }

    camera_.ColorCamera1 =
        AddCheck(setup, QStringLiteral("Color Camera"), QStringLiteral("ColorCamera1"), false,
                 [this](bool) { camera_.ColorCamera1Click(); });
    AddCheck(setup, QStringLiteral("High Priority Capture"), QStringLiteral("HighPriorityCapture1"),
             false, [this](bool on) {
                 ctx_.CaptureThread.SetPriority(on ? TVideoCapture::Priority::TimeCritical
                                                   : TVideoCapture::Priority::Normal);
             });
    AddCheck(setup, QStringLiteral("Auto Gain (AGC)"), QStringLiteral("AutoGainAGC1"), false,
             [this, &cam](bool on) {
                 cam.SetAGC(on ? 1 : 0);
                 camera_.Panel4->setVisible(!on);
             });
    previewDuringCapture1_ = AddCheck(setup, QStringLiteral("Preview During Capture"),
                                      QStringLiteral("PreviewDuringCapture1"), false, nullptr);
}

} // namespace orbicap

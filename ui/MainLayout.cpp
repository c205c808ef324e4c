// The main window's layout: the left control column, the image in its scroll
// box, the level sliders and the status bar.
#include "Main.h"

#include "ui/ImageView.h"
#include "widgets/GlassButton.h"
#include "widgets/HtmlLabel.h"
#include "widgets/TrackBar.h"
#include "widgets/UnitEdit.h"
#include "widgets/XYChart.h"

#include <QHBoxLayout>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

namespace orbicap {

namespace {

QWidget* Section(QWidget* parent, const char* name, int height) {
    auto* w = new QWidget(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setFixedSize(185, height);
    return w;
}

QLabel* Label(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

const QString kReportTemplate = QStringLiteral(
    "<P align=\"center\"><FONT color=\"#FF0000\"><B>Last Capture</B></FONT><BR><B>Duration:</B> "
    "%3.1f s<br><B>FPS:</B> %2.1f</P>");

} // namespace

QWidget* TForm1::BuildLeftColumn() {
    auto* panel2 = new QWidget(this);
    panel2->setObjectName(QStringLiteral("Panel2"));
    panel2->setFixedWidth(185);
    auto* column = new QVBoxLayout(panel2);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    QWidget* exposure = Section(panel2, "ExposurePanel", 57);
    Label(exposure, "Label2", QStringLiteral("Exposure Length"), {8, 2, 170, 16});
    expot_ = new TrackBar(1, 100, Qt::Horizontal, exposure);
    expot_->setObjectName(QStringLiteral("_expot"));
    expot_->setGeometry(4, 18, 177, 22);
    expot_->SetPosition(1);
    label5_ = Label(exposure, "Label5", QStringLiteral("0 ms"), {100, 40, 81, 16});
    label5_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    column->addWidget(exposure);

    panel4_ = Section(panel2, "Panel4", 63);
    Label(panel4_, "LblGain", QStringLiteral("Gain"), {8, 2, 170, 16});
    gain_ = new TrackBar(0, 100, Qt::Horizontal, panel4_);
    gain_->setObjectName(QStringLiteral("gain"));
    gain_->setGeometry(4, 20, 177, 22);
    label6_ = Label(panel4_, "Label6", QStringLiteral("100"), {100, 42, 81, 16});
    label6_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    column->addWidget(panel4_);

    QWidget* switches = Section(panel2, "HistogramSwitch", 32);
    hgram_ = new QCheckBox(QStringLiteral("Histogram"), switches);
    hgram_->setObjectName(QStringLiteral("HGram"));
    hgram_->setGeometry(8, 6, 85, 20);
    hgram_->setChecked(true);
    loga_ = new QCheckBox(QStringLiteral("Logarithmic"), switches);
    loga_->setObjectName(QStringLiteral("loga"));
    loga_->setGeometry(92, 6, 92, 20);
    column->addWidget(switches);

    panel6_ = Section(panel2, "Panel6", 147);
    h1_ = new XYChart(panel6_);
    h1_->setObjectName(QStringLiteral("H1"));
    h1_->setGeometry(12, 2, 161, 121);
    h1_->SetXRange(-1, 258);
    h1_->SetYRange(0, 10);
    lAvg_ = Label(panel6_, "lAvg", QStringLiteral("AVG: ---"), {14, 126, 100, 16});
    sat_ = Label(panel6_, "sat", QStringLiteral("SAT"), {140, 126, 40, 16});
    sat_->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    sat_->hide();
    column->addWidget(panel6_);

    QWidget* recording = Section(panel2, "RecordingPanel", 97);
    Label(recording, "Label4", QStringLiteral("Frame Count/Duration"), {8, 2, 170, 16});
    expos_ = new UnitEdit(recording);
    expos_->setObjectName(QStringLiteral("expos"));
    expos_->setGeometry(8, 20, 169, 26);
    expos_->SetText(QStringLiteral("1"));
    butCapture_ = new GlassButton(QStringLiteral("AVI"), recording);
    butCapture_->setObjectName(QStringLiteral("butCapture"));
    cancelButton_ =
        new GlassButton(style()->standardIcon(QStyle::SP_MediaStop), QString(), recording);
    cancelButton_->setObjectName(QStringLiteral("CancelButton"));
    cancelButton_->hide();
    button3_ = new GlassButton(QStringLiteral("FIT"), recording);
    button3_->setObjectName(QStringLiteral("Button3"));
    for (GlassButton* b : {butCapture_, cancelButton_, button3_})
        b->setGeometry(10, 54, 165, 35);
    button3_->raise();
    column->addWidget(recording);

    panel10_ = Section(panel2, "Panel10", 56);
    htmlLabel1_ = new HtmlLabel(panel10_);
    htmlLabel1_->setObjectName(QStringLiteral("HTMLabel1"));
    htmlLabel1_->setGeometry(2, 0, 181, 56);
    htmlLabel1_->SetHint(kReportTemplate);
    panel10_->hide();
    column->addWidget(panel10_);

    QWidget* panel8 = Section(panel2, "Panel8", 43);
    advGlassButton1_ = new GlassButton(QStringLiteral("Subframe preview"), panel8);
    advGlassButton1_->setObjectName(QStringLiteral("AdvGlassButton1"));
    advGlassButton1_->setGeometry(10, 4, 165, 35);
    column->addWidget(panel8);
    column->addStretch(1);
    return panel2;
}

void TForm1::BuildLayout() {
    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(BuildLeftColumn());

    scrollBox1_ = new QScrollArea(central);
    scrollBox1_->setObjectName(QStringLiteral("ScrollBox1"));
    scrollBox1_->setFrameShape(QFrame::NoFrame);
    scrollBox1_->setWidgetResizable(false);
    canvas_ = new QWidget;
    canvas_->setObjectName(QStringLiteral("Canvas"));
    image1_ = new ImageView(canvas_);
    image1_->setObjectName(QStringLiteral("Image1"));
    smallFrame_ =
        new OutlineShape(OutlineShape::Kind::Rectangle, Qt::red, 2, Qt::SolidLine, canvas_);
    smallFrame_->setObjectName(QStringLiteral("SMALLFRAME"));
    largeFrame_ =
        new OutlineShape(OutlineShape::Kind::Rectangle, Qt::red, 2, Qt::SolidLine, canvas_);
    largeFrame_->setObjectName(QStringLiteral("LARGEFRAME"));
    cshape_ = new OutlineShape(OutlineShape::Kind::Circle, Qt::green, 2, Qt::DotLine, canvas_);
    cshape_->setObjectName(QStringLiteral("cshape"));
    cshape_->resize(100, 100);
    rshape_ =
        new OutlineShape(OutlineShape::Kind::Circle, QColor(128, 0, 0), 1, Qt::DotLine, canvas_);
    rshape_->setObjectName(QStringLiteral("rshape"));
    rshape_->resize(100, 100);
    scrollBox1_->setWidget(canvas_);
    scrollBox1_->installEventFilter(this);
    row->addWidget(scrollBox1_, 1);

    panel9_ = new QWidget(central);
    panel9_->setObjectName(QStringLiteral("Panel9"));
    panel9_->setFixedWidth(74);
    auto* levels = new QHBoxLayout(panel9_);
    levels->setContentsMargins(2, 4, 2, 4);
    white_ = new TrackBar(0, 255, Qt::Vertical, panel9_);
    white_->setObjectName(QStringLiteral("_WHITE"));
    white_->setFixedWidth(37);
    black_ = new TrackBar(0, 255, Qt::Vertical, panel9_);
    black_->setObjectName(QStringLiteral("_Black"));
    black_->setFixedWidth(29);
    levels->addWidget(white_);
    levels->addWidget(black_);
    row->addWidget(panel9_);
    setCentralWidget(central);

    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setFixedHeight(19);
    bar->setSizeGripEnabled(false);
    const int widths[3] = {200, 400, 50};
    for (int i = 0; i < 3; ++i) {
        statusPanels_[i] = new QLabel(bar);
        statusPanels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        // The third panel grows: it carries the queue and memory readout.
        if (i < 2)
            statusPanels_[i]->setFixedWidth(widths[i]);
        else
            statusPanels_[i]->setMinimumWidth(widths[i]);
        bar->addWidget(statusPanels_[i], i == 2 ? 1 : 0);
    }
}

} // namespace orbicap

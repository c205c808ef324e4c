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
    camera_.Expot = new TrackBar(1, 100, Qt::Horizontal, exposure);
    camera_.Expot->setObjectName(QStringLiteral("_expot"));
    camera_.Expot->setGeometry(4, 18, 177, 22);
    camera_.Expot->SetPosition(1);
    camera_.Label5 = Label(exposure, "Label5", QStringLiteral("0 ms"), {100, 40, 81, 16});
    camera_.Label5->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    column->addWidget(exposure);

    camera_.Panel4 = Section(panel2, "Panel4", 63);
    Label(camera_.Panel4, "LblGain", QStringLiteral("Gain"), {8, 2, 170, 16});
    camera_.Gain = new TrackBar(0, 100, Qt::Horizontal, camera_.Panel4);
    camera_.Gain->setObjectName(QStringLiteral("gain"));
    camera_.Gain->setGeometry(4, 20, 177, 22);
    camera_.Label6 = Label(camera_.Panel4, "Label6", QStringLiteral("100"), {100, 42, 81, 16});
    camera_.Label6->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    column->addWidget(camera_.Panel4);

    QWidget* switches = Section(panel2, "HistogramSwitch", 32);
    histogram_.HGram = new QCheckBox(QStringLiteral("Histogram"), switches);
    histogram_.HGram->setObjectName(QStringLiteral("HGram"));
    histogram_.HGram->setGeometry(8, 6, 85, 20);
    histogram_.HGram->setChecked(true);
    histogram_.Loga = new QCheckBox(QStringLiteral("Logarithmic"), switches);
    histogram_.Loga->setObjectName(QStringLiteral("loga"));
    histogram_.Loga->setGeometry(92, 6, 92, 20);
    column->addWidget(switches);

    histogram_.Panel6 = Section(panel2, "Panel6", 147);
    histogram_.H1 = new XYChart(histogram_.Panel6);
    histogram_.H1->setObjectName(QStringLiteral("H1"));
    histogram_.H1->setGeometry(12, 2, 161, 121);
    histogram_.H1->SetXRange(-1, 258);
    histogram_.H1->SetYRange(0, 10);
    histogram_.LAvg =
        Label(histogram_.Panel6, "lAvg", QStringLiteral("AVG: ---"), {14, 126, 100, 16});
    histogram_.Sat = Label(histogram_.Panel6, "sat", QStringLiteral("SAT"), {140, 126, 40, 16});
    histogram_.Sat->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    histogram_.Sat->hide();
    column->addWidget(histogram_.Panel6);

    QWidget* recording = Section(panel2, "RecordingPanel", 97);
    Label(recording, "Label4", QStringLiteral("Frame Count/Duration"), {8, 2, 170, 16});
    recording_.Expos = new UnitEdit(recording);
    recording_.Expos->setObjectName(QStringLiteral("expos"));
    recording_.Expos->setGeometry(8, 20, 169, 26);
    recording_.Expos->SetText(QStringLiteral("1"));
    recording_.ButCapture = new GlassButton(QStringLiteral("AVI"), recording);
    recording_.ButCapture->setObjectName(QStringLiteral("butCapture"));
    recording_.CancelButton =
        new GlassButton(style()->standardIcon(QStyle::SP_MediaStop), QString(), recording);
    recording_.CancelButton->setObjectName(QStringLiteral("CancelButton"));
    recording_.CancelButton->hide();
    recording_.Button3 = new GlassButton(QStringLiteral("FIT"), recording);
    recording_.Button3->setObjectName(QStringLiteral("Button3"));
    for (GlassButton* b : {recording_.ButCapture, recording_.CancelButton, recording_.Button3})
        b->setGeometry(10, 54, 165, 35);
    recording_.Button3->raise();
    column->addWidget(recording);

    recording_.Panel10 = Section(panel2, "Panel10", 56);
    recording_.HtmlLabel1 = new HtmlLabel(recording_.Panel10);
    recording_.HtmlLabel1->setObjectName(QStringLiteral("HTMLabel1"));
    recording_.HtmlLabel1->setGeometry(2, 0, 181, 56);
    recording_.HtmlLabel1->SetHint(kReportTemplate);
    recording_.Panel10->hide();
    column->addWidget(recording_.Panel10);

    QWidget* panel8 = Section(panel2, "Panel8", 43);
    camera_.AdvGlassButton1 = new GlassButton(QStringLiteral("Subframe preview"), panel8);
    camera_.AdvGlassButton1->setObjectName(QStringLiteral("AdvGlassButton1"));
    camera_.AdvGlassButton1->setGeometry(10, 4, 165, 35);
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

    display_.ScrollBox1 = new QScrollArea(central);
    display_.ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    display_.ScrollBox1->setFrameShape(QFrame::NoFrame);
    display_.ScrollBox1->setWidgetResizable(false);
    display_.Canvas = new QWidget;
    display_.Canvas->setObjectName(QStringLiteral("Canvas"));
    display_.Image1 = new ImageView(display_.Canvas);
    display_.Image1->setObjectName(QStringLiteral("Image1"));
    camera_.SmallFrame =
        new OutlineShape(OutlineShape::Kind::Rectangle, Qt::red, 2, Qt::SolidLine, display_.Canvas);
    camera_.SmallFrame->setObjectName(QStringLiteral("SMALLFRAME"));
    camera_.LargeFrame =
        new OutlineShape(OutlineShape::Kind::Rectangle, Qt::red, 2, Qt::SolidLine, display_.Canvas);
    camera_.LargeFrame->setObjectName(QStringLiteral("LARGEFRAME"));
    cshape_ =
        new OutlineShape(OutlineShape::Kind::Circle, Qt::green, 2, Qt::DotLine, display_.Canvas);
    cshape_->setObjectName(QStringLiteral("cshape"));
    cshape_->resize(100, 100);
    rshape_ = new OutlineShape(OutlineShape::Kind::Circle, QColor(128, 0, 0), 1, Qt::DotLine,
                               display_.Canvas);
    rshape_->setObjectName(QStringLiteral("rshape"));
    rshape_->resize(100, 100);
    display_.ScrollBox1->setWidget(display_.Canvas);
    display_.ScrollBox1->installEventFilter(this);
    row->addWidget(display_.ScrollBox1, 1);

    display_.Panel9 = new QWidget(central);
    display_.Panel9->setObjectName(QStringLiteral("Panel9"));
    display_.Panel9->setFixedWidth(74);
    auto* levels = new QHBoxLayout(display_.Panel9);
    levels->setContentsMargins(2, 4, 2, 4);
    display_.White = new TrackBar(0, 255, Qt::Vertical, display_.Panel9);
    display_.White->setObjectName(QStringLiteral("_WHITE"));
    display_.White->setFixedWidth(37);
    display_.Black = new TrackBar(0, 255, Qt::Vertical, display_.Panel9);
    display_.Black->setObjectName(QStringLiteral("_Black"));
    display_.Black->setFixedWidth(29);
    levels->addWidget(display_.White);
    levels->addWidget(display_.Black);
    row->addWidget(display_.Panel9);
    setCentralWidget(central);

    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setFixedHeight(19);
    bar->setSizeGripEnabled(false);
    const int widths[3] = {200, 400, 50};
    for (int i = 0; i < 3; ++i) {
        recording_.StatusPanels[i] = new QLabel(bar);
        recording_.StatusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        // The third panel grows: it carries the queue and memory readout.
        if (i < 2)
            recording_.StatusPanels[i]->setFixedWidth(widths[i]);
        else
            recording_.StatusPanels[i]->setMinimumWidth(widths[i]);
        bar->addWidget(recording_.StatusPanels[i], i == 2 ? 1 : 0);
    }
    display_.RatePanel = recording_.StatusPanels[0];

    // What one panel shows or hides of another's.
    camera_.Loga = histogram_.Loga;
    camera_.LevelSliders = display_.Panel9;
    camera_.Image1 = display_.Image1;
}

} // namespace orbicap

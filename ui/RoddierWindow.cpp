#include "ui/RoddierWindow.h"

#include "ui/PlacedLabel.h"
#include "widgets/ColorSelector.h"
#include "widgets/GlassButton.h"
#include "widgets/TrackBar.h"

#include <QHideEvent>
#include <QShowEvent>

namespace orbicap {

namespace {

const QColor kMaroon(128, 0, 0);

} // namespace

TForm2::TForm2() : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Roddier Capture Aid"));
    setFixedSize(224, 296);

    PlacedLabel(QStringLiteral("Ref Circle  Color"), QStringLiteral("LabelColor"), 8, 8, this);
    colour_ = new ColorSelector(this);
    colour_->setObjectName(QStringLiteral("AdvOfficeColorSelector1"));
    colour_->setToolTip(QStringLiteral("Indicator Color"));
    colour_->SetSelectedColor(kMaroon);
    colour_->setGeometry(110, 4, 106, 22);
    PlacedLabel(QStringLiteral("Ref Circle Width"), QStringLiteral("LabelWidth"), 8, 36, this);
    width_ = new TrackBar(1, 5, Qt::Horizontal, this);
    width_->setObjectName(QStringLiteral("SWidth"));
    width_->setGeometry(114, 32, 102, 22);
    PlacedLabel(QStringLiteral("Ref Circle Size"), QStringLiteral("LabelSize"), 8, 64, this);
    label9_ = PlacedLabel(QStringLiteral("50"), QStringLiteral("Label9"), 86, 64, this);
    size_ = new TrackBar(30, 300, Qt::Horizontal, this);
    size_->setObjectName(QStringLiteral("size"));
    size_->SetPosition(100);
    size_->setGeometry(114, 60, 102, 22);
    checkBox1_ = new QCheckBox(QStringLiteral("Show size ref"), this);
    checkBox1_->setObjectName(QStringLiteral("CheckBox1"));
    checkBox1_->setGeometry(8, 88, 150, 20);

    PlacedLabel(QStringLiteral("Size Check"), QStringLiteral("LabelSizeCheck"), 8, 118, this, true);
    const char* names[6] = {"x1", "y1", "x2", "y2", "x3", "y3"};
    const char* points[3] = {"POINT A", "POINT B", "POINT C"};
    for (int i = 0; i < 3; ++i) {
        const int y = 142 + 24 * i;
        PlacedLabel(QString::fromLatin1(points[i]), QStringLiteral("Point%1").arg(i), 8, y, this,
                    true);
        for (int k = 0; k < 2; ++k)
            coords_[2 * i + k] = PlacedLabel(
                QStringLiteral("000"), QString::fromLatin1(names[2 * i + k]), 90 + 50 * k, y, this);
    }
    cc_ = PlacedLabel(QStringLiteral("c=000,000"), QStringLiteral("cc"), 8, 218, this, true);
    rc_ = PlacedLabel(QStringLiteral("r=000"), QStringLiteral("rc"), 130, 218, this, true);
    for (QLabel* fitted : {cc_, rc_}) {
        fitted->setMinimumWidth(90);
        QPalette palette = fitted->palette();
        palette.setColor(QPalette::WindowText, kMaroon);
        fitted->setPalette(palette);
    }
    useAsRef_ = new GlassButton(QStringLiteral("Use as Ref"), this);
    useAsRef_->setObjectName(QStringLiteral("AdvGlassButton1"));
    useAsRef_->setGeometry(8, 248, 208, 36);
    QPalette palette = useAsRef_->palette();
    palette.setColor(QPalette::Button, kMaroon);
    useAsRef_->setPalette(palette);
    useAsRef_->setEnabled(false);
}

void TForm2::ShowPoints(const RoddierPoints& points) {
    for (int i = 0; i < 3; ++i) {
        const ImagePoint p = points.Points[static_cast<std::size_t>(i)];
        // A slot without a point reads "000", as the labels start; so does a
        // point on the image's left or top edge, whose coordinate is 0.
        coords_[2 * i]->setText(p.X == 0 ? QStringLiteral("000") : QString::number(p.X));
        coords_[2 * i + 1]->setText(p.Y == 0 ? QStringLiteral("000") : QString::number(p.Y));
    }
}

void TForm2::ShowFit(const std::optional<CircleFit>& fit) {
    cc_->setText(CentreText(fit));
    rc_->setText(RadiusText(fit));
    useAsRef_->setEnabled(fit.has_value());
}

void TForm2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return; // restored from minimised: the tool never went away
    if (FormShow)
        FormShow();
}

void TForm2::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return; // minimised, not closed: the tool stays on
    if (FormHide)
        FormHide();
}

} // namespace orbicap

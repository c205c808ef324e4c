#include "ui/SolarModeWindow.h"

#include "ui/PlacedLabel.h"
#include "widgets/TrackBar.h"

#include <QHideEvent>
#include <QShowEvent>

namespace orbicap {

TForm7::TForm7() : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Solar Observation Settings"));
    setFixedSize(365, 125);
    checkBox1_ = new QCheckBox(QStringLiteral("Enable Solar Processing mode"), this);
    checkBox1_->setObjectName(QStringLiteral("CheckBox1"));
    checkBox1_->setGeometry(8, 6, 300, 20);
    PlacedLabel(QStringLiteral("Saturarion Limit:"), QStringLiteral("Label1"), 8, 36, this);
    label2_ = PlacedLabel(QStringLiteral("255"), QStringLiteral("Label2"), 130, 36, this);
    PlacedLabel(QStringLiteral("Saturation Shade"), QStringLiteral("Label3"), 8, 82, this);
    label4_ = PlacedLabel(QStringLiteral("255"), QStringLiteral("Label4"), 130, 82, this);
    limit_ = new TrackBar(0, 255, Qt::Horizontal, this);
    limit_->setObjectName(QStringLiteral("Limit"));
    limit_->setGeometry(165, 30, 190, 30);
    shade_ = new TrackBar(0, 255, Qt::Horizontal, this);
    shade_->setObjectName(QStringLiteral("Shade"));
    shade_->setGeometry(165, 76, 190, 30);
    limit_->SetPosition(255);
    shade_->SetPosition(255);
    limit_->setEnabled(false);
    shade_->setEnabled(false);
    connect(checkBox1_, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });
    connect(limit_, &TrackBar::changed, this, [this] { LimitChange(); });
    connect(shade_, &TrackBar::changed, this, [this] { ShadeChange(); });
}

void TForm7::Apply(int limit, int shade) {
    solarLimit_ = limit;
    solarShade_ = shade;
    if (SolarChanged)
        SolarChanged(solarLimit_, solarShade_);
}

void TForm7::CheckBox1Click() {
    const bool on = checkBox1_->isChecked();
    limit_->setEnabled(on);
    shade_->setEnabled(on);
    if (on)
        Apply(limit_->Position(), shade_->Position());
    else
        Apply(255, 255);
}

void TForm7::LimitChange() {
    label2_->setText(QString::number(limit_->Position()));
    Apply(limit_->Position(), solarShade_);
}

void TForm7::ShadeChange() {
    label4_->setText(QString::number(shade_->Position()));
    Apply(solarLimit_, shade_->Position());
}

void TForm7::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return; // restored from minimised: the tool never went away
    CheckBox1Click();
}

void TForm7::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return; // minimised, not closed: the tool stays on
    Apply(255, 255);
}

} // namespace orbicap

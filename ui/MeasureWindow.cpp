#include "ui/MeasureWindow.h"

#include "widgets/XYChart.h"

#include <QVBoxLayout>

namespace orbicap {

TForm8::TForm8() : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Measurement & Profile"));
    setFixedSize(377, 220);

    auto* rg = new QGroupBox(QStringLiteral("Type of measurement"), this);
    rg->setObjectName(QStringLiteral("RG"));
    rg->setGeometry(6, 4, 180, 64);
    pixels_ = new QRadioButton(QStringLiteral("Pixels "), rg);
    pixels_->setObjectName(QStringLiteral("RGPixels"));
    arcSeconds_ = new QRadioButton(QStringLiteral("ArcSeconds"), rg);
    arcSeconds_->setObjectName(QStringLiteral("RGArcSeconds"));
    auto* items = new QVBoxLayout(rg);
    items->setContentsMargins(8, 2, 8, 2);
    items->addWidget(pixels_);
    items->addWidget(arcSeconds_);
    auto* group = new QButtonGroup(rg);
    group->addButton(pixels_, 0);
    group->addButton(arcSeconds_, 1);
    pixels_->setChecked(true);

    auto* caption = new QLineEdit(QStringLiteral("Focal Length (mm)"), this);
    caption->setObjectName(QStringLiteral("LUEdit2"));
    caption->setReadOnly(true);
    caption->setFrame(false);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    caption->setGeometry(200, 14, 170, 20);
    fl_ = new QLineEdit(QStringLiteral("300"), this);
    fl_->setObjectName(QStringLiteral("FL"));
    fl_->setAlignment(Qt::AlignCenter);
    QFont boldItalic = bold;
    boldItalic.setItalic(true);
    fl_->setFont(boldItalic);
    fl_->setGeometry(220, 40, 110, 22);

    chart_ = new XYChart(this);
    chart_->setObjectName(QStringLiteral("RChart1"));
    chart_->setGeometry(6, 76, 365, 137);
    chart_->SetMargins(30, 5, 5, 10);
    chart_->SetScaleNumbers(true);
    move(0, 0);
}

void TForm8::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (Hidden)
        Hidden();
}

} // namespace orbicap

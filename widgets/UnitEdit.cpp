#include "widgets/UnitEdit.h"

#include "widgets/PopupMenu.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace orbicap {

UnitEdit::UnitEdit(QWidget* parent)
    : QWidget(parent), field_(new QLineEdit(this)), units_(new QComboBox(this)) {
    field_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    field_->setMaxLength(MaxDigits);
    field_->setPlaceholderText(QStringLiteral("0"));
    field_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0123456789]{0,%1}").arg(MaxDigits)), field_));

    units_->addItem(QStringLiteral(" expo(s)"));
    units_->addItem(QStringLiteral(" sec(s)"));
    units_->setCurrentIndex(UnitExposures);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(field_, 1);
    layout->addWidget(units_);

    connect(field_, &QLineEdit::textChanged, this, &UnitEdit::textChanged);
    connect(units_, &QComboBox::currentIndexChanged, this, &UnitEdit::unitChanged);
}

QString UnitEdit::Text() const {
    return field_->text();
}

void UnitEdit::SetText(const QString& text) {
    field_->setText(text);
}

int UnitEdit::Unit() const {
    return units_->currentIndex();
}

void UnitEdit::SetUnit(int unit) {
    if (unit >= 0 && unit < units_->count()) {
        units_->setCurrentIndex(unit);
    }
}

QString UnitEdit::UnitText() const {
    return units_->currentText();
}

void UnitEdit::SetPopupMenu(QMenu* menu) {
    AttachPopupMenu(field_, menu);
}

} // namespace orbicap

#include "OutputNames.h"

#include "ui/Artwork.h"
#include "ui/VirtualKeyboard.h"
#include "widgets/GlassButton.h"

#include <QLabel>
#include <QPushButton>

namespace orbicap {

TForm5::TForm5(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Output File Names"));
    setFixedSize(296, 72);
    setAutoFillBackground(true);
    auto* label = new QLabel(QStringLiteral("File Base Name"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setGeometry(8, 8, 100, 18);
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("Edit1"));
    edit_->setGeometry(8, 28, 240, 24);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setGeometry(110, 4, 60, 22);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    cancel->setGeometry(176, 4, 60, 22);
    auto* keyboard = new GlassButton(QIcon(KeyboardIcon()), QString(), this);
    keyboard->setObjectName(QStringLiteral("AdvGlassButton3"));
    keyboard->setGeometry(254, 28, 34, 24);
    keyboard->setEnabled(false); // until the on-screen keyboard is there
    keyboardButton_ = keyboard;
    connect(ok, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(cancel, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(edit_, &QLineEdit::returnPressed, this, [this] { Button1Click(); });
    connect(keyboard, &GlassButton::clicked, this, [this] { BitBtn1Click(); });
    hide();
}

void TForm5::showEvent(QShowEvent* event) {
    edit_->setText(BaseName);
    QWidget::showEvent(event);
}

void TForm5::hideEvent(QHideEvent* event) {
    // FormHide: the keyboard belongs to this window while it is open.
    if (keyboard_)
        keyboard_->hide();
    QWidget::hideEvent(event);
}

void TForm5::SetKeyboard(TForm4* keyboard) {
    keyboard_ = keyboard;
    keyboardButton_->setEnabled(keyboard != nullptr);
}

void TForm5::BitBtn1Click() {
    if (keyboard_)
        keyboard_->ToggleKeyboard(this, edit_);
}

void TForm5::Button1Click() {
    if (edit_->text().isEmpty())
        edit_->setText(QStringLiteral("CAPTURE"));
    BaseName = edit_->text();
    hide();
}

void TForm5::Button2Click() {
    hide();
}

} // namespace orbicap

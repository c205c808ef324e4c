#include "ConfigOverlay.h"

#include "ui/Artwork.h"
#include "ui/VirtualKeyboard.h"
#include "widgets/ColorSelector.h"
#include "widgets/GlassButton.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orbicap {

TConfText::TConfText(OverlayText& overlay, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      overlay_(overlay) {
    setObjectName(QStringLiteral("ConfText"));
    setWindowTitle(QStringLiteral("Text Overlay Properties"));
    setFixedSize(353, 249);
    setAutoFillBackground(true);

    auto* group = new QGroupBox(QStringLiteral("Date/Time format select"), this);
    group->setObjectName(QStringLiteral("RadioGroup1"));
    group->setGeometry(7, 4, 339, 129);
    radioBox_ = group;
    new QVBoxLayout(group);
    radio_ = new QButtonGroup(this);

    auto* prefixLabel = new QLabel(QStringLiteral("Text Prefix"), this);
    prefixLabel->setObjectName(QStringLiteral("Label2"));
    prefixLabel->setGeometry(8, 140, 70, 20);
    fixed_ = new QLineEdit(this);
    fixed_->setObjectName(QStringLiteral("fixed"));
    fixed_->setGeometry(73, 138, 273, 24);

    auto* colorLabel = new QLabel(QStringLiteral("Background Color"), this);
    colorLabel->setObjectName(QStringLiteral("Label3"));
    colorLabel->setGeometry(8, 172, 110, 20);
    bgc_ = new ColorSelector(this);
    bgc_->setObjectName(QStringLiteral("BGC"));
    bgc_->setGeometry(120, 170, 120, 24);

    auto* font = new QPushButton(QStringLiteral("Font..."), this);
    font->setObjectName(QStringLiteral("Button3"));
    font->setGeometry(250, 170, 96, 26);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setGeometry(140, 212, 75, 28);
    auto* keyboard = new GlassButton(QIcon(KeyboardIcon()), QString(), this);
    keyboard->setObjectName(QStringLiteral("AdvGlassButton1"));
    keyboard->setGeometry(310, 212, 36, 28);
    keyboard->setEnabled(false); // until the on-screen keyboard is there
    keyboardButton_ = keyboard;

    // FormCreate: the font, the formats with a sample of today, the defaults.
    style_ = OverlayStyle{};
    style_.Font = MatchedFont(style_.Font);
    ChooseFont = [this](const QFont& current) -> std::optional<QFont> {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, current, this);
        return ok ? std::optional<QFont>(chosen) : std::nullopt;
    };
    ChooseColor = [this](const QColor& current) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(current, this, QStringLiteral("Text Color"));
        return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
    };
    hide();
    const char* captions[] = {"No Data", "Date", "Date/Time (s)", "Date/Time(ms)", "Time(ms)"};
    for (int i = 0; i < 5; ++i)
        Additem(QString::fromLatin1(captions[i]), kOverlayFormats[i], i);
    radio_->button(3)->setChecked(true);
    overlay_.SetDateFormat(kOverlayFormats[3]);
    style_.BackColor = bgc_->SelectedColor();

    connect(radio_, &QButtonGroup::idClicked, this, [this](int id) { RadioGroup1Click(id); });
    connect(fixed_, &QLineEdit::textChanged, this, [this](const QString& t) { fixedChange(t); });
    connect(bgc_, &ColorSelector::changed, this, [this](const QColor& c) { BGCChange(c); });
    connect(font, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);
    connect(keyboard, &GlassButton::clicked, this, [this] { BitBtn1Click(); });
}

void TConfText::SetKeyboard(TForm4* keyboard) {
    keyboard_ = keyboard;
    keyboardButton_->setEnabled(keyboard != nullptr);
}

void TConfText::BitBtn1Click() {
    if (keyboard_)
        keyboard_->ToggleKeyboard(this, fixed_);
}

void TConfText::hideEvent(QHideEvent* event) {
    // FormHide: the keyboard belongs to this window while it is open.
    if (keyboard_)
        keyboard_->hide();
    QWidget::hideEvent(event);
}

void TConfText::Additem(const QString& caption, const std::string& format, int index) {
    QString text = caption;
    if (!format.empty())
        text += QStringLiteral(" (") +
                QString::fromStdString(
                    FormatDateTime(format, CurrentLocalDateTime(), overlay_.Separators())) +
                QStringLiteral(")");
    auto* button = new QRadioButton(text, radioBox_);
    button->setObjectName(QStringLiteral("Format%1").arg(index));
    radioBox_->layout()->addWidget(button);
    radio_->addButton(button, index);
}

void TConfText::RadioGroup1Click(int index) {
    overlay_.SetDateFormat(kOverlayFormats[static_cast<std::size_t>(index)]);
}

void TConfText::fixedChange(const QString& text) {
    overlay_.SetPrefix(text.toStdString());
}

void TConfText::BGCChange(const QColor& color) {
    style_.BackColor = color;
    if (StyleChanged)
        StyleChanged(style_);
}

QFont TConfText::MatchedFont(const QFont& requested) {
    // The face font matching gives for the request, named as such: the font
    // dialog then opens on the face the stamp is drawn in, and OK without a
    // change keeps it.
    QFont matched(QFontInfo(requested).family(), requested.pointSize());
    matched.setWeight(requested.weight());
    matched.setItalic(requested.italic());
    return matched;
}

void TConfText::Button3Click() {
    if (!ChooseFont)
        return;
    const std::optional<QFont> chosen = ChooseFont(style_.Font);
    if (!chosen)
        return;
    style_.Font = *chosen;
    // The font comes with its colour; cancelling the colour keeps the old one.
    if (ChooseColor)
        if (const std::optional<QColor> color = ChooseColor(style_.TextColor))
            style_.TextColor = *color;
    if (StyleChanged)
        StyleChanged(style_);
}

} // namespace orbicap

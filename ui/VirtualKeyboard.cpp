#include "VirtualKeyboard.h"

#include "aids/KeyboardLayout.h"
#include "ui/KeyboardArtwork.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QWindow>

namespace orbicap {

namespace {

constexpr int kPollMs = 100;

QLabel* MakePanel(const KeyPanel& panel, QWidget* parent) {
    auto* label = new QLabel(panel.Caption, parent);
    label->setObjectName(PanelName(panel));
    label->setGeometry(panel.Left, panel.Top, panel.Width, panel.Height);
    label->setFrameStyle(QFrame::Panel | QFrame::Raised);
    label->setLineWidth(1);
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window,
                     panel.Number == kShiftKey ? QColor(192, 192, 192) : QColor(212, 208, 200));
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    // The keyboard itself takes every click, so a click is judged only by
    // its position, the same for a key's face and its border.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    if (panel.Number == kBackspaceKey || panel.Number == kReturnKey) {
        QFont font = label->font();
        font.setBold(true);
        font.setPointSize(14);
        label->setFont(font);
    } else if (panel.Number == kLayoutKey) {
        QFont font(QStringLiteral("Tahoma"), 6);
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

QLabel* MakeShiftPicture(bool latched, QWidget* parent) {
    auto* picture = new QLabel(parent);
    picture->setObjectName(latched ? QStringLiteral("ShiftOn") : QStringLiteral("ShiftOff"));
    picture->setPixmap(ShiftPicture(latched));
    picture->setGeometry((47 - 36) / 2, (45 - 36) / 2, 36, 36);
    picture->setAttribute(Qt::WA_TransparentForMouseEvents);
    return picture;
}

} // namespace

TForm4::TForm4(SettingsStore store, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus),
      store_(std::move(store)) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Virtual Keyboard.... AZERTY"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(kKeyboardWidth, kKeyboardHeight);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(64, 64, 64));
    setPalette(palette);

    for (const KeyPanel& panel : KeyboardPanels())
        panels_[panel.Number] = MakePanel(panel, this);
    // Hiding the upper picture reveals the lower one, so the lower is made
    // first.
    shiftOn_ = MakeShiftPicture(true, panels_[kShiftKey]);
    shiftOff_ = MakeShiftPicture(false, panels_[kShiftKey]);

    // FormCreate
    state_ = KeyboardState{};
    state_.Layout = ReadKeyboardLayout(store_);
    ShowShiftState();
    ApplyCaptions();
    connect(&timer1_, &QTimer::timeout, this, [this] { Timer1Timer(); });
    timer1_.start(kPollMs);
    hide();
}

void TForm4::ApplyCaptions() {
    for (const KeyPanel& panel : KeyboardPanels())
        panels_[panel.Number]->setText(
            panel.Number == kShiftKey ? QString() : PanelCaption(panel, state_.Layout));
}

void TForm4::ShowShiftState() {
    shiftOff_->setVisible(!state_.ShiftLatched);
}

void TForm4::SwitchLayout() {
    state_.Layout = OtherLayout(state_.Layout);
    ApplyCaptions();
    WriteKeyboardLayout(store_, state_.Layout);
}

void TForm4::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    RecordClick(state_, at.x(), at.y());
    event->accept();
}

void TForm4::Timer1Timer() {
    if (!isVisible() || !state_.ClickPending)
        return;
    const PollResult result = PollClick(state_);
    ShowShiftState();
    if (result.LayoutSwitched) {
        ApplyCaptions();
        WriteKeyboardLayout(store_, state_.Layout);
    }
    if (result.Stroke)
        SendKey(*result.Stroke);
}

void TForm4::SendKey(const KeyStroke& stroke) {
    QPointer<QWidget> target = QApplication::focusWidget();
    if (!target || isAncestorOf(target))
        target = field_;
    if (!target)
        return;
    QKeyEvent press(QEvent::KeyPress, stroke.Key, stroke.Modifiers, stroke.Text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, stroke.Key, stroke.Modifiers, stroke.Text);
    // The press may have closed the field's window (return) or more.
    if (target)
        QCoreApplication::sendEvent(target, &release);
}

void TForm4::ToggleKeyboard(QWidget* owner, QWidget* field) {
    const QRect frame = owner->frameGeometry();
    move(frame.left() - (width() - frame.width()) / 2, frame.top() + frame.height() + 20);
    setVisible(!isVisible());
    field_ = field;
    if (field) {
        owner->activateWindow();
        field->setFocus(Qt::OtherFocusReason);
    }
}

bool TForm4::event(QEvent* event) {
    // A modal window would block the keyboard; becoming the modal window's
    // transient child keeps it usable, so a name can still be typed.
    if (event->type() == QEvent::WindowBlocked && windowHandle()) {
        if (QWindow* modal = QGuiApplication::modalWindow(); modal && modal != windowHandle())
            windowHandle()->setTransientParent(modal);
    } else if (event->type() == QEvent::WindowUnblocked && windowHandle() && parentWidget() &&
               !QGuiApplication::modalWindow()) {
        // Back under the owner once the last modal window is gone (while one
        // is open, that would block the keyboard again).
        windowHandle()->setTransientParent(parentWidget()->window()->windowHandle());
    }
    return QWidget::event(event);
}

} // namespace orbicap

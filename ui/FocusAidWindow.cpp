#include "ui/FocusAidWindow.h"

#include <QGuiApplication>
#include <QHideEvent>
#include <QPixmap>
#include <QScreen>
#include <QShowEvent>

namespace orbicap {

TFocusForm::TFocusForm()
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FocusForm"));
    setWindowTitle(QStringLiteral("FOCUS AID"));
    setFixedSize(289, 339);
    focusPreview_ = new QLabel(this);
    focusPreview_->setObjectName(QStringLiteral("FocusPreview"));
    focusPreview_->setGeometry(8, 8, 272, 268);
    QImage blank(272, 268, QImage::Format_RGB32);
    blank.fill(Qt::black);
    focusPreview_->setPixmap(QPixmap::fromImage(blank));
    maxBright_ = new QLabel(QStringLiteral("000"), this);
    maxBright_->setObjectName(QStringLiteral("MaxBright"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(37);
    font.setBold(true);
    maxBright_->setFont(font);
    QPalette palette = maxBright_->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    maxBright_->setPalette(palette);
    maxBright_->move(104, 286);
    maxBright_->resize(120, 45);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(0, screen->geometry().height() - height() - 30);
}

void TFocusForm::ShowFocus(const QImage& preview, const QString& peak) {
    maxBright_->setText(peak);
    focusPreview_->setPixmap(QPixmap::fromImage(preview));
}

void TFocusForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return; // restored from minimised: the tool never went away
    if (VisibilityChanged)
        VisibilityChanged(true);
}

void TFocusForm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return; // minimised, not closed: the tool stays on
    if (VisibilityChanged)
        VisibilityChanged(false);
}

} // namespace orbicap

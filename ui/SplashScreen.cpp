#include "SplashScreen.h"

#include "ui/Artwork.h"
#include "ui/Version.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace orbicap {

SplashScreen::SplashScreen() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("SplashScreen"));
    setFixedSize(238, 265);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(166, 202, 240));
    setPalette(pal);

    auto* layout = new QVBoxLayout(this);
    title_ = new QLabel(kProductString + kVersionString, this);
    title_->setObjectName(QStringLiteral("Title"));
    title_->setAlignment(Qt::AlignCenter);
    QFont big = title_->font();
    big.setPointSize(16);
    big.setBold(true);
    title_->setFont(big);
    picture_ = new QLabel(this);
    picture_->setPixmap(PlanetPicture(140));
    picture_->setAlignment(Qt::AlignCenter);
    logo_ = new QLabel(this);
    logo_->setObjectName(QStringLiteral("MagZeroLogo"));
    logo_->setPixmap(MagZeroLogo());
    logo_->setAlignment(Qt::AlignCenter);
    logo_->hide();
    status_ = new QLabel(QStringLiteral("."), this);
    status_->setObjectName(QStringLiteral("Status"));
    status_->setAlignment(Qt::AlignCenter);
    QFont bold = status_->font();
    bold.setBold(true);
    status_->setFont(bold);
    status_->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    layout->addWidget(title_);
    layout->addWidget(picture_);
    layout->addWidget(logo_);
    layout->addWidget(status_);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

void SplashScreen::SetStatus(const QString& text) {
    status_->setText(text);
}

void SplashScreen::SetConnected() {
    status_->setStyleSheet(QStringLiteral("color: rgb(0, 128, 0);"));
}

void SplashScreen::ShowMagZeroLogo(bool visible) {
    logo_->setVisible(visible);
}

} // namespace orbicap

#include "About.h"

#include "ui/Artwork.h"
#include "ui/Version.h"
#include "ui/WaitUntilHidden.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace orbicap {

About::About(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Pellix..."));
    auto* layout = new QVBoxLayout(this);
    auto* picture = new QLabel(this);
    picture->setPixmap(PlanetPicture(96));
    picture->setAlignment(Qt::AlignCenter);
    product_ = new QLabel(kProductString, this);
    product_->setObjectName(QStringLiteral("ProductName"));
    version_ = new QLabel(QStringLiteral("Version") + kVersionString, this);
    version_->setObjectName(QStringLiteral("Version"));
    logo_ = new QLabel(this);
    logo_->setPixmap(MagZeroLogo());
    logo_->setObjectName(QStringLiteral("MagZeroLogo"));
    logo_->hide();
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);
    for (QWidget* w :
         {static_cast<QWidget*>(picture), static_cast<QWidget*>(product_),
          static_cast<QWidget*>(version_), static_cast<QWidget*>(logo_), static_cast<QWidget*>(ok)})
        layout->addWidget(w, 0, Qt::AlignHCenter);
    hide();
}

void About::ShowMagZeroLogo(bool visible) {
    logo_->setVisible(visible);
}

void About::ShowAndWait() {
    show();
    WaitUntilHidden(this);
}

} // namespace orbicap

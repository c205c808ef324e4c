#include "Artwork.h"

#include <QPainter>
#include <QRadialGradient>

namespace orbicap {

QPixmap PlanetPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient body(size * 0.4, size * 0.4, size * 0.5);
    body.setColorAt(0, QColor(250, 230, 190));
    body.setColorAt(1, QColor(170, 120, 70));
    p.setBrush(body);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(size * 0.1, size * 0.1, size * 0.8, size * 0.8));
    p.setBrush(QColor(140, 90, 50, 160));
    p.drawRect(QRectF(size * 0.12, size * 0.38, size * 0.76, size * 0.06));
    p.drawRect(QRectF(size * 0.12, size * 0.55, size * 0.76, size * 0.05));
    return pixmap;
}

QPixmap MagZeroLogo() {
    QPixmap pixmap(120, 28);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font = p.font();
    font.setBold(true);
    font.setPointSize(14);
    p.setFont(font);
    p.setPen(QColor(20, 40, 120));
    p.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("MagZero"));
    return pixmap;
}

QPixmap KeyboardIcon() {
    QPixmap pixmap(24, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    p.drawRect(0, 0, 23, 15);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 5; ++col)
            p.fillRect(2 + col * 4, 2 + row * 4, 3, 3, Qt::black);
    return pixmap;
}

} // namespace orbicap

#include "KeyboardArtwork.h"

#include <QPainter>
#include <QPolygonF>

namespace orbicap {

QPixmap ShiftPicture(bool latched) {
    QPixmap pixmap(36, 36);
    pixmap.fill(latched ? QColor(255, 230, 120) : QColor(192, 192, 192));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPolygonF arrow({{18, 4}, {32, 18}, {24, 18}, {24, 31}, {12, 31}, {12, 18}, {4, 18}});
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(latched ? QBrush(Qt::black) : QBrush(Qt::NoBrush));
    p.drawPolygon(arrow);
    return pixmap;
}

} // namespace orbicap

#include "ImageView.h"

#include <QPaintEvent>
#include <QPainter>

namespace orbicap {

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
}

void ImageView::ShowPicture(const QImage* picture) {
    picture_ = picture;
    PictureChanged();
}

void ImageView::PictureChanged() {
    if (picture_ && !picture_->isNull() && size() != picture_->size())
        setFixedSize(picture_->size());
    update();
}

void ImageView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect r = event->rect();
    if (!picture_ || picture_->isNull())
        painter.fillRect(r, Qt::black);
    else
        painter.drawImage(r, *picture_, r); // through a const reference: no detach, no copy
}

OutlineShape::OutlineShape(Kind kind, QColor color, int penWidth, Qt::PenStyle style,
                           QWidget* parent)
    : QWidget(parent), kind_(kind), color_(color), penWidth_(penWidth), style_(style) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void OutlineShape::SetPen(QColor color, int penWidth) {
    color_ = color;
    penWidth_ = penWidth;
    update();
}

void OutlineShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QPen pen(color_, penWidth_, style_);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const int inset = penWidth_ / 2;
    const QRect r = rect().adjusted(inset, inset, -inset - 1, -inset - 1);
    if (kind_ == Kind::Circle)
        painter.drawEllipse(r);
    else
        painter.drawRect(r);
}

} // namespace orbicap

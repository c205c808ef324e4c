#pragma once

#include <QImage>
#include <QWidget>

namespace orbicap {

// The display image: takes the size of its picture and paints it unscaled.
class ImageView : public QWidget {
public:
    explicit ImageView(QWidget* parent = nullptr);
    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

// A rectangle or circle outline laid over the image (subframe outlines,
// Roddier circles); transparent inside and to the mouse.
class OutlineShape : public QWidget {
public:
    enum class Kind { Rectangle, Circle };
    OutlineShape(Kind kind, QColor color, int penWidth, Qt::PenStyle style, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind kind_;
    QColor color_;
    int penWidth_;
    Qt::PenStyle style_;
};

} // namespace orbicap

#pragma once

#include <QImage>
#include <QWidget>

namespace orbicap {

// The display image: takes the size of its picture and paints it unscaled.
// It paints the picture it is shown in place, never a copy of it: the
// picture belongs to whoever draws it (the display renderer), and what that
// draws into it, aids included, is what the user sees at the next paint.
class ImageView : public QWidget {
public:
    explicit ImageView(QWidget* parent = nullptr);
    // The picture to paint from now on; it must outlive the view.
    void ShowPicture(const QImage* picture);
    // The shown picture was drawn again (its size may have changed).
    void PictureChanged();
    const QImage* Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage* picture_ = nullptr;
};

// A rectangle or circle outline laid over the image (subframe outlines,
// Roddier circles); transparent inside and, unless the pointer tools take
// its events, to the mouse.
class OutlineShape : public QWidget {
public:
    enum class Kind { Rectangle, Circle };
    OutlineShape(Kind kind, QColor color, int penWidth, Qt::PenStyle style, QWidget* parent);
    void SetPen(QColor color, int penWidth);
    QColor PenColor() const { return color_; }
    int PenWidth() const { return penWidth_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind kind_;
    QColor color_;
    int penWidth_;
    Qt::PenStyle style_;
};

} // namespace orbicap

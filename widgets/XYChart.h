#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QWidget>

#include <vector>

namespace orbicap {

// Line chart drawn from recorded pen strokes and marks in data units. The strokes are mapped to
// pixels when the chart is painted, so the ranges may be set after the data is drawn. The plot
// area is a light grey rectangle inside the margins; the axes run along its left and bottom
// edges with tick marks. Lines are clipped to the plot area, marks only to the widget.
//
// Pixel mapping: the x range spans the plot area's columns from its first to its last, the
// y range its rows from the bottom one (min) to the top one (max).
class XYChart : public QWidget {
    Q_OBJECT
public:
    enum MarkStyle {
        MarkTriangleUpHollow = 35, // outline only
        MarkTriangleUpFilled = 36,
    };
    // A mark reaches this many pixels left/right of its x, above and below its y.
    static constexpr int MarkHalfWidth = 4;
    static constexpr int MarkAbove = 4;
    static constexpr int MarkBelow = 3;

    explicit XYChart(QWidget* parent = nullptr);

    // Forgets all strokes and marks and puts the pen at (0, 0); ranges and colour stay.
    void Clear();
    void SetDataColor(const QColor& color) { dataColor_ = color; }
    QColor DataColor() const { return dataColor_; }
    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    // Styles other than the two triangles are ignored.
    void Mark(double x, double y, int style);
    void SetXRange(double min, double max);
    void SetYRange(double min, double max);
    void Redraw() { update(); }

    void SetMargins(int left, int top, int right, int bottom);
    void SetAreaColor(const QColor& color);
    QColor AreaColor() const { return areaColor_; }
    // Writes the range ends beside the axes (off by default).
    void SetScaleNumbers(bool on);

    QRect PlotArea() const;
    // Pixel position of a data point, unrounded.
    QPointF ToPixel(double x, double y) const;
    // The chart as it would be painted now, at the widget's size.
    QImage Render() const;

    int SegmentCount() const { return static_cast<int>(segments_.size()); }
    int MarkCount() const { return static_cast<int>(marks_.size()); }

    QSize sizeHint() const override { return {161, 121}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Segment {
        QPointF from;
        QPointF to;
        QColor color;
    };
    struct MarkItem {
        QPointF at;
        int style;
        QColor color;
    };

    void Paint(QPainter& painter) const;
    void PaintAxes(QPainter& painter, const QRect& plot) const;
    void PaintMark(QPainter& painter, const MarkItem& mark) const;
    QPoint PixelPoint(const QPointF& data) const;

    std::vector<Segment> segments_;
    std::vector<MarkItem> marks_;
    QPointF pen_{0.0, 0.0};
    QColor dataColor_{Qt::black};
    QColor areaColor_{0xd3, 0xd3, 0xd3};
    double xMin_ = 0.0;
    double xMax_ = 100.0;
    double yMin_ = 0.0;
    double yMax_ = 100.0;
    int marginLeft_ = 10;
    int marginTop_ = 5;
    int marginRight_ = 5;
    int marginBottom_ = 10;
    bool scaleNumbers_ = false;
};

} // namespace orbicap

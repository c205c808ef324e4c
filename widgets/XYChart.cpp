#include "widgets/XYChart.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace orbicap {

namespace {

constexpr int kTickLength = 3;
constexpr int kTargetTicks = 5;
// Far outside any widget, small enough that pixel arithmetic cannot overflow.
constexpr double kPixelLimit = 1.0e6;

double Span(double min, double max) {
    const double span = max - min;
    return (std::isfinite(span) && span != 0.0) ? span : 1.0;
}

int ToPixelInt(double v) {
    return static_cast<int>(std::lround(std::clamp(v, -kPixelLimit, kPixelLimit)));
}

// Tick spacing of 1, 2 or 5 times a power of ten giving about `target` ticks over `span`.
double NiceStep(double span, int target) {
    const double raw = std::fabs(span) / target;
    if (!(raw > 0.0) || !std::isfinite(raw)) {
        return 0.0;
    }
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double fraction = raw / power;
    const double nice = fraction < 1.5 ? 1.0 : fraction < 3.5 ? 2.0 : fraction < 7.5 ? 5.0 : 10.0;
    return nice * power;
}

template <typename Emit> void ForEachTick(double min, double max, Emit emitTick) {
    const double lo = std::min(min, max);
    const double hi = std::max(min, max);
    const double step = NiceStep(hi - lo, kTargetTicks);
    if (step <= 0.0) {
        return;
    }
    // Counted, not accumulated: with huge values `v += step` might never move.
    const double first = std::ceil(lo / step);
    for (int k = 0; k <= 4 * kTargetTicks; ++k) {
        const double v = (first + k) * step;
        if (v > hi + step * 1e-9) {
            break;
        }
        emitTick(v);
    }
}

} // namespace

XYChart::XYChart(QWidget* parent) : QWidget(parent) {
    resize(sizeHint());
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void XYChart::Clear() {
    segments_.clear();
    marks_.clear();
    pen_ = QPointF(0.0, 0.0);
}

void XYChart::MoveTo(double x, double y) {
    pen_ = QPointF(x, y);
}

void XYChart::LineTo(double x, double y) {
    const QPointF to(x, y);
    if (std::isfinite(x) && std::isfinite(y) && std::isfinite(pen_.x()) &&
        std::isfinite(pen_.y())) {
        segments_.push_back({pen_, to, dataColor_});
    }
    pen_ = to;
}

void XYChart::Mark(double x, double y, int style) {
    if ((style != MarkTriangleUpHollow && style != MarkTriangleUpFilled) || !std::isfinite(x) ||
        !std::isfinite(y)) {
        return;
    }
    marks_.push_back({QPointF(x, y), style, dataColor_});
}

void XYChart::SetXRange(double min, double max) {
    xMin_ = min;
    xMax_ = max;
}

void XYChart::SetYRange(double min, double max) {
    yMin_ = min;
    yMax_ = max;
}

void XYChart::SetMargins(int left, int top, int right, int bottom) {
    marginLeft_ = std::max(0, left);
    marginTop_ = std::max(0, top);
    marginRight_ = std::max(0, right);
    marginBottom_ = std::max(0, bottom);
    update();
}

void XYChart::SetAreaColor(const QColor& color) {
    areaColor_ = color;
    update();
}

void XYChart::SetScaleNumbers(bool on) {
    scaleNumbers_ = on;
    update();
}

QRect XYChart::PlotArea() const {
    return QRect(marginLeft_, marginTop_, std::max(1, width() - marginLeft_ - marginRight_),
                 std::max(1, height() - marginTop_ - marginBottom_));
}

QPointF XYChart::ToPixel(double x, double y) const {
    const QRect plot = PlotArea();
    const double px = plot.left() + (x - xMin_) / Span(xMin_, xMax_) * (plot.width() - 1);
    const double py = plot.bottom() - (y - yMin_) / Span(yMin_, yMax_) * (plot.height() - 1);
    return {px, py};
}

QPoint XYChart::PixelPoint(const QPointF& data) const {
    const QPointF p = ToPixel(data.x(), data.y());
    return {ToPixelInt(p.x()), ToPixelInt(p.y())};
}

QImage XYChart::Render() const {
    QImage image(size(), QImage::Format_RGB32);
    QPainter painter(&image);
    Paint(painter);
    return image;
}

void XYChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Paint(painter);
}

void XYChart::Paint(QPainter& painter) const {
    const QRect plot = PlotArea();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.fillRect(plot, areaColor_);
    PaintAxes(painter, plot);

    painter.save();
    painter.setClipRect(plot);
    for (const Segment& s : segments_) {
        painter.setPen(QPen(s.color, 0));
        painter.drawLine(PixelPoint(s.from), PixelPoint(s.to));
    }
    painter.restore();

    for (const MarkItem& m : marks_) {
        PaintMark(painter, m);
    }
}

void XYChart::PaintMark(QPainter& painter, const MarkItem& mark) const {
    // Rasterised row by row so both triangles have the exact, symmetric pixel extent
    // whatever the paint engine does with polygon edges.
    const QPoint c = PixelPoint(mark.at);
    const int rows = MarkAbove + MarkBelow + 1;
    for (int i = 0; i < rows; ++i) {
        const int y = c.y() - MarkAbove + i;
        const int half = (i * MarkHalfWidth + (rows - 1) / 2) / (rows - 1);
        const bool solidRow = mark.style == MarkTriangleUpFilled || i == rows - 1;
        if (solidRow) {
            painter.fillRect(QRect(c.x() - half, y, 2 * half + 1, 1), mark.color);
        } else {
            painter.fillRect(QRect(c.x() - half, y, 1, 1), mark.color);
            painter.fillRect(QRect(c.x() + half, y, 1, 1), mark.color);
        }
    }
}

void XYChart::PaintAxes(QPainter& painter, const QRect& plot) const {
    // The axes lie just outside the plot area so data on its edges stays visible.
    const int axisX = plot.left() - 1;
    const int axisY = plot.bottom() + 1;
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(axisX, plot.top(), axisX, axisY);
    painter.drawLine(axisX, axisY, plot.right(), axisY);

    ForEachTick(xMin_, xMax_, [&](double v) {
        const int px = ToPixelInt(ToPixel(v, yMin_).x());
        painter.drawLine(px, axisY, px, axisY + kTickLength);
    });
    ForEachTick(yMin_, yMax_, [&](double v) {
        const int py = ToPixelInt(ToPixel(xMin_, v).y());
        painter.drawLine(axisX - kTickLength, py, axisX, py);
    });

    if (!scaleNumbers_) {
        return;
    }
    QFont font = painter.font();
    font.setPixelSize(8);
    painter.setFont(font);
    const auto number = [](double v) { return QString::number(v, 'g', 4); };
    const int textHeight = painter.fontMetrics().height();
    painter.drawText(QRect(0, plot.top(), axisX - 1, textHeight), Qt::AlignRight | Qt::AlignTop,
                     number(yMax_));
    painter.drawText(QRect(0, axisY - textHeight, axisX - 1, textHeight),
                     Qt::AlignRight | Qt::AlignBottom, number(yMin_));
    painter.drawText(QRect(plot.left(), axisY + 1, plot.width(), height() - axisY - 1),
                     Qt::AlignLeft | Qt::AlignTop, number(xMin_));
    painter.drawText(QRect(plot.left(), axisY + 1, plot.width(), height() - axisY - 1),
                     Qt::AlignRight | Qt::AlignTop, number(xMax_));
}

} // namespace orbicap

#include "widgets/TrackBar.h"

#include "widgets/PopupMenu.h"

namespace orbicap {

TrackBar::TrackBar(Qt::Orientation orientation, QWidget* parent) : QSlider(orientation, parent) {
    setTickPosition(orientation == Qt::Horizontal ? QSlider::TicksBelow : QSlider::TicksLeft);
    // QSlider reports every change of its value, including nested ones made by a handler.
    connect(this, &QSlider::valueChanged, this, &TrackBar::changed);
}

TrackBar::TrackBar(int min, int max, Qt::Orientation orientation, QWidget* parent)
    : TrackBar(orientation, parent) {
    setRange(min, max);
    setTickInterval((max - min) >= 20 ? (max - min) / 10 : 1);
}

void TrackBar::SetPopupMenu(QMenu* menu) {
    AttachPopupMenu(this, menu);
}

} // namespace orbicap

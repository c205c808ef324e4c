#pragma once

#include <QSlider>

class QMenu;

namespace orbicap {

// Slider with a fixed integer range. `changed` is raised for every change of position, whether
// the user moved it or the program set it, and also from inside a `changed` handler that sets
// the position again (the nested change is raised before the outer handler returns). Setting
// the position it already has raises nothing. Positions outside the range are clamped.
//
// A vertical bar has its maximum at the top and its minimum at the bottom.
class TrackBar : public QSlider {
    Q_OBJECT
public:
    explicit TrackBar(Qt::Orientation orientation = Qt::Horizontal, QWidget* parent = nullptr);
    TrackBar(int min, int max, Qt::Orientation orientation, QWidget* parent = nullptr);

    int Position() const { return value(); }
    void SetPosition(int position) { setValue(position); }

    int Min() const { return minimum(); }
    int Max() const { return maximum(); }
    // Clamps the current position into the new range; raises `changed` if that moves it.
    void SetRange(int min, int max) { setRange(min, max); }

    void SetPopupMenu(QMenu* menu);

signals:
    void changed(int position);
};

} // namespace orbicap

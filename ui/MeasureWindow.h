#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>

#include <functional>

namespace orbicap {

class XYChart;

// "Measurement & Profile": the unit of the distance readout, the focal
// length for arc seconds, and the brightness profile along the line.
class TForm8 : public QWidget {
public:
    TForm8();

    // Runs when the window is hidden (FormHide).
    std::function<void()> Hidden;

    bool ArcSeconds() const { return arcSeconds_->isChecked(); }
    QLineEdit* FL() const { return fl_; }
    XYChart* RChart1() const { return chart_; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QRadioButton* pixels_;
    QRadioButton* arcSeconds_;
    QLineEdit* fl_;
    XYChart* chart_;
};

} // namespace orbicap

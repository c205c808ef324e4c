#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QWidget>

#include <functional>

namespace orbicap {

class TrackBar;

// "Solar Observation Settings": the saturation limit and the shade that the
// display palette shows at and above it, while the box is checked and the
// window is shown.
class TForm7 : public QWidget {
public:
    TForm7();

    // The limit and shade to apply now; (255, 255) switches the shading off.
    std::function<void(int limit, int shade)> SolarChanged;

    void CheckBox1Click();
    void LimitChange();
    void ShadeChange();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Apply(int limit, int shade);

    QCheckBox* checkBox1_;
    QLabel* label2_;
    QLabel* label4_;
    TrackBar* limit_;
    TrackBar* shade_;
    int solarLimit_ = 255;
    int solarShade_ = 255;
};

} // namespace orbicap

#pragma once

#include "aids/Roddier.h"

#include <QCheckBox>
#include <QLabel>
#include <QWidget>

#include <functional>

namespace orbicap {

class ColorSelector;
class GlassButton;
class TrackBar;

// "Roddier Capture Aid": the reference circle's colour, width and size, the
// three rim points, the fitted circle and its adoption as reference. What the
// controls do to the circles on the image is the tools controller's.
class TForm2 : public QWidget {
public:
    TForm2();

    std::function<void()> FormShow;
    std::function<void()> FormHide;

    void ShowPoints(const RoddierPoints& points);
    void ShowFit(const std::optional<CircleFit>& fit);

    ColorSelector* AdvOfficeColorSelector1() const { return colour_; }
    TrackBar* SWidth() const { return width_; }
    TrackBar* Size() const { return size_; }
    QLabel* Label9() const { return label9_; }
    QCheckBox* CheckBox1() const { return checkBox1_; }
    GlassButton* AdvGlassButton1() const { return useAsRef_; }
    QLabel* Cc() const { return cc_; }
    QLabel* Rc() const { return rc_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    ColorSelector* colour_;
    TrackBar* width_;
    TrackBar* size_;
    QLabel* label9_;
    QCheckBox* checkBox1_;
    QLabel* coords_[6];
    QLabel* cc_;
    QLabel* rc_;
    GlassButton* useAsRef_;
};

} // namespace orbicap

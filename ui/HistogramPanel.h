#pragma once

#include "session/AppContext.h"

#include <QCheckBox>
#include <QLabel>

#include <cstdint>

namespace orbicap {

class XYChart;
struct HistogramPlot;

// The histogram of the displayed frame with its average and saturation
// readouts, and its on/off and logarithmic switches.
class HistogramPanel {
public:
    explicit HistogramPanel(AppContext& context) : ctx_(context) {}

    QCheckBox* HGram = nullptr;
    QCheckBox* Loga = nullptr;
    QWidget* Panel6 = nullptr;
    XYChart* H1 = nullptr;
    QLabel* LAvg = nullptr;
    QLabel* Sat = nullptr;

    void Bind(QObject* owner);

    void HGramClick();
    // A displayed frame's 8-bit pixels, drawn against the level sliders.
    void Update(const std::uint8_t* pixels, int width, int height, int black, int white);
    void ApplyHistogramPlot(const HistogramPlot& plot);

private:
    AppContext& ctx_;
};

} // namespace orbicap

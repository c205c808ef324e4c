#include "ui/HistogramPanel.h"

#include "pipeline/Histogram.h"
#include "widgets/XYChart.h"

namespace orbicap {

void HistogramPanel::Bind(QObject* owner) {
    QObject::connect(HGram, &QCheckBox::clicked, owner, [this] { HGramClick(); });
}

void HistogramPanel::HGramClick() {
    const bool on = HGram->isChecked();
    Panel6->setVisible(on);
    Loga->setVisible(on);
}

void HistogramPanel::Update(const std::uint8_t* pixels, int width, int height, int black,
                            int white) {
    if (auto plot = ctx_.Histogram.UpdateHistogram(pixels, width, height, Loga->isChecked(), black,
                                                   white, H1->height(), ctx_.Ticks))
        ApplyHistogramPlot(*plot);
}

void HistogramPanel::ApplyHistogramPlot(const HistogramPlot& plot) {
    H1->Clear();
    H1->SetDataColor(plot.DataColor);
    for (int i = 0; i < 256; ++i) {
        H1->MoveTo(i, 0);
        H1->LineTo(i, plot.Heights[static_cast<std::size_t>(i)]);
    }
    Sat->setVisible(plot.Saturated);
    H1->SetXRange(plot.XMin, plot.XMax);
    H1->SetYRange(plot.YMin, plot.Ymax);
    LAvg->setText(QStringLiteral("AVG:%1").arg(plot.Average));
    H1->SetDataColor(Qt::black);
    H1->Mark(plot.BlackMark.X, plot.BlackMark.Y, plot.BlackMark.Style);
    H1->Mark(plot.WhiteMark.X, plot.WhiteMark.Y, plot.WhiteMark.Style);
    H1->Redraw();
}

} // namespace orbicap

// The live display: refresh, histogram, zoom, frame rate, levels, overlay.
#include "Main.h"

#include "pipeline/Histogram.h"
#include "pipeline/LevelSliders.h"
#include "pipeline/View.h"
#include "ui/ConfigOverlay.h"
#include "ui/ImageView.h"
#include "ui/WaitUntilHidden.h"
#include "widgets/TrackBar.h"
#include "widgets/XYChart.h"

#include <QScrollBar>

namespace orbicap {

void TForm1::RefreshDisplay() {
    ctx_.Display->RefreshDisplay(ctx_.Flow->Intake);
    // The canvas follows the picture so the scroll box can scroll over it.
    const QSize box = scrollBox1_->viewport()->size();
    const QSize picture = image1_->size();
    const QSize needed(std::max(box.width(), image1_->x() + picture.width()),
                       std::max(box.height(), image1_->y() + picture.height()));
    if (canvas_->size() != needed)
        canvas_->resize(needed);
}

void TForm1::positionImage() {
    const QSize box = scrollBox1_->size();
    const QImage* shown = image1_->Picture();
    const QSize picture = !shown || shown->isNull() ? image1_->size() : shown->size();
    const PixelPoint at =
        PositionImage(box.width(), box.height(), picture.width(), picture.height());
    image1_->move(at.X, at.Y);
    canvas_->resize(std::max(box.width(), at.X + picture.width()),
                    std::max(box.height(), at.Y + picture.height()));
}

void TForm1::SetZoom(int percent) {
    ctx_.Display->ZoomPercent = percent;
    scrollBox1_->horizontalScrollBar()->setValue(0);
    scrollBox1_->verticalScrollBar()->setValue(0);
}

void TForm1::Timer1Timer() {
    TVideoCapture& capture = ctx_.CaptureThread;
    const Tick elapsed = ctx_.Ticks.Now() - capture.FpsStart;
    if (const std::optional<QString> text = FrameRateText(capture.FpsCount, elapsed)) {
        statusPanels_[0]->setText(*text);
        capture.FpsCount = 0;
        capture.FpsStart = ctx_.Ticks.Now();
    }
    if (ctx_.Flow)
        ctx_.Control.CheckCameraStall(ctx_.Flow->LastFrameTick);
}

void TForm1::HGramClick() {
    const bool on = hgram_->isChecked();
    panel6_->setVisible(on);
    loga_->setVisible(on);
}

void TForm1::ApplyHistogramPlot(const HistogramPlot& plot) {
    h1_->Clear();
    h1_->SetDataColor(plot.DataColor);
    for (int i = 0; i < 256; ++i) {
        h1_->MoveTo(i, 0);
        h1_->LineTo(i, plot.Heights[static_cast<std::size_t>(i)]);
    }
    sat_->setVisible(plot.Saturated);
    h1_->SetXRange(plot.XMin, plot.XMax);
    h1_->SetYRange(plot.YMin, plot.Ymax);
    lAvg_->setText(QStringLiteral("AVG:%1").arg(plot.Average));
    h1_->SetDataColor(Qt::black);
    h1_->Mark(plot.BlackMark.X, plot.BlackMark.Y, plot.BlackMark.Style);
    h1_->Mark(plot.WhiteMark.X, plot.WhiteMark.Y, plot.WhiteMark.Style);
    h1_->Redraw();
}

void TForm1::_BLACKChange() {
    // Moved onto or past the white slider, it comes to rest one step below;
    // setting that position raises this handler once more, with the level.
    const int settled = SettleBlackSlider(black_->Position(), white_->Position());
    if (settled != black_->Position()) {
        black_->SetPosition(settled);
        return;
    }
    if (ctx_.Display)
        ctx_.Display->BlackLevel = settled;
}

void TForm1::_WHITEChange() {
    const int settled = SettleWhiteSlider(white_->Position(), black_->Position());
    if (settled != white_->Position()) {
        white_->SetPosition(settled);
        return;
    }
    if (ctx_.Display)
        ctx_.Display->WhiteLevel = settled;
}

void TForm1::Visible1Click() {
    const bool on = visible1_->isChecked();
    ctx_.Display->OverlayVisible = on;
    ctx_.Recorder.OverlayVisible = on;
}

void TForm1::Configure1Click() {
    const QRect main = frameGeometry();
    confText_->move(main.left() + (main.width() - confText_->width()) / 2, main.top() + 55);
    confText_->show();
    WaitUntilHidden(confText_);
}

} // namespace orbicap

#include "ui/DisplayPanel.h"

#include "pipeline/LevelSliders.h"
#include "pipeline/View.h"
#include "ui/ConfigOverlay.h"
#include "ui/ImageView.h"
#include "ui/WaitUntilHidden.h"
#include "widgets/TrackBar.h"

#include <QScrollBar>

#include <algorithm>

namespace orbicap {

void DisplayPanel::Bind(QObject* owner) {
    QObject::connect(Black, &TrackBar::changed, owner, [this] { _BLACKChange(); });
    QObject::connect(White, &TrackBar::changed, owner, [this] { _WHITEChange(); });
    QObject::connect(&Timer1, &QTimer::timeout, owner, [this] { Timer1Timer(); });
}

void DisplayPanel::RefreshDisplay() {
    ctx_.Display->RefreshDisplay(ctx_.Flow->Intake);
    // The canvas follows the picture so the scroll box can scroll over it.
    const QSize box = ScrollBox1->viewport()->size();
    const QSize picture = Image1->size();
    const QSize needed(std::max(box.width(), Image1->x() + picture.width()),
                       std::max(box.height(), Image1->y() + picture.height()));
    if (Canvas->size() != needed)
        Canvas->resize(needed);
}

void DisplayPanel::positionImage() {
    const QSize box = ScrollBox1->size();
    const QImage* shown = Image1->Picture();
    const QSize picture = !shown || shown->isNull() ? Image1->size() : shown->size();
    const PixelPoint at =
        PositionImage(box.width(), box.height(), picture.width(), picture.height());
    Image1->move(at.X, at.Y);
    Canvas->resize(std::max(box.width(), at.X + picture.width()),
                   std::max(box.height(), at.Y + picture.height()));
}

void DisplayPanel::SetZoom(int percent) {
    ctx_.Display->ZoomPercent = percent;
    ScrollBox1->horizontalScrollBar()->setValue(0);
    ScrollBox1->verticalScrollBar()->setValue(0);
}

void DisplayPanel::Timer1Timer() {
    TVideoCapture& capture = ctx_.CaptureThread;
    const Tick elapsed = ctx_.Ticks.Now() - capture.FpsStart;
    if (const std::optional<QString> text = FrameRateText(capture.FpsCount, elapsed)) {
        RatePanel->setText(*text);
        capture.FpsCount = 0;
        capture.FpsStart = ctx_.Ticks.Now();
    }
    if (ctx_.Flow)
        ctx_.Control.CheckCameraStall(ctx_.Flow->LastFrameTick);
}

void DisplayPanel::_BLACKChange() {
    // Moved onto or past the white slider, it comes to rest one step below;
    // setting that position raises this handler once more, with the level.
    const int settled = SettleBlackSlider(Black->Position(), White->Position());
    if (settled != Black->Position()) {
        Black->SetPosition(settled);
        return;
    }
    if (ctx_.Display)
        ctx_.Display->BlackLevel = settled;
}

void DisplayPanel::_WHITEChange() {
    const int settled = SettleWhiteSlider(White->Position(), Black->Position());
    if (settled != White->Position()) {
        White->SetPosition(settled);
        return;
    }
    if (ctx_.Display)
        ctx_.Display->WhiteLevel = settled;
}

void DisplayPanel::Visible1Click() {
    const bool on = Visible1->isChecked();
    ctx_.Display->OverlayVisible = on;
    ctx_.Recorder.OverlayVisible = on;
}

void DisplayPanel::Configure1Click() {
    const QRect main = Window->frameGeometry();
    ConfText->move(main.left() + (main.width() - ConfText->width()) / 2, main.top() + 55);
    ConfText->show();
    WaitUntilHidden(ConfText);
}

} // namespace orbicap

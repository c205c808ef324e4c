#include "ui/CameraPanel.h"

#include "capture/CameraControls.h"
#include "session/Session.h"
#include "ui/ImageView.h"
#include "widgets/GlassButton.h"
#include "widgets/TrackBar.h"

namespace orbicap {

void CameraPanel::Bind(QObject* owner) {
    QObject::connect(Expot, &TrackBar::changed, owner, [this] { expoChange(); });
    QObject::connect(Gain, &TrackBar::changed, owner, [this] { GAINChange(); });
    QObject::connect(AdvGlassButton1, &QPushButton::pressed, owner,
                     [this] { AdvGlassButton1MouseDown(); });
    QObject::connect(AdvGlassButton1, &QPushButton::released, owner,
                     [this] { AdvGlassButton1MouseUp(); });
}

int CameraPanel::ExposureMs() const {
    return ExposureScale * Expot->Position();
}

void CameraPanel::expoChange() {
    TVideoCapture& capture = ctx_.CaptureThread;
    const int before = capture.ExposureMs;
    capture.ExposureMs = ExposureMs();
    // A long exposure already running would hold the new value back for
    // seconds.
    if (before > 500 && ctx_.Camera.CancelExposure)
        ctx_.Camera.CancelExposure();
    ctx_.Saved.SavedExpoLength = QString::number(capture.ExposureMs.load());
    Label5->setText(ExposureLabelText(capture.ExposureMs));
}

void CameraPanel::MenuItem8Click(QAction* item) {
    const int scale = ExposureScaleForRange(item->text());
    if (scale <= 0)
        return;
    const int position = SliderPositionForScale(Expot->Position(), ExposureScale, scale);
    ExposureScale = scale;
    Expot->SetPosition(position); // raises expoChange only when the position moves
}

void CameraPanel::GAINChange() {
    const int position = Gain->Position();
    ctx_.CaptureThread.Gain = position;
    Label6->setText(GainLabelText(position));
    ctx_.Saved.SavedGain = QString::number(position);
}

void CameraPanel::ExpertMode1Click() {
    const bool on = ExpertMode1->isChecked();
    ShowExpertControls(on);
    WriteExpertSetting(ctx_.Settings, on);
}

void CameraPanel::ShowExpertControls(bool visible) {
    Loga->setVisible(visible);
    Companding1->setVisible(visible);
    TenBit1->setVisible(visible);
    DigitalGainMenu->menuAction()->setVisible(visible);
    OverlayMenu->menuAction()->setVisible(visible);
}

void CameraPanel::ColorCamera1Click() {
    const bool on = ColorCamera1->isChecked();
    ctx_.Display->ColorCamera = on;
    ctx_.Recorder.ColorCamera = on;
    LevelSliders->setVisible(!on);
}

void CameraPanel::AdvGlassButton1MouseDown() {
    if (ctx_.CaptureThread.CaptureWidth != 752)
        return;
    const int z = ctx_.Display->ZoomPercent;
    const QPoint origin = Image1->pos();
    SmallFrame->setGeometry(origin.x() + z * 188 / 100, origin.y() + z * 120 / 100, z * 376 / 100,
                            z * 240 / 100);
    LargeFrame->setGeometry(origin.x() + z * 176 / 100, origin.y() + z * 40 / 100, z * 400 / 100,
                            z * 400 / 100);
    SmallFrame->show();
    LargeFrame->show();
    SmallFrame->raise();
    LargeFrame->raise();
}

void CameraPanel::AdvGlassButton1MouseUp() {
    SmallFrame->hide();
    LargeFrame->hide();
}

} // namespace orbicap

// Recording commands, output names and the recorder's feedback.
#include "Main.h"

#include "capture/CameraControls.h"
#include "recording/RecordFormat.h"
#include "ui/About.h"
#include "ui/OutputNames.h"
#include "ui/WaitUntilHidden.h"
#include "widgets/GlassButton.h"
#include "widgets/HtmlLabel.h"
#include "widgets/TrackBar.h"
#include "widgets/UnitEdit.h"

namespace orbicap {

void TForm1::SetFormat(int format, QAction* popupItem) {
    if (!ctx_.Control.SetRecordFormat(format)) {
        // The running recording keeps its format; put the marks back.
        formatItems_[ctx_.Recorder.RecordFormat]->setChecked(true);
        return;
    }
    formatItems_[format]->setChecked(true);
    if (popupItem)
        popupItem->setChecked(true);
    UpdateFormatButtons();
}

void TForm1::UpdateFormatButtons() {
    const int format = ctx_.Recorder.RecordFormat;
    const bool stream = format == kFormatSER || format == kFormatAVI;
    GlassButton* shown = stream ? butCapture_ : button3_;
    GlassButton* hidden = stream ? button3_ : butCapture_;
    const char* caption = format == kFormatSER   ? "SER"
                          : format == kFormatAVI ? "AVI"
                          : format == kFormatFIT ? "FIT"
                                                 : "BMP";
    shown->setText(QString::fromLatin1(caption));
    hidden->hide();
    if (!ctx_.Control.Recording()) {
        shown->show();
        shown->raise();
    }
}

void TForm1::butCaptureClick() {
    const CountSetting count{expos_->Text(), expos_->Unit() == 1};
    if (const Status started =
            ctx_.Control.StartVideo(CaptureFileName, ExposureScale * expot_->Position(), count);
        started.Failed())
        Message(QString::fromStdString(started.Message()));
}

void TForm1::Button3Click() {
    const CountSetting count{expos_->Text(), expos_->Unit() == 1};
    if (const Status started =
            ctx_.Control.StartStills(CaptureFileName, ExposureScale * expot_->Position(), count);
        started.Failed())
        Message(QString::fromStdString(started.Message()));
}

void TForm1::CancelButtonClick() {
    ctx_.Control.Cancel();
}

void TForm1::N12Click(QAction* item) {
    expos_->SetText(WithoutAccelerator(item->text()));
}

void TForm1::ApplyCaptureName(const std::optional<std::string>& name) {
    if (!name)
        return;
    CaptureFileName = QString::fromStdString(*name);
    ctx_.Saved.SavedFileName = CaptureFileName;
    butCapture_->setEnabled(true);
    button3_->setEnabled(true);
}

void TForm1::SetCaptureLocation1Click() {
    const QString folder = options_.ChooseFolder();
    if (folder.isEmpty())
        return;
    ApplyCaptureName(naming_.SetCaptureLocation(folder.toStdString()));
}

void TForm1::SetCaptureFilename1Click() {
    naming_.PrepareNameWindow(CaptureFileName.toStdString());
    form5_->BaseName = QString::fromStdString(naming_.BaseName);
    const QRect main = frameGeometry();
    form5_->move(main.left() + (main.width() - form5_->width()) / 2, main.top() + 70);
    form5_->show();
    WaitUntilHidden(form5_);
    naming_.BaseName = form5_->BaseName.toStdString();
    ApplyCaptureName(naming_.ApplyCaptureName());
}

void TForm1::ABOUT1Click() {
    about_->ShowAndWait();
}

void TForm1::SetProgressText(const QString& text) {
    statusPanels_[0]->setText(text);
}

void TForm1::SetInfoText(const QString& text) {
    statusPanels_[2]->setText(text);
}

void TForm1::RecordingStarted() {
    butCapture_->hide();
    button3_->hide();
    cancelButton_->show();
    cancelButton_->raise();
    htmlLabel1_->hide();
    captureFormatMenu_->setEnabled(false);
    serAvi_->setEnabled(false);
}

void TForm1::RecordingEnded() {
    cancelButton_->hide();
    captureFormatMenu_->setEnabled(true);
    serAvi_->setEnabled(true);
    statusPanels_[2]->clear();
    UpdateFormatButtons();
}

void TForm1::ShowLastCapture(double seconds, double rate, int) {
    htmlLabel1_->ClearLines();
    htmlLabel1_->AddLine(
        QString::asprintf(htmlLabel1_->Hint().toUtf8().constData(), seconds, rate));
    panel10_->show();
    htmlLabel1_->show();
}

void TForm1::ReportError(const QString& message) {
    Message(message);
}

} // namespace orbicap

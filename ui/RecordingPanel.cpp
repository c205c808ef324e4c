#include "ui/RecordingPanel.h"

#include "capture/CameraControls.h"
#include "recording/RecordFormat.h"
#include "ui/CameraPanel.h"
#include "ui/OutputNames.h"
#include "ui/Version.h"
#include "ui/WaitUntilHidden.h"
#include "widgets/GlassButton.h"
#include "widgets/HtmlLabel.h"
#include "widgets/UnitEdit.h"

#include <QMessageBox>

namespace orbicap {

RecordingPanel::RecordingPanel(AppContext& context, const CameraPanel& camera)
    : ctx_(context), camera_(camera) {}

void RecordingPanel::Bind(QObject* owner) {
    QObject::connect(ButCapture, &QPushButton::clicked, owner, [this] { butCaptureClick(); });
    QObject::connect(Button3, &QPushButton::clicked, owner, [this] { Button3Click(); });
    QObject::connect(CancelButton, &QPushButton::clicked, owner, [this] { CancelButtonClick(); });
}

void RecordingPanel::SetFormat(int format, QAction* popupItem) {
    if (!ctx_.Control.SetRecordFormat(format)) {
        // The running recording keeps its format; put the marks back.
        FormatItems[ctx_.Recorder.RecordFormat]->setChecked(true);
        return;
    }
    FormatItems[format]->setChecked(true);
    if (popupItem)
        popupItem->setChecked(true);
    UpdateFormatButtons();
}

void RecordingPanel::UpdateFormatButtons() {
    const int format = ctx_.Recorder.RecordFormat;
    const bool stream = format == kFormatSER || format == kFormatAVI;
    GlassButton* shown = stream ? ButCapture : Button3;
    GlassButton* hidden = stream ? Button3 : ButCapture;
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

CountSetting RecordingPanel::Count() const {
    return CountSetting{Expos->Text(), Expos->Unit() == 1};
}

void RecordingPanel::butCaptureClick() {
    if (const Status started =
            ctx_.Control.StartVideo(CaptureFileName, camera_.ExposureMs(), Count());
        started.Failed())
        ShowMessage(QString::fromStdString(started.Message()));
}

void RecordingPanel::Button3Click() {
    if (const Status started =
            ctx_.Control.StartStills(CaptureFileName, camera_.ExposureMs(), Count());
        started.Failed())
        ShowMessage(QString::fromStdString(started.Message()));
}

void RecordingPanel::CancelButtonClick() {
    ctx_.Control.Cancel();
}

void RecordingPanel::N12Click(QAction* item) {
    Expos->SetText(WithoutAccelerator(item->text()));
}

void RecordingPanel::RestoreCaptureName(const QString& name) {
    CaptureFileName = name;
    ButCapture->setEnabled(!name.isEmpty());
    Button3->setEnabled(!name.isEmpty());
    naming_.PrepareNameWindow(name.toStdString());
    Form5->BaseName = QString::fromStdString(naming_.BaseName);
}

void RecordingPanel::ApplyCaptureName(const std::optional<std::string>& name) {
    if (!name)
        return;
    CaptureFileName = QString::fromStdString(*name);
    ctx_.Saved.SavedFileName = CaptureFileName;
    ButCapture->setEnabled(true);
    Button3->setEnabled(true);
}

void RecordingPanel::SetCaptureLocation1Click() {
    const QString folder = ChooseFolder();
    if (folder.isEmpty())
        return;
    ApplyCaptureName(naming_.SetCaptureLocation(folder.toStdString()));
}

void RecordingPanel::SetCaptureFilename1Click() {
    naming_.PrepareNameWindow(CaptureFileName.toStdString());
    Form5->BaseName = QString::fromStdString(naming_.BaseName);
    const QRect main = Window->frameGeometry();
    Form5->move(main.left() + (main.width() - Form5->width()) / 2, main.top() + 70);
    Form5->show();
    WaitUntilHidden(Form5);
    naming_.BaseName = Form5->BaseName.toStdString();
    ApplyCaptureName(naming_.ApplyCaptureName());
}

void RecordingPanel::SetProgressText(const QString& text) {
    StatusPanels[0]->setText(text);
}

void RecordingPanel::SetInfoText(const QString& text) {
    StatusPanels[2]->setText(text);
}

void RecordingPanel::RecordingStarted() {
    ButCapture->hide();
    Button3->hide();
    CancelButton->show();
    CancelButton->raise();
    HtmlLabel1->hide();
    CaptureFormatMenu->setEnabled(false);
    SerAvi->setEnabled(false);
}

void RecordingPanel::RecordingEnded() {
    CancelButton->hide();
    CaptureFormatMenu->setEnabled(true);
    SerAvi->setEnabled(true);
    StatusPanels[2]->clear();
    UpdateFormatButtons();
}

void RecordingPanel::ShowLastCapture(double seconds, double rate, int) {
    HtmlLabel1->ClearLines();
    HtmlLabel1->AddLine(QString::asprintf(HtmlLabel1->Hint().toUtf8().constData(), seconds, rate));
    Panel10->show();
    HtmlLabel1->show();
}

void RecordingPanel::ReportError(const QString& message) {
    ShowMessage(message);
}

void RecordingPanel::ReportWarning(const QString& message) {
    // The recording goes on: a modal box would run its own event loop inside
    // the recording step that raised the warning, and would keep the Cancel
    // button out of reach.
    auto* box =
        new QMessageBox(QMessageBox::Warning, kApplicationTitle, message, QMessageBox::Ok, Window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

} // namespace orbicap

#pragma once

#include "recording/FileName.h"
#include "recording/RecorderView.h"
#include "recording/RecordingControl.h"
#include "session/AppContext.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>

#include <functional>
#include <optional>
#include <string>

namespace orbicap {

class CameraPanel;
class GlassButton;
class HtmlLabel;
class TForm5;
class UnitEdit;

// The recording controls: frame count or duration, the start, still and
// cancel buttons, the formats, the output names, and what the recorder shows
// while it runs (status panels, the last capture's report, its errors).
class RecordingPanel : public RecorderView {
public:
    RecordingPanel(AppContext& context, const CameraPanel& camera);

    UnitEdit* Expos = nullptr;
    GlassButton* ButCapture = nullptr;
    GlassButton* CancelButton = nullptr;
    GlassButton* Button3 = nullptr;
    QWidget* Panel10 = nullptr;
    HtmlLabel* HtmlLabel1 = nullptr;
    QLabel* StatusPanels[3] = {};
    QMenu* SerAvi = nullptr;
    QMenu* CaptureFormatMenu = nullptr;
    QAction* FormatItems[5] = {}; // main menu, by format code
    TForm5* Form5 = nullptr;
    QWidget* Window = nullptr; // the name window opens centred on it

    // How the panel talks to the user and asks for a folder.
    std::function<void(const QString&)> ShowMessage;
    std::function<QString()> ChooseFolder;

    void Bind(QObject* owner);

    void SetFormat(int format, QAction* popupItem);
    void UpdateFormatButtons();
    void butCaptureClick();
    void Button3Click();
    void CancelButtonClick();
    void N12Click(QAction* item);
    void SetCaptureLocation1Click();
    void SetCaptureFilename1Click();

    // The stored capture file name at start-up; enables the start buttons
    // when there is one.
    void RestoreCaptureName(const QString& name);

    // RecorderView
    void SetProgressText(const QString& text) override;
    void SetInfoText(const QString& text) override;
    void RecordingStarted() override;
    void RecordingEnded() override;
    void ShowLastCapture(double seconds, double rate, int frames) override;
    void ReportError(const QString& message) override;
    void ReportWarning(const QString& message) override;

    QString CaptureFileName;

private:
    void ApplyCaptureName(const std::optional<std::string>& name);
    CountSetting Count() const;

    AppContext& ctx_;
    const CameraPanel& camera_;
    CaptureNaming naming_;
};

} // namespace orbicap

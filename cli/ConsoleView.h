#pragma once

#include "recording/RecorderView.h"

#include <QString>

#include <optional>

namespace orbicap {

// The recorder's feedback on a terminal: progress to stderr at most once a
// second, errors to stderr, the report kept for the closing line.
class ConsoleView : public RecorderView {
public:
    void SetProgressText(const QString& text) override;
    void SetInfoText(const QString& text) override;
    void RecordingStarted() override;
    void RecordingEnded() override;
    void ShowLastCapture(double seconds, double rate, int frames) override;
    void ReportError(const QString& message) override;
    void ReportWarning(const QString& message) override;

    bool Ended() const { return ended_; }
    bool HadError() const { return hadError_; }
    // "Last Capture Duration: %3.1f s FPS: %2.1f Frames: N"
    const std::optional<QString>& Report() const { return report_; }

private:
    QString progress_;
    QString info_;
    bool ended_ = false;
    bool hadError_ = false;
    std::optional<QString> report_;
};

} // namespace orbicap

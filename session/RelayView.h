#pragma once

#include "recording/RecorderView.h"

namespace orbicap {

// Lets the recorder be built before the window that shows its feedback:
// forwards to the target once one is attached, and drops calls before that.
class RelayView : public RecorderView {
public:
    RecorderView* Target = nullptr;

    void SetProgressText(const QString& text) override {
        if (Target)
            Target->SetProgressText(text);
    }
    void SetInfoText(const QString& text) override {
        if (Target)
            Target->SetInfoText(text);
    }
    void RecordingStarted() override {
        if (Target)
            Target->RecordingStarted();
    }
    void RecordingEnded() override {
        if (Target)
            Target->RecordingEnded();
    }
    void ShowLastCapture(double seconds, double rate, int frames) override {
        if (Target)
            Target->ShowLastCapture(seconds, rate, frames);
    }
    void ReportError(const QString& message) override {
        if (Target)
            Target->ReportError(message);
    }
    void ReportWarning(const QString& message) override {
        if (Target)
            Target->ReportWarning(message);
    }
};

} // namespace orbicap

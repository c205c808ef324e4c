#pragma once

#include <QString>

namespace orbicap {

// What the recorder shows the user. The main window puts these into its
// status bar, report label and message boxes; the headless recorder prints
// them.
class RecorderView {
public:
    virtual ~RecorderView() = default;
    // Status panel 0: progress ("4 Frames left", "Idle", or empty).
    virtual void SetProgressText(const QString& text) = 0;
    // Status panel 2: queue length and free memory while recording.
    virtual void SetInfoText(const QString& text) = 0;
    // A recording started (show Cancel, hide the start buttons and the last
    // report) or ended (the reverse).
    virtual void RecordingStarted() = 0;
    virtual void RecordingEnded() = 0;
    // The "Last Capture" report, as one formatted line of the report template.
    virtual void ShowLastCapture(double seconds, double rate, int frames) = 0;
    // A failure the user must know about, in words.
    virtual void ReportError(const QString& message) = 0;
    // Something the user should know while the recording goes on (the disk
    // is about to fill); shown like an error unless a view says otherwise.
    virtual void ReportWarning(const QString& message) { ReportError(message); }
};

} // namespace orbicap

#pragma once

#include "capture/CMOSDLL32.h"
#include "capture/ImageList.h"
#include "capture/OverlayText.h"
#include "capture/Settings.h"
#include "capture/VideoCapture.h"
#include "pipeline/DisplayRenderer.h"
#include "pipeline/Histogram.h"
#include "platform/SettingsStore.h"
#include "platform/TickCounter.h"
#include "recording/AVIExport.h"
#include "recording/FrameFlow.h"
#include "recording/RecordingControl.h"
#include "session/RelayView.h"

#include <memory>

namespace orbicap {

// Owns every unit's state for the life of the program. Units reach each other
// through it, never through globals, so each test builds its own.
class AppContext {
public:
    explicit AppContext(const TickSource& ticks = SystemTicks());
    ~AppContext();

    // Builds the parts that need the bound driver (its copy and demosaic).
    void BindDriverFunctions();

    const TickSource& Ticks;
    CMOSDLL32 Camera;
    FrameQueue Queue;
    OverlayText Overlay;
    TVideoCapture CaptureThread;
    RelayView View;
    TAVIExport Recorder;
    RecordingControl Control;
    SettingsStore Settings{kProgramSettings};
    SavedSettings Saved;
    HistogramState Histogram;
    std::unique_ptr<FrameFlow> Flow;
    std::unique_ptr<DisplayRenderer> Display;
};

} // namespace orbicap

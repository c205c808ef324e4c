#pragma once

#include "recording/AVIExport.h"
#include "recording/RecordingControl.h"

#include <QTemporaryDir>

namespace orbicap::test {

// The recorder and its recording commands on a manual clock, a folder of
// their own and a camera driver that is never loaded (the recording paths
// call only CancelExposure, which the rig makes harmless).
template <typename View> struct RecorderRig {
    RecorderRig() {
        camera.CancelExposure = [] {};
    }

    QTemporaryDir dir;
    ManualClock clock{1000};
    CMOSDLL32 camera;
    FrameQueue queue;
    OverlayText overlay;
    TVideoCapture capture{camera, queue, overlay, clock};
    View view;
    TAVIExport recorder{queue, capture, camera, view, clock};
    RecordingControl control{recorder, capture, queue, camera, view, clock};
};

} // namespace orbicap::test

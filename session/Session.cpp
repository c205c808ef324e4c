#include "session/Session.h"

#include "capture/CameraControls.h"

namespace orbicap {

bool BindDriver(AppContext& context, const std::string& driverPath) {
    if (!context.Camera.LoadCameraLibrary(driverPath))
        return false;
    context.BindDriverFunctions();
    return true;
}

bool OpenCamera(AppContext& context) {
    return context.CaptureThread.OpenCamera();
}

void PrepareCamera(AppContext& context) {
    context.Camera.SetDigitalGain(kDigitalGain1x);
    context.Camera.SetCompanding(0);
}

void StartCapture(AppContext& context) {
    context.CaptureThread.ExtraSetting = 128;
    context.CaptureThread.MainWindowHandle = context.Flow.get();
    context.CaptureThread.Resume();
}

void Shutdown(AppContext& context, const std::function<void()>& whileStopping) {
    if (whileStopping)
        whileStopping();
    context.CaptureThread.Stop();
    if (context.Recorder.IsRecording())
        context.Recorder.FinishRecording();
}

} // namespace orbicap

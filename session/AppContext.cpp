#include "AppContext.h"

namespace orbicap {

AppContext::AppContext(const TickSource& ticks)
    : Ticks(ticks), CaptureThread(Camera, Queue, Overlay, ticks),
      Recorder(Queue, CaptureThread, Camera, View, ticks),
      Control(Recorder, CaptureThread, Queue, Camera, View, ticks) {}

AppContext::~AppContext() {
    // The capture thread posts to the frame flow; stop it before either goes.
    CaptureThread.Stop();
    View.Target = nullptr;
}

void AppContext::BindDriverFunctions() {
    Flow = std::make_unique<FrameFlow>(Queue, CaptureThread, Recorder, Camera.bufferCopy, Ticks);
    Display = std::make_unique<DisplayRenderer>(Camera.debayerImage);
}

} // namespace orbicap

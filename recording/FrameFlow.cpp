#include "FrameFlow.h"

#include "capture/Messages.h"
#include "capture/ThreadHandoff.h"

#include <QCoreApplication>

namespace orbicap {

FrameFlow::FrameFlow(FrameQueue& queue, TVideoCapture& capture, TAVIExport& recorder,
                     BufferCopyFn bufferCopy, const TickSource& ticks)
    : Intake(ticks, bufferCopy, *this), queue_(queue), capture_(capture), recorder_(recorder),
      ticks_(ticks) {}

bool FrameFlow::event(QEvent* e) {
    TakeOver(e); // frame messages come from the capture thread
    const QEvent::Type type = e->type();
    if (type == WM_FRAMEREADY) {
        FrameReady();
        return true;
    }
    if (type == WM_FRAMEPAINT) {
        if (Paint)
            Paint();
        else
            Intake.PaintPending = -1;
        return true;
    }
    if (type == WM_FRAMESTORE) {
        recorder_.RecordStep();
        return true;
    }
    if (type == WM_CAPTUREFAILED) {
        if (CaptureFailed)
            CaptureFailed(capture_.FailureMessage());
        return true;
    }
    return QObject::event(e);
}

void FrameFlow::FrameReady() {
    ++FramesAnnounced;
    LastFrameTick = ticks_.Now();
    ImageLst* newest = queue_.FrameQueueTail();
    if (!newest) {
        // A start emptied the queue while this announcement was on its way.
        ++EmptyAnnouncements;
        return;
    }
    IntakeInputs inputs = Inputs ? Inputs() : IntakeInputs{};
    inputs.Recording = capture_.Recording;
    Intake.ProcessFrame({newest->Data.get(), newest->Width, newest->Height, newest->Is16Bit},
                        inputs);
    if (AfterFrame)
        AfterFrame();
}

void FrameFlow::PostFramePaint() {
    QCoreApplication::postEvent(this, new QEvent(WM_FRAMEPAINT));
}

void FrameFlow::PostFrameStore() {
    QCoreApplication::postEvent(this, new QEvent(WM_FRAMESTORE));
}

void FrameFlow::DropOldestFrame() {
    queue_.DropOldestFrame();
}

void FrameFlow::UpdateHistogram(const std::uint8_t* pixels, int width, int height) {
    if (Histogram)
        Histogram(pixels, width, height);
}

} // namespace orbicap

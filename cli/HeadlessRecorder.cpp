#include "HeadlessRecorder.h"

#include "capture/CameraModel.h"
#include "cli/ConsoleView.h"
#include "platform/SignalBridge.h"
#include "platform/SystemInfo.h"
#include "session/Session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace orbicap {

namespace {

int FormatCode(const std::string& format) {
    if (format == "avi")
        return kFormatAVI;
    if (format == "fit")
        return kFormatFIT;
    if (format == "bmp")
        return kFormatBMP;
    return kFormatSER;
}

void Say(const char* text) {
    std::fprintf(stderr, "%s\n", text);
}

} // namespace

int RunHeadlessRecording(const RecordOptions& options, const std::string& executableDir) {
    // Ctrl+C, a service stop and a closed terminal all end the recording with
    // the next frame, through the event loop, so that the file is finished.
    bool interruptRequested = false;
    const SignalBridge signalBridge([&interruptRequested] { interruptRequested = true; });
    if (options.Color && !std::getenv("ORBICAP_SIM_MODEL"))
        setenv("ORBICAP_SIM_MODEL", "qhy5v-color", 1); // only the simulator reads it

    ConsoleView view; // outlives the context, whose recorder reports to it
    AppContext context;
    context.View.Target = &view;
    if (!BindDriver(context, ChooseDriverPath(options.Driver, executableDir))) {
        Say("Error loading QHY5VDLL.DLL... Program Ending");
        std::fprintf(stderr, "%s\n", context.Camera.Error().c_str());
        return 1;
    }
    if (!OpenCamera(context)) {
        Say("NO CAMERA!");
        return 1;
    }
    TVideoCapture& capture = context.CaptureThread;
    TAVIExport& recorder = context.Recorder;
    RecordingControl& control = context.Control;
    FrameFlow& flow = *context.Flow;
    FrameQueue& queue = context.Queue;
    recorder.ColorCamera = options.Color;
    recorder.OverlayVisible = options.Overlay;
    recorder.WriteCaptureLog = !options.NoLog;
    recorder.FitsObservationKeywords = options.FitsKeywords;
    recorder.Setup.Model = CameraModelName(context.Camera.GetVIDPID());
    if (options.QueueLimitMb)
        recorder.QueueBudgetBytes = static_cast<std::uint64_t>(*options.QueueLimitMb) << 20;
    if (options.FramesAhead)
        capture.FramesAheadLimit = static_cast<std::size_t>(*options.FramesAhead);
    flow.Inputs = [] {
        IntakeInputs in;
        in.HistogramChecked = false;
        return in;
    };
    flow.CaptureFailed = [&](const std::string& reason) { control.CaptureStopped(reason); };

    capture.ExposureMs = options.ExposureMs;
    capture.Gain = options.Gain;
    PrepareCamera(context);
    StartCapture(context);
    capture.RequestedWidth = options.Width;
    capture.RequestedHeight = options.Height;
    capture.TenBitRequested = options.TenBit;

    // Start once the camera delivers frames of the wanted size and depth. The
    // loop sleeps until something arrives; the tick wakes it for the checks
    // when the camera sends nothing.
    QElapsedTimer waited;
    waited.start();
    // A camera behind a network server may take seconds to start its stream.
    const int warmUpLimitMs = options.ExposureMs * 3 + 10000;
    QTimer tick;
    tick.start(10);
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        const ImageLst* newest = queue.FrameQueueTail();
        if (flow.FramesAnnounced > 0 && capture.CaptureWidth == options.Width &&
            capture.CaptureHeight == options.Height && capture.TenBitMode == options.TenBit &&
            newest && newest->Width == options.Width && newest->Is16Bit == options.TenBit)
            break;
        if (interruptRequested) {
            Shutdown(context);
            Say("Interrupted before the recording started.");
            return 1;
        }
        if (capture.Stopped()) {
            Say(("The capture stopped: " + capture.FailureMessage()).c_str());
            return 1;
        }
        if (waited.elapsed() > warmUpLimitMs) {
            Shutdown(context);
            Say("The camera delivers no frames.");
            return 1;
        }
    }

    tick.stop();
    const std::uint64_t idleResident = ResidentMemory();
    ResetPeakResidentMemory();
    control.SetRecordFormat(FormatCode(options.Format));
    const CountSetting count{QString::number(options.Seconds ? *options.Seconds : options.Frames),
                             options.Seconds.has_value()};
    const QString captureName = QString::fromStdString(options.Out);
    const int format = recorder.RecordFormat;
    const Status started = (format == kFormatSER || format == kFormatAVI)
                               ? control.StartVideo(captureName, options.ExposureMs, count)
                               : control.StartStills(captureName, options.ExposureMs, count);
    if (started.Failed()) {
        Shutdown(context);
        std::fprintf(stderr, "%s\n", started.Message().c_str());
        return 1;
    }
    // The file really written: an AVI recording's first part, not its name.
    if (!recorder.FilesWritten().empty())
        std::fprintf(stderr, "Recording %s\n", recorder.FilesWritten().front().c_str());

    QTimer watch;
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (interruptRequested) {
            interruptRequested = false;
            Say("Interrupted: the recording ends with the next frame.");
            control.Cancel();
        }
        control.CheckCameraStall(flow.LastFrameTick);
        if (sinceProgress.elapsed() >= 1000 && recorder.IsRecording()) {
            sinceProgress.restart();
            const QString disk = recorder.DiskText();
            std::fprintf(stderr, "%d frames stored, %zu queued%s\n", recorder.StoredFrames,
                         queue.Length(),
                         disk.isEmpty() ? "" : (", " + disk).toLocal8Bit().constData());
        }
        if (!recorder.IsRecording())
            QCoreApplication::exit(0);
    });
    watch.start(50);
    QCoreApplication::exec();
    watch.stop();
    Shutdown(context);

    for (const std::string& file : recorder.FilesWritten())
        std::printf("%s\n", file.c_str());
    if (view.Report())
        std::printf("%s\n", view.Report()->toLocal8Bit().constData());
    if (options.Stats)
        std::printf("Memory: idle %llu peak %llu\n", static_cast<unsigned long long>(idleResident),
                    static_cast<unsigned long long>(PeakResidentMemory()));
    std::fflush(stdout);
    return view.HadError() ? 1 : 0;
}

} // namespace orbicap

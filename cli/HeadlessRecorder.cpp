#include "HeadlessRecorder.h"

#include "capture/CMOSDLL32.h"
#include "capture/ImageList.h"
#include "capture/OverlayText.h"
#include "capture/VideoCapture.h"
#include "cli/ConsoleView.h"
#include "platform/SystemInfo.h"
#include "recording/AVIExport.h"
#include "recording/FrameFlow.h"
#include "recording/RecordingControl.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace orbicap {

namespace {

// Set from the signal handler, read by a timer in the event loop: the only
// state a handler may touch.
volatile std::sig_atomic_t interruptRequested = 0;

extern "C" void OnInterrupt(int) {
    interruptRequested = 1;
}

void InstallInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed terminal or a dropped remote session must finish the file too.
    sigaction(SIGHUP, &action, nullptr);
    // A file-size limit must show as a write error, not end the process.
    std::signal(SIGXFSZ, SIG_IGN);
}

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
    InstallInterruptHandlers();
    if (options.Color && !std::getenv("ORBICAP_SIM_MODEL"))
        setenv("ORBICAP_SIM_MODEL", "qhy5v-color", 1); // only the simulator reads it

    CMOSDLL32 camera;
    const std::string driver = ChooseDriverPath(options.Driver, executableDir);
    if (!camera.LoadCameraLibrary(driver)) {
        Say("Error loading QHY5VDLL.DLL... Program Ending");
        std::fprintf(stderr, "%s\n", camera.Error().c_str());
        return 1;
    }
    FrameQueue queue;
    OverlayText overlay;
    TVideoCapture capture(camera, queue, overlay);
    if (!capture.OpenCamera()) {
        Say("NO CAMERA!");
        return 1;
    }
    ConsoleView view;
    TAVIExport recorder(queue, capture, camera, view);
    recorder.ColorCamera = options.Color;
    recorder.OverlayVisible = options.Overlay;
    if (options.QueueLimitMb)
        recorder.QueueBudgetBytes = static_cast<std::uint64_t>(*options.QueueLimitMb) << 20;
    RecordingControl control(recorder, capture, queue, camera, view);
    FrameFlow flow(queue, capture, recorder, camera.bufferCopy);
    flow.Inputs = [] {
        IntakeInputs in;
        in.HistogramChecked = false;
        return in;
    };

    flow.CaptureFailed = [&](const std::string& reason) { control.CaptureStopped(reason); };

    capture.ExposureMs = options.ExposureMs;
    capture.Gain = options.Gain;
    capture.ExtraSetting = 128;
    capture.MainWindowHandle = &flow;
    camera.SetDigitalGain(244);
    camera.SetCompanding(0);
    capture.Resume();
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
            capture.Stop();
            Say("Interrupted before the recording started.");
            return 1;
        }
        if (capture.Stopped()) {
            Say(("The capture stopped: " + capture.FailureMessage()).c_str());
            return 1;
        }
        if (waited.elapsed() > warmUpLimitMs) {
            capture.Stop();
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
    const std::optional<QString> refused =
        (format == kFormatSER || format == kFormatAVI)
            ? control.butCaptureClick(captureName, options.ExposureMs, count)
            : control.Button3Click(captureName, options.ExposureMs, count);
    if (refused) {
        capture.Stop();
        std::fprintf(stderr, "%s\n", refused->toLocal8Bit().constData());
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
            interruptRequested = 0;
            Say("Interrupted: the recording ends with the next frame.");
            control.CancelButtonClick();
        }
        control.CheckCameraStall(flow.LastFrameTick);
        if (sinceProgress.elapsed() >= 1000 && recorder.IsRecording()) {
            sinceProgress.restart();
            std::fprintf(stderr, "%d frames stored, %zu queued\n", recorder.StoredFrames,
                         queue.Length());
        }
        if (!recorder.IsRecording())
            QCoreApplication::exit(0);
    });
    watch.start(50);
    QCoreApplication::exec();
    watch.stop();
    capture.Stop();

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

#include "ConsoleView.h"

#include <cstdio>

namespace orbicap {

void ConsoleView::SetProgressText(const QString& text) {
    progress_ = text;
}

void ConsoleView::SetInfoText(const QString& text) {
    info_ = text;
}

void ConsoleView::RecordingStarted() {
    ended_ = false;
}

void ConsoleView::RecordingEnded() {
    ended_ = true;
}

void ConsoleView::ShowLastCapture(double seconds, double rate, int frames) {
    report_ = QString::asprintf("Last Capture Duration: %3.1f s FPS: %2.1f Frames: %d", seconds,
                                rate, frames);
}

void ConsoleView::ReportError(const QString& message) {
    hadError_ = true;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

void ConsoleView::ReportWarning(const QString& message) {
    std::fprintf(stderr, "Warning: %s\n", message.toLocal8Bit().constData());
}

} // namespace orbicap

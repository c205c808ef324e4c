#include "CaptureLog.h"

#include "recording/RecordFormat.h"
#include "recording/UtcTime.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <cstdio>

namespace orbicap {

namespace {

const char* FormatName(int format) {
    switch (format) {
    case kFormatAVI:
        return "AVI";
    case kFormatFIT:
        return "FIT";
    case kFormatSER:
        return "SER";
    case kFormatBMP:
        return "BMP";
    default:
        return "unknown";
    }
}

const char* YesNo(bool value) {
    return value ? "yes" : "no";
}

// Keeps a value on its own line whatever the driver or an error says.
std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
}

} // namespace

std::string FormatCaptureLog(const CaptureLogRecord& r) {
    const std::int64_t durationMs = r.EndUtcMs - r.StartUtcMs;
    const double seconds = durationMs / 1000.0;
    char number[64];
    std::string text;
    auto line = [&text](const char* key, const std::string& value) {
        text += key;
        text += '=';
        text += OneLine(value);
        text += '\n';
    };
    line("program", "Orbicap");
    line("version", ORBICAP_VERSION);
    line("driver", r.Driver);
    line("camera", r.Camera.Model);
    line("resolution", std::to_string(r.Width) + "x" + std::to_string(r.Height));
    line("depth", std::to_string(r.Depth));
    line("colour", YesNo(r.Colour));
    line("exposure_ms", std::to_string(r.ExposureMs));
    line("gain", std::to_string(r.Gain));
    line("digital_gain", r.Camera.DigitalGain);
    line("adc_reference", r.Camera.AdcReference);
    line("flip_horizontal", YesNo(r.Camera.HorizontalFlip));
    line("flip_vertical", YesNo(r.Camera.VerticalFlip));
    line("format", FormatName(r.Format));
    line("frames", std::to_string(r.Frames));
    line("start_utc", IsoUtc(r.StartUtcMs, true));
    line("mid_utc", IsoUtc(r.StartUtcMs + durationMs / 2, true));
    line("end_utc", IsoUtc(r.EndUtcMs, true));
    std::snprintf(number, sizeof number, "%.3f", seconds);
    line("duration_s", number);
    std::snprintf(number, sizeof number, "%.2f", seconds > 0 ? r.Frames / seconds : 0.0);
    line("fps", number);
    line("queue_peak", std::to_string(r.QueuePeak));
    line("ended", r.Ending);
    return text;
}

std::string CaptureLogPath(const std::string& firstFile) {
    QString base = QString::fromStdString(firstFile);
    const qsizetype slash = base.lastIndexOf('/');
    const qsizetype dot = base.lastIndexOf('.');
    if (dot > slash)
        base.truncate(dot);
    const qsizetype part = base.lastIndexOf(QStringLiteral("-PART"));
    if (part > slash) {
        bool digits = false;
        base.mid(part + 5).toInt(&digits);
        if (digits)
            base.truncate(part);
    }
    QString path = base + QStringLiteral(".txt");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = base + QStringLiteral("-%1.txt").arg(n);
    return path.toStdString();
}

Status WriteCaptureLogFile(const std::string& path, const std::string& text) {
    QSaveFile file(QString::fromStdString(path));
    const auto size = static_cast<qint64>(text.size());
    if (file.open(QIODevice::WriteOnly) && file.write(text.data(), size) == size && file.commit())
        return Status();
    Status failed = Status::Failure("Cannot write the capture log " + path + ": " +
                                    file.errorString().toStdString());
    file.cancelWriting();
    return failed;
}

void CaptureLogTracker::Start(std::int64_t nowUtcMs) {
    *this = CaptureLogTracker{};
    startUtcMs_ = nowUtcMs;
}

void CaptureLogTracker::FrameStored(std::int64_t frameUtcMs) {
    if (!anyFrame_)
        firstFrameUtcMs_ = frameUtcMs;
    lastFrameUtcMs_ = frameUtcMs;
    anyFrame_ = true;
}

void CaptureLogTracker::QueueSeen(std::size_t length) {
    queuePeak_ = std::max(queuePeak_, length);
}

void CaptureLogTracker::Fill(CaptureLogRecord& record, std::int64_t endUtcMs) const {
    record.StartUtcMs = anyFrame_ ? firstFrameUtcMs_ : startUtcMs_;
    record.EndUtcMs = anyFrame_ ? lastFrameUtcMs_ + record.ExposureMs : endUtcMs;
    record.QueuePeak = queuePeak_;
}

} // namespace orbicap

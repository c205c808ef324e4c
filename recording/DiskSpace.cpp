#include "DiskSpace.h"

#include "avi/AviLayer.h"
#include "recording/RecordFormat.h"

#include <cmath>

namespace orbicap {

namespace {

constexpr std::uint64_t kSerHeaderBytes = 178;
constexpr std::uint64_t kSerStampBytes = 8;
constexpr std::uint64_t kFitsBlockBytes = 2880;
constexpr std::uint64_t kBmpHeaderBytes = 54;
// An AVI frame is a chunk (8 bytes) and an index entry (16 bytes); the file
// headers the AVI layer writes stay below this.
constexpr std::uint64_t kAviChunkBytes = 24;
constexpr std::uint64_t kAviHeaderBytes = 64 * 1024;
// A rate from less than this is too unsteady to warn on.
constexpr double kSteadyRateSeconds = 1.0;

std::uint64_t RoundUp(std::uint64_t value, std::uint64_t step) {
    return (value + step - 1) / step * step;
}

} // namespace

std::uint64_t FrameBytes(int format, int width, int height, bool is16Bit, bool colour,
                         bool greyAvi) {
    const std::uint64_t w = width > 0 ? static_cast<std::uint64_t>(width) : 0;
    const std::uint64_t h = height > 0 ? static_cast<std::uint64_t>(height) : 0;
    // AVI and BMP hold the rendered picture, a colour mosaic one pixel smaller.
    const std::uint64_t rw = colour && w > 0 ? w - 1 : w;
    const std::uint64_t rh = colour && h > 0 ? h - 1 : h;
    switch (format) {
    case kFormatSER:
        return w * h * (is16Bit ? 2 : 1) + kSerStampBytes;
    case kFormatAVI:
        // Grey frames are stored unpadded, colour ones as DIB rows.
        return (greyAvi ? rw * rh : RoundUp(rw * 3, 4) * rh) + kAviChunkBytes;
    case kFormatFIT:
        return kFitsBlockBytes +
               RoundUp(w * rh * (colour ? 3 : 1) * (is16Bit ? 2 : 1), kFitsBlockBytes);
    case kFormatBMP:
        return kBmpHeaderBytes + RoundUp(rw * 3, 4) * rh;
    default:
        return 0;
    }
}

std::uint64_t FirstFrameBytes(int format, int width, int height, bool is16Bit, bool colour,
                              bool greyAvi) {
    const std::uint64_t frame = FrameBytes(format, width, height, is16Bit, colour, greyAvi);
    switch (format) {
    case kFormatSER:
        return kSerHeaderBytes + frame;
    case kFormatAVI:
        // The AVI layer refuses a frame that leaves less than its closing
        // reserve free.
        return kAviHeaderBytes + AviLayer::kCloseReserveBytes + frame;
    default:
        return frame; // per-frame files carry their headers already
    }
}

std::string CaptureFolder(const std::string& captureFileName) {
    const auto slash = captureFileName.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : captureFileName.substr(0, slash);
}

QString DiskSpaceText(std::uint64_t freeBytes, std::optional<double> secondsLeft) {
    const double gb = freeBytes / 1e9;
    QString text = gb >= 1.0 ? QStringLiteral("Disk: %1 GB free").arg(gb, 0, 'f', 1)
                             : QStringLiteral("Disk: %1 MB free").arg(freeBytes / 1'000'000);
    if (secondsLeft) {
        const double minutes = std::floor(*secondsLeft / 60.0);
        text += minutes < 1.0 ? QStringLiteral(", under 1 min")
                              : QStringLiteral(", %1 min").arg(minutes, 0, 'f', 0);
    }
    return text;
}

Status DiskRoomForFirstFrame(const std::string& folder, std::optional<std::uint64_t> freeBytes,
                             std::uint64_t neededBytes) {
    if (!freeBytes || *freeBytes >= neededBytes)
        return Status();
    return Status::Failure("Not enough free space in " + folder + ": " +
                           std::to_string(*freeBytes) + " bytes free, one frame needs " +
                           std::to_string(neededBytes) + " bytes.");
}

void DiskWatch::Start(const std::string& folder, std::uint64_t bytesPerFrame) {
    folder_ = folder;
    bytesPerFrame_ = bytesPerFrame;
    started_ = true;
    warned_ = false;
}

DiskWatch::Reading DiskWatch::Update(std::optional<std::uint64_t> freeBytes, double elapsedSeconds,
                                     std::int64_t storedFrames) {
    Reading reading;
    if (!started_ || !freeBytes)
        return reading;
    std::optional<double> secondsLeft;
    if (elapsedSeconds >= kSteadyRateSeconds && storedFrames > 0 && bytesPerFrame_ > 0) {
        const double bytesPerSecond =
            storedFrames * static_cast<double>(bytesPerFrame_) / elapsedSeconds;
        secondsLeft = *freeBytes / bytesPerSecond;
    }
    reading.Text = DiskSpaceText(*freeBytes, secondsLeft);
    if (secondsLeft && *secondsLeft < 60.0 && !warned_) {
        warned_ = true;
        reading.Warning = "Less than a minute of recording fits in " + folder_ + ": " +
                          reading.Text.mid(6).toStdString() + ".";
    }
    return reading;
}

} // namespace orbicap

#pragma once

#include "platform/Status.h"
#include "recording/CameraSetup.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace orbicap {

// How a recording ended, as its capture log says it; an error ends it with
// the error's own message instead.
inline constexpr const char* kEndedAtLimit = "limit reached";
inline constexpr const char* kEndedCancelled = "cancelled";

// Everything a capture log says of one recording.
struct CaptureLogRecord {
    std::string Driver;
    CameraSetup Camera;
    int Width = 0;
    int Height = 0;
    int Depth = 8; // significant bits per sample: 8 or 10
    bool Colour = false;
    int ExposureMs = 0;
    int Gain = 0;
    int Format = 0; // kFormatAVI ... kFormatBMP
    int Frames = 0;
    std::int64_t StartUtcMs = 0; // milliseconds since 1899-12-30 00:00 UTC
    std::int64_t EndUtcMs = 0;
    std::size_t QueuePeak = 0;
    std::string Ending;
};

// The log's text: one key=value line each, in a fixed order.
std::string FormatCaptureLog(const CaptureLogRecord& record);

// Where the log of a recording goes: beside its first file, named like it
// without the extension and, for AVI, without "-PARTn" (CAPTURE_00003.txt).
// SER, AVI and per-frame files are numbered apart, so another recording's
// log may hold that name; it is never replaced: NAME-2.txt, NAME-3.txt, ...
std::string CaptureLogPath(const std::string& firstFile);

// Writes the text under a temporary name and renames it into place, so that
// a log is either whole or absent.
Status WriteCaptureLogFile(const std::string& path, const std::string& text);

// Follows a recording for its log: the time span of the frames it stored
// and the longest the frame queue grew.
class CaptureLogTracker {
public:
    // A recording started at this UTC time.
    void Start(std::int64_t nowUtcMs);
    void FrameStored(std::int64_t frameUtcMs);
    void QueueSeen(std::size_t length);
    // Start of the first stored frame's exposure to the end of the last one's;
    // a recording that stored nothing spans from its start to endUtcMs.
    void Fill(CaptureLogRecord& record, std::int64_t endUtcMs) const;

private:
    std::int64_t startUtcMs_ = 0;
    std::int64_t firstFrameUtcMs_ = 0;
    std::int64_t lastFrameUtcMs_ = 0;
    bool anyFrame_ = false;
    std::size_t queuePeak_ = 0;
};

} // namespace orbicap

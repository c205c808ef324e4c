#pragma once

#include <QStringList>

#include <optional>
#include <string>

namespace orbicap {

// What orbicap-record was asked to do.
struct RecordOptions {
    std::string Out; // FOLDER/BASE
    std::string Format = "ser";
    int Frames = 1; // 0: until interrupted
    std::optional<int> Seconds;
    int ExposureMs = 100;
    int Gain = 10;
    int Width = 752;
    int Height = 480;
    bool TenBit = false;
    bool Color = false;
    bool Overlay = false;
    std::string Driver;
    std::string Indi; // HOST[:PORT][/DEVICE]: the INDI driver on that server
    // Megabytes the frame queue may hold before the recording is ended;
    // unset: half of the physical memory.
    std::optional<int> QueueLimitMb;
    // Frames the camera may run ahead of the disk; unset: no bound.
    std::optional<int> FramesAhead;
    // Print the resident memory before and at the peak of the recording.
    bool Stats = false;
    bool NoLog = false;        // no capture log beside the recording
    bool FitsKeywords = false; // observation keywords in FITS headers
};

struct ParseResult {
    std::optional<RecordOptions> Options; // empty: Error says why (or help was asked)
    std::string Error;
    bool HelpRequested = false;
};

// Parses the arguments after the program name.
ParseResult ParseRecordOptions(const QStringList& arguments);

const char* RecordUsage();

} // namespace orbicap

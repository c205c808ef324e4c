#pragma once

#include "avi/AviLayer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orbicap {

// Bytes counted into one AVI part before the next frame starts a new part.
inline constexpr std::int64_t kAviPartLimitBytes = 2'048'000'000;

// One AVI recording at a time, split into parts of about 2 GB named
// NAME-PART1.AVI, NAME-PART2.AVI, ... after the recording name NAME.AVI.
// The part limit works on the byte counts the caller passes (an estimate
// from the picture size), not on the file size on disk.
//
// Errors are sticky: once a part cannot be created or a frame or a close
// fails, every later WriteAviFrame fails with that first failure and
// CloseAviFile reports it. The next OpenAviFile starts clean.
class AviWriter {
public:
    explicit AviWriter(std::int64_t partLimitBytes = kAviPartLimitBytes);
    AviWriter(const AviWriter&) = delete;
    AviWriter& operator=(const AviWriter&) = delete;

    // Starts a recording: creates part 1 for pictures of width x height
    // (AviHandle() is its handle). A recording still open is closed first.
    Status OpenAviFile(const std::string& fileName, int width, int height,
                       AviRate framesPerSecond = AviRate{});
    // Appends one 24-bit bottom-up picture (3 x width bytes per row), first
    // starting a new part when the current one holds more than the limit;
    // a new part takes this picture's size. A picture whose size differs
    // from the open part's is fitted to it at its top-left corner (cropped,
    // or filled with black).
    Status WriteAviFrame(const std::uint8_t* bottomUpBgr, int width, int height,
                         std::int64_t byteCount);
    // Closes the current part; the next recording starts again at part 1.
    // Fails when the recording had any failure.
    Status CloseAviFile();

    // The file name of a part of the current recording.
    std::string PartName(int part) const;

    bool Failed() const { return failed_; }
    int AviPart() const { return aviPart_; }
    std::int64_t AviBytes() const { return aviBytes_; }
    int AviHandle() const { return aviHandle_; }

    // The library layer, for the raw-codec choice (UseAGRY).
    AviLayer& Layer() { return layer_; }
    const AviLayer& Layer() const { return layer_; }

private:
    Status Fail(std::string text);
    Status StartNextPart(int width, int height);
    const std::uint8_t* FitToPart(const std::uint8_t* bottomUpBgr, int width, int height);

    AviLayer layer_;
    std::int64_t partLimit_;
    std::string aviBaseName_;
    std::int64_t aviBytes_ = 0;
    int aviPart_ = 1;
    int aviHandle_ = -1;
    AviFrameFormat partFormat_;
    AviRate rate_;
    bool failed_ = false;
    std::string error_;
    std::vector<std::uint8_t> fitted_; // picture fitted to the part's size
};

} // namespace orbicap

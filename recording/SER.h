#pragma once

#include "platform/Status.h"
#include "recording/CheckedFile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orbicap {

// Local date/time as a day count (days since 1899-12-30, time of day as
// fraction) to a SER time value: 100-ns intervals since 0001-01-01, rounded
// half to even from an extended-precision product.
std::int64_t DayCountToSerTime(double dayCount);

// What a SER file takes from the clock when it is created. Unset members are
// read from the system; tests set them to get fixed header bytes.
struct SerClock {
    std::optional<double> NowDayCount;          // local time of the start
    std::optional<std::int64_t> UtcOffset100ns; // UTC minus local time
};

// One SER recording: a 178-byte header, the raw frames as the camera delivered
// them, then one UTC time stamp per frame. The header's frame count is kept
// equal to the frames completely in the file: a frame that cannot be written
// is cut off again and not counted, and from then on the writer takes no more
// frames (the error stays until the file is closed). PatchFrameCount keeps
// the count on disk current while recording, so a crash leaves a readable file.
class SerWriter {
public:
    static constexpr std::size_t kHeaderBytes = 178;

    explicit SerWriter(SerClock clock = {});
    ~SerWriter();
    SerWriter(const SerWriter&) = delete;
    SerWriter& operator=(const SerWriter&) = delete;

    // Creates (or replaces) the file and writes the whole header; depth is 8
    // or 16. On failure the descriptor is released and a file this call
    // made is removed again.
    Status CreateSerFile(const std::string& fileName, int width, int height, int depth);
    // Appends one frame of sampleCount samples (width x height of the header)
    // straight from pixels and keeps its capture time (local day count).
    Status AddSerFrame(const void* pixels, std::size_t sampleCount, double timeStamp);
    // Writes the current frame count into the header in place.
    Status PatchFrameCount();
    // Writes the trailer for the frames in the file, the final count, and
    // closes. Best effort after an earlier error; fails if anything failed.
    Status CloseSerFile();

    std::uint32_t FrameCount() const { return static_cast<std::uint32_t>(stamps_.size()); }
    bool IsOpen() const { return file_.IsOpen(); }
    bool Failed() const { return file_.Failed(); }
    const std::string& ErrorText() const { return file_.ErrorText(); }

private:
    std::uint64_t FramesEnd() const;

    SerClock clock_;
    CheckedFile file_;
    std::int64_t utcOffset_ = 0;
    std::size_t frameBytes_ = 0;
    std::size_t bytesPerSample_ = 1;
    std::vector<std::int64_t> stamps_;
};

} // namespace orbicap

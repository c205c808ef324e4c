#include "SER.h"

#include "platform/SystemInfo.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>

namespace orbicap {

namespace {

static_assert(std::endian::native == std::endian::little,
              "SER fields and time stamps are written from memory as little-endian");

constexpr long double kIntervalsPerDay = 864'000'000'000.0L;
// 693,593 days from 0001-01-01 to 1899-12-30.
constexpr std::int64_t kEpochShift = 599'264'352'000'000'000;
constexpr std::size_t kFrameCountOffset = 38;
// Room for about an hour at 30 frames/s before the table grows again.
constexpr std::size_t kStampChunk = 131072;

void PutInt32(std::uint8_t* at, std::int32_t value) {
    std::memcpy(at, &value, 4);
}
void PutInt64(std::uint8_t* at, std::int64_t value) {
    std::memcpy(at, &value, 8);
}

void PutText(std::uint8_t* at, const char* text) {
    // 40-byte field: the text, then underscores to the end.
    const std::size_t length = std::strlen(text);
    std::memset(at, '_', 40);
    std::memcpy(at, text, length);
}

} // namespace

std::int64_t DayCountToSerTime(double dayCount) {
    // nearbyint follows the default rounding mode: to nearest, halves to even.
    const long double intervals =
        std::nearbyint(static_cast<long double>(dayCount) * kIntervalsPerDay);
    return static_cast<std::int64_t>(intervals) + kEpochShift;
}

SerWriter::SerWriter(SerClock clock) : clock_(clock) {}

SerWriter::~SerWriter() {
    if (file_.IsOpen()) {
        static_cast<void>(CloseSerFile());
    }
}

Status SerWriter::CreateSerFile(const std::string& fileName, int width, int height, int depth) {
    if (file_.IsOpen()) {
        static_cast<void>(CloseSerFile());
    }
    stamps_.clear();
    utcOffset_ = clock_.UtcOffset100ns ? *clock_.UtcOffset100ns : UtcOffset100ns();
    const double now = clock_.NowDayCount ? *clock_.NowDayCount : NowAsDayCount();
    const std::int64_t localStart = DayCountToSerTime(now);

    if (width <= 0 || height <= 0 || (depth != 8 && depth != 16)) {
        file_.Refuse(fileName, "unsupported frame geometry " + std::to_string(width) + " x " +
                                   std::to_string(height) + " at " + std::to_string(depth) +
                                   " bits");
        return file_.Outcome();
    }
    if (!file_.Create(fileName)) {
        return file_.Outcome();
    }
    bytesPerSample_ = depth == 16 ? 2 : 1;
    frameBytes_ =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * bytesPerSample_;

    std::array<std::uint8_t, kHeaderBytes> header{};
    std::memcpy(header.data(), "LUCAM-RECORDER", 14);
    PutInt32(&header[14], 0); // camera series
    PutInt32(&header[18], 0); // colour: mono, also for a raw colour mosaic
    // The byte-order field stays 0 although 16-bit samples are stored
    // little-endian, as the files this program's users process expect.
    // FFmpeg takes the field literally and reads such 16-bit data swapped.
    PutInt32(&header[22], 0);
    PutInt32(&header[26], width);
    PutInt32(&header[30], height);
    PutInt32(&header[34], depth);
    PutInt32(&header[kFrameCountOffset], 0);
    PutText(&header[42], "OBSERVER");
    PutText(&header[82], "INSTRUMENT");
    PutText(&header[122], "TELESCOPE");
    PutInt64(&header[162], localStart);
    PutInt64(&header[170], localStart + utcOffset_);

    if (!file_.Write(header.data(), header.size()) || !file_.Flush()) {
        // A file without its header holds nothing and would take the next
        // recording number.
        file_.Discard();
    }
    return file_.Outcome();
}

std::uint64_t SerWriter::FramesEnd() const {
    return kHeaderBytes + static_cast<std::uint64_t>(stamps_.size()) * frameBytes_;
}

Status SerWriter::AddSerFrame(const void* pixels, std::size_t sampleCount, double timeStamp) {
    if (!file_.IsOpen()) {
        file_.Fail("write", "the file is not open");
        return file_.Outcome();
    }
    if (file_.Failed()) {
        return file_.Outcome();
    }
    if (sampleCount * bytesPerSample_ != frameBytes_) {
        // A frame of another size would make every later frame unreadable.
        file_.Fail("write", "a frame of " + std::to_string(sampleCount) +
                                " samples does not match the file's frame size");
        return file_.Outcome();
    }
    if (!file_.Write(pixels, frameBytes_) || !file_.Flush()) {
        // Drop the partial frame so the file ends on a frame boundary again.
        file_.Truncate(FramesEnd());
        return file_.Outcome();
    }
    if (stamps_.size() == stamps_.capacity()) {
        stamps_.reserve(stamps_.capacity() + kStampChunk);
    }
    stamps_.push_back(DayCountToSerTime(timeStamp) + utcOffset_);
    return Status();
}

Status SerWriter::PatchFrameCount() {
    const std::uint32_t count = FrameCount();
    file_.WriteAt(kFrameCountOffset, &count, sizeof count);
    return file_.Outcome();
}

Status SerWriter::CloseSerFile() {
    if (!file_.IsOpen()) {
        return Status::Failure("The SER file is not open");
    }
    const std::size_t trailerBytes = stamps_.size() * sizeof(std::int64_t);
    if (!file_.Write(stamps_.data(), trailerBytes) || !file_.Flush()) {
        // A cut-off trailer would be read as time stamps; keep none instead.
        file_.Truncate(FramesEnd());
    }
    static_cast<void>(PatchFrameCount()); // a failure stays in the file's outcome
    file_.Close();
    stamps_.clear();
    stamps_.shrink_to_fit();
    return file_.Outcome();
}

} // namespace orbicap

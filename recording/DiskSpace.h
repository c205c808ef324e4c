#pragma once

#include "platform/Status.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orbicap {

// Where the recorder asks for the free space of a folder; tests give a fixed
// one.
using FreeSpaceSource = std::function<std::optional<std::uint64_t>(const std::string& folder)>;

// Bytes one frame adds to a recording of this format (SER frame and its time
// stamp, AVI chunk and index entry, a whole FITS or BMP file), and what the
// first one needs with the headers of the file it opens and the room the file
// must keep for being closed. greyAvi: AVI frames are stored as 8-bit grey.
std::uint64_t FrameBytes(int format, int width, int height, bool is16Bit, bool colour,
                         bool greyAvi);
std::uint64_t FirstFrameBytes(int format, int width, int height, bool is16Bit, bool colour,
                              bool greyAvi);

// The folder of a capture file name FOLDER/BASE ("." when it has none).
std::string CaptureFolder(const std::string& captureFileName);

// "Disk: 41.2 GB free, 38 min"; without a rate, only the free space.
QString DiskSpaceText(std::uint64_t freeBytes, std::optional<double> secondsLeft);

// Fails, with the refusal in words, when the folder cannot hold the first
// frame; succeeds when it can or when its free space is unknown (the open
// then says what is wrong).
Status DiskRoomForFirstFrame(const std::string& folder, std::optional<std::uint64_t> freeBytes,
                             std::uint64_t neededBytes);

// Follows one recording's use of the disk: the text for the status bar and
// one warning once less than a minute of recording fits.
class DiskWatch {
public:
    void Start(const std::string& folder, std::uint64_t bytesPerFrame);
    bool Started() const { return started_; }
    void Stop() { started_ = false; }

    struct Reading {
        QString Text;
        std::optional<std::string> Warning; // given once per recording
    };
    Reading Update(std::optional<std::uint64_t> freeBytes, double elapsedSeconds,
                   std::int64_t storedFrames);
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
    std::uint64_t bytesPerFrame_ = 0;
    bool started_ = false;
    bool warned_ = false;
};

} // namespace orbicap

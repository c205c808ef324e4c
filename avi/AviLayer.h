#pragma once

#include "platform/Status.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orbicap {

// Picture size of the 24-bit frames handed to an AVI file.
struct AviFrameFormat {
    int Width = 0;
    int Height = 0;
};

// Frames per second as Num / Den (the AVI header stores rate and scale).
struct AviRate {
    int Num = 25;
    int Den = 1;
};

// Header rate for a recording: one frame per exposure, 1000 / exposureMs
// frames per second, with the exposure held to 10 .. 1000 ms so that the file
// plays at 1 .. 100 fps (the sensor cannot deliver more than 100 fps, and a
// long-exposure sequence is more useful played at 1 fps than at 0.05 fps).
AviRate AviRateForExposure(int exposureMs);

// AVI files with one uncompressed video stream, written with libavformat.
// Frames arrive as 24-bit DIB pictures (blue, green, red; rows of 3 x width
// bytes, bottom row first) and are stored either as 24-bit DIB frames
// (bottom-up, rows padded to 4 bytes, as every reader expects of BI_RGB) or,
// after UseAGRY(1), as 8-bit grey raw frames (fourcc Y800, top row first).
// A failed call's status says which file and why.
// Not thread-safe: one thread drives all handles.
class AviLayer {
public:
    // Free space every frame must leave for closing the file, beyond its
    // index entries (16 bytes a frame): the index chunk's own header, header
    // updates, and block rounding.
    static constexpr std::uint64_t kCloseReserveBytes = 64 * 1024;

    AviLayer();
    ~AviLayer(); // closes whatever is still open
    AviLayer(const AviLayer&) = delete;
    AviLayer& operator=(const AviLayer&) = delete;

    // Creates the file and writes its header; the result is its handle.
    Result<int> CreateAvi(const std::string& fileName, const AviFrameFormat& fmt,
                          AviRate framesPerSecond = AviRate{});
    // Appends one picture of the handle's format. After a failure every
    // later call on the handle fails too. A
    // picture that would not fit (past the file-size limit, or the free
    // space less the room the index needs) is refused before any of it is
    // written, so the file still closes well-formed with the frames before.
    Status AddAviFrame(int handle, const std::uint8_t* bottomUpBgrPacked);
    // Writes the index, closes the file and frees the handle. Succeeds only
    // when every write of the file succeeded (a refused picture wrote nothing).
    Status CloseAvi(int handle);

    // 1: files created from now on store 8-bit grey frames; 0: 24-bit.
    void UseAGRY(int flag) { useGrey_ = flag != 0; }
    bool UsesGrey() const { return useGrey_; }
    // Whether the linked FFmpeg can write 8-bit grey raw frames into AVI.
    bool RawGreyAvailable() const;

    // Number of files open now.
    std::size_t OpenCount() const { return files_.size(); }

    struct File; // one open file; defined in the implementation

private:
    static Status Fail(std::string text);

    bool useGrey_ = false;
    int nextHandle_ = 0;
    std::map<int, std::unique_ptr<File>> files_;
};

} // namespace orbicap

#pragma once

#include "pipeline/Palette.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orbicap {

// A nearest-neighbour stretch of a bottom-up picture onto a top-down one:
// display pixel (x, y) shows picture pixel (x * sourceWidth div destWidth,
// y * sourceHeight div destHeight), so pixels repeat when enlarging and rows
// and columns drop out when reducing.
struct ScaleJob {
    const std::uint8_t* Source = nullptr; // first row in memory = bottom picture row
    int SourceWidth = 0;
    int SourceHeight = 0;
    std::ptrdiff_t SourceStride = 0;
    std::uint8_t* Dest = nullptr; // first row in memory = top display row
    int DestWidth = 0;
    int DestHeight = 0;
    std::ptrdiff_t DestStride = 0;
};

enum class GreyKernel {
    Portable,   // table look-ups, any processor
    Shuffle512, // 64 pixels per step with byte permutes (AVX-512 VBMI)
    Best,       // the fastest this processor runs
};

// Scales frames for the display. Holds the column tables for the geometry in
// use, so a refresh at an unchanged size computes no index per pixel.
class DisplayScaler {
public:
    // Grey frame: every shown pixel is lut[raw value], applied in the same pass
    // as the stretch.
    void ScaleGrey(const ScaleJob& job, const Palette& lut, GreyKernel kernel = GreyKernel::Best);
    // 24-bit frame (3 bytes a pixel), copied as it is.
    void ScaleBgr(const ScaleJob& job);

    // The grey kernels this processor runs, the portable one first.
    static std::vector<GreyKernel> AvailableGreyKernels();

    // 64 display pixels of a row: the source window they read from, which of
    // its bytes lie inside the source row, and which display pixels they are.
    struct Chunk {
        std::uint64_t LoadMask[4] = {};
        std::uint64_t StoreMask = 0;
        std::int32_t Base = 0;   // first source column of the window
        std::int32_t Offset = 0; // first display column
    };

    // Display rows FirstDisplayRow .. + Count - 1 all show buffer row BufferRow.
    struct RowRun {
        std::int32_t BufferRow = 0;
        std::int32_t FirstDisplayRow = 0;
        std::int32_t Count = 0;
    };

private:
    void Prepare(const ScaleJob& job);
    void PrepareColumns(int sourceWidth, int destWidth);
    void GreyRowPortable(const std::uint8_t* src, std::uint8_t* dst, const Palette& lut) const;

    int sourceWidth_ = -1;
    int destWidth_ = -1;
    int sourceHeight_ = -1;
    int destHeight_ = -1;
    std::vector<RowRun> runs_;
    std::vector<std::int32_t> columns_;
    std::vector<std::int32_t> byteColumns_; // columns_ x 3, for 24-bit rows
    std::vector<Chunk> chunks_;
    int windows_ = 0;
    bool masked_ = true;
    int every_ = 0; // rows take every 1st, 2nd or 4th source column; 0: other ratios
    std::vector<std::uint8_t> chunkIndex_; // 64 window offsets per chunk
};

} // namespace orbicap

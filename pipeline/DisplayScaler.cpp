#include "pipeline/DisplayScaler.h"

#include "pipeline/CpuFeatures.h"
#include "pipeline/PictureRows.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ORBICAP_SHUFFLE512 1
#include <immintrin.h>
#endif

namespace orbicap {
namespace {

constexpr int kChunk = 64;

int SourceIndex(int destIndex, int sourceSize, int destSize) {
    return static_cast<int>(static_cast<std::int64_t>(destIndex) * sourceSize / destSize);
}

std::uint64_t LowBits(std::int64_t n) {
    if (n <= 0)
        return 0;
    if (n >= 64)
        return ~0ull;
    return (1ull << n) - 1;
}

// Runs rowKernel once per run of display rows that show the same picture
// row, and copies its result to the rest of the run (enlarging repeats rows,
// so most of a 200 % or 400 % picture is plain copying).
template <typename RowKernel>
void ForEachRowRun(const ScaleJob& job, const std::vector<DisplayScaler::RowRun>& runs,
                   std::size_t rowBytes, RowKernel rowKernel) {
    for (const DisplayScaler::RowRun& run : runs) {
        std::uint8_t* first = job.Dest + run.FirstDisplayRow * job.DestStride;
        rowKernel(job.Source + run.BufferRow * job.SourceStride, first);
        for (int r = 1; r < run.Count; ++r)
            std::memcpy(first + r * job.DestStride, first, rowBytes);
    }
}

bool Usable(const ScaleJob& job) {
    return job.Source && job.Dest && job.SourceWidth > 0 && job.SourceHeight > 0 &&
           job.DestWidth > 0 && job.DestHeight > 0;
}

#ifdef ORBICAP_SHUFFLE512
#define ORBICAP_TARGET512 __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi")))

// 256-entry table look-up of 64 bytes as two 128-entry permutes that merge
// into their index register: lanes with the top bit set first take their
// value from the upper half, and the second permute leaves those lanes alone
// while the rest look up the lower half. No blend and no branch on the data,
// which measured clearly faster than blending two full look-ups.
ORBICAP_TARGET512 inline __m512i LookUp(__m512i lut0, __m512i lut1, __m512i lut2, __m512i lut3,
                                        __m512i values) {
    const __mmask64 upper = _mm512_movepi8_mask(values);
    const __m512i high = _mm512_mask2_permutex2var_epi8(lut2, values, upper, lut3);
    return _mm512_mask2_permutex2var_epi8(lut0, high, ~upper, lut1);
}

ORBICAP_TARGET512 inline __m512i LoadBlock(const std::uint8_t* p, std::uint64_t mask, bool masked) {
    return masked ? _mm512_maskz_loadu_epi8(mask, p) : _mm512_loadu_si512(p);
}

ORBICAP_TARGET512 inline void StoreBlock(std::uint8_t* p, std::uint64_t mask, bool masked,
                                         __m512i v) {
    if (masked)
        _mm512_mask_storeu_epi8(p, mask, v);
    else
        _mm512_storeu_si512(p, v);
}

// Runs of display rows, Windows 64-byte source blocks per 64 display pixels
// (0: same width, no column mapping). Everything is fixed per geometry, so
// the loop has no branch that depends on the data. Unless Masked, every block
// lies inside its row (the last chunk of a row overlaps the one before it),
// so no masked memory access is needed: some processors run those slowly.
template <int Windows, bool Masked>
ORBICAP_TARGET512 void GreyRuns512(const ScaleJob& job, const Palette& palette,
                                   const DisplayScaler::RowRun* runs, std::size_t runCount,
                                   const DisplayScaler::Chunk* chunks, std::size_t chunkCount,
                                   const std::uint8_t* index) {
    // The stores write raw bytes, which the compiler must assume may alias
    // any table; so everything the loop reads is held in locals.
    const __m512i lut0 = _mm512_loadu_si512(palette.data());
    const __m512i lut1 = _mm512_loadu_si512(palette.data() + 64);
    const __m512i lut2 = _mm512_loadu_si512(palette.data() + 128);
    const __m512i lut3 = _mm512_loadu_si512(palette.data() + 192);
    const std::uint8_t* const source = job.Source;
    std::uint8_t* const dest = job.Dest;
    const std::ptrdiff_t sourceStride = job.SourceStride;
    const std::ptrdiff_t destStride = job.DestStride;
    for (std::size_t k = 0; k < runCount; ++k) {
        const DisplayScaler::RowRun run = runs[k];
        const std::uint8_t* src = source + run.BufferRow * sourceStride;
        std::uint8_t* first = dest + run.FirstDisplayRow * destStride;
        for (std::size_t c = 0; c < chunkCount; ++c) {
            const DisplayScaler::Chunk& chunk = chunks[c];
            const std::uint8_t* window = src + chunk.Base;
            const __m512i w0 = LoadBlock(window, chunk.LoadMask[0], Masked);
            __m512i pixels;
            if constexpr (Windows == 0) {
                pixels = w0;
            } else {
                const __m512i offsets = _mm512_loadu_si512(index + c * kChunk);
                if constexpr (Windows == 1) {
                    pixels = _mm512_maskz_permutexvar_epi8(~__mmask64{0}, offsets, w0);
                } else {
                    const __m512i w1 = LoadBlock(window + 64, chunk.LoadMask[1], Masked);
                    pixels = _mm512_permutex2var_epi8(w0, offsets, w1);
                    if constexpr (Windows == 4) {
                        const __m512i w2 = LoadBlock(window + 128, chunk.LoadMask[2], Masked);
                        const __m512i w3 = LoadBlock(window + 192, chunk.LoadMask[3], Masked);
                        const __m512i far = _mm512_permutex2var_epi8(w2, offsets, w3);
                        pixels = _mm512_mask_blend_epi8(_mm512_movepi8_mask(offsets), pixels, far);
                    }
                }
            }
            const __m512i shown = LookUp(lut0, lut1, lut2, lut3, pixels);
            std::uint8_t* out = first + chunk.Offset;
            StoreBlock(out, chunk.StoreMask, Masked, shown);
            for (int r = 1; r < run.Count; ++r)
                StoreBlock(out + r * destStride, chunk.StoreMask, Masked, shown);
        }
    }
}

template <int Windows>
ORBICAP_TARGET512 void GreyRuns512(const ScaleJob& job, const Palette& palette,
                                   const std::vector<DisplayScaler::RowRun>& runs,
                                   const std::vector<DisplayScaler::Chunk>& chunks,
                                   const std::vector<std::uint8_t>& index, bool masked) {
    if (masked)
        GreyRuns512<Windows, true>(job, palette, runs.data(), runs.size(), chunks.data(),
                                   chunks.size(), index.data());
    else
        GreyRuns512<Windows, false>(job, palette, runs.data(), runs.size(), chunks.data(),
                                    chunks.size(), index.data());
}

// Display rows that take every Factor-th source column (Factor 1, 2 or 4:
// 100 %, 50 % and 25 % of a frame whose width divides evenly), at least 64
// pixels wide. The byte positions are the same in every 64-pixel step, so
// they stay in registers and no per-chunk table is read; the last step of a
// row overlaps the one before instead of running past the row's end.
template <int Factor>
ORBICAP_TARGET512 inline __m512i GatherEvery(const std::uint8_t* window, __m512i offsets) {
    if constexpr (Factor == 1) {
        (void)offsets;
        return _mm512_loadu_si512(window);
    } else if constexpr (Factor == 2) {
        return _mm512_permutex2var_epi8(_mm512_loadu_si512(window), offsets,
                                        _mm512_loadu_si512(window + 64));
    } else {
        static_assert(Factor == 4);
        // The upper 32 lanes come from the far two blocks and the lower
        // lanes keep their offsets, which the second permute then resolves
        // in the near two blocks, leaving the upper lanes alone: no blend.
        const __mmask64 upper = ~std::uint64_t{0} << 32;
        const __m512i far = _mm512_mask2_permutex2var_epi8(
            _mm512_loadu_si512(window + 128), offsets, upper, _mm512_loadu_si512(window + 192));
        return _mm512_mask2_permutex2var_epi8(_mm512_loadu_si512(window), far, ~upper,
                                              _mm512_loadu_si512(window + 64));
    }
}

struct Lut512 {
    __m512i Part[4];
};

// 64 display pixels from display column x on.
template <int Factor>
ORBICAP_TARGET512 inline void EveryStep(const std::uint8_t* src, std::uint8_t* row,
                                        std::ptrdiff_t x, __m512i offsets, const Lut512& lut) {
    _mm512_storeu_si512(row + x, LookUp(lut.Part[0], lut.Part[1], lut.Part[2], lut.Part[3],
                                        GatherEvery<Factor>(src + Factor * x, offsets)));
}

// One display row. At 100 % a steady two-step loop with the overlapping
// step peeled off measured best; the reductions read four times as many
// source lines per step, where one loop over all steps kept more of those
// reads in flight.
template <int Factor>
ORBICAP_TARGET512 inline void EveryRow(const std::uint8_t* src, std::uint8_t* row, int chunks,
                                       std::ptrdiff_t last, __m512i offsets, const Lut512& lut) {
    if constexpr (Factor == 1) {
        (void)chunks;
        std::ptrdiff_t x = 0;
        for (; x + 2 * kChunk <= last; x += 2 * kChunk) {
            EveryStep<Factor>(src, row, x, offsets, lut);
            EveryStep<Factor>(src, row, x + kChunk, offsets, lut);
        }
        for (; x < last; x += kChunk)
            EveryStep<Factor>(src, row, x, offsets, lut);
        EveryStep<Factor>(src, row, last, offsets, lut);
    } else {
        for (int c = 0; c < chunks; ++c)
            EveryStep<Factor>(src, row, std::min<std::ptrdiff_t>(c * kChunk, last), offsets, lut);
    }
}

// Reductions and 100 % (no display row repeats). Row addresses are stepped
// along in registers rather than read from the row table: with each row's
// address depending on a load, measurably less of the next rows' source reads
// overlapped the current row's work.
template <int Factor>
ORBICAP_TARGET512 void GreyEvery512(const ScaleJob& job, const Palette& palette) {
    std::uint8_t positions[kChunk];
    for (int j = 0; j < kChunk; ++j)
        positions[j] = static_cast<std::uint8_t>((Factor * j) & 127);
    const __m512i offsets = _mm512_loadu_si512(positions);
    const Lut512 lut{{_mm512_loadu_si512(palette.data()), _mm512_loadu_si512(palette.data() + 64),
                      _mm512_loadu_si512(palette.data() + 128),
                      _mm512_loadu_si512(palette.data() + 192)}};
    const std::ptrdiff_t sourceStride = job.SourceStride;
    const std::ptrdiff_t destStride = job.DestStride;
    const std::ptrdiff_t last = job.DestWidth - kChunk;
    const int chunks = (job.DestWidth + kChunk - 1) / kChunk;
    const int destHeight = job.DestHeight;
    if (destHeight == job.SourceHeight) {
        // Row for row: walk the source upwards in memory (bottom display row
        // first), which the hardware prefetch follows better than the reverse.
        const std::uint8_t* src = job.Source;
        std::uint8_t* row = job.Dest + static_cast<std::ptrdiff_t>(destHeight - 1) * destStride;
        for (int y = 0; y < destHeight; ++y, src += sourceStride, row -= destStride)
            EveryRow<Factor>(src, row, chunks, last, offsets, lut);
        return;
    }
    // Display row 0 shows the top picture row, which is the last buffer row;
    // each display row further down moves whole source rows plus a carry.
    const std::ptrdiff_t wholeStep = (job.SourceHeight / destHeight) * sourceStride;
    const int remainderStep = job.SourceHeight % destHeight;
    const std::uint8_t* src =
        job.Source + static_cast<std::ptrdiff_t>(job.SourceHeight - 1) * sourceStride;
    std::uint8_t* row = job.Dest;
    int remainder = 0;
    for (int y = 0; y < destHeight; ++y, row += destStride) {
        EveryRow<Factor>(src, row, chunks, last, offsets, lut);
        src -= wholeStep;
        remainder += remainderStep;
        if (remainder >= destHeight) {
            remainder -= destHeight;
            src -= sourceStride;
        }
    }
}

// Returns false unless every display row shows a row of its own and takes
// every 1st, 2nd or 4th source column.
bool ScaleGreyEvery512(const ScaleJob& job, const Palette& palette, int factor) {
    if (job.DestHeight > job.SourceHeight)
        return false;
    switch (factor) {
    case 1:
        GreyEvery512<1>(job, palette);
        return true;
    case 2:
        GreyEvery512<2>(job, palette);
        return true;
    case 4:
        GreyEvery512<4>(job, palette);
        return true;
    default:
        return false;
    }
}

// Returns false when the geometry needs wider source windows than the kernel
// handles (reductions far below any zoom offered).
bool ScaleGrey512(const ScaleJob& job, const Palette& palette,
                  const std::vector<DisplayScaler::RowRun>& runs,
                  const std::vector<DisplayScaler::Chunk>& chunks,
                  const std::vector<std::uint8_t>& index, int windows, bool masked) {
    switch (windows) {
    case 0:
        GreyRuns512<0>(job, palette, runs, chunks, index, masked);
        return true;
    case 1:
        GreyRuns512<1>(job, palette, runs, chunks, index, masked);
        return true;
    case 2:
        GreyRuns512<2>(job, palette, runs, chunks, index, masked);
        return true;
    case 4:
        GreyRuns512<4>(job, palette, runs, chunks, index, masked);
        return true;
    default:
        return false;
    }
}
#endif

} // namespace

void DisplayScaler::Prepare(const ScaleJob& job) {
    if (job.SourceHeight != sourceHeight_ || job.DestHeight != destHeight_) {
        sourceHeight_ = job.SourceHeight;
        destHeight_ = job.DestHeight;
        runs_.clear();
        for (int dy = 0; dy < job.DestHeight; ++dy) {
            const int row = BufferRowOfPictureRow(SourceIndex(dy, job.SourceHeight, job.DestHeight),
                                                  job.SourceHeight);
            if (!runs_.empty() && runs_.back().BufferRow == row)
                ++runs_.back().Count;
            else
                runs_.push_back({row, dy, 1});
        }
    }
    PrepareColumns(job.SourceWidth, job.DestWidth);
}

void DisplayScaler::PrepareColumns(int sourceWidth, int destWidth) {
    if (sourceWidth == sourceWidth_ && destWidth == destWidth_)
        return;
    sourceWidth_ = sourceWidth;
    destWidth_ = destWidth;
    every_ = 0;
    for (int factor : {1, 2, 4})
        if (destWidth >= kChunk && sourceWidth == factor * destWidth)
            every_ = factor;
    columns_.resize(static_cast<std::size_t>(destWidth));
    byteColumns_.resize(static_cast<std::size_t>(destWidth));
    for (int x = 0; x < destWidth; ++x) {
        columns_[static_cast<std::size_t>(x)] = SourceIndex(x, sourceWidth, destWidth);
        byteColumns_[static_cast<std::size_t>(x)] = 3 * columns_[static_cast<std::size_t>(x)];
    }

    // Each 64-pixel run ("chunk") of a display row reads a window of 64-byte
    // source blocks; precompute where it starts, which bytes of the blocks lie
    // inside the row, and each pixel's offset in the window. All chunks use
    // the widest window any of them needs (0: same width, no mapping; more
    // than 4: the fast kernel does not apply).
    const std::size_t count = static_cast<std::size_t>((destWidth + kChunk - 1) / kChunk);
    chunks_.assign(count, Chunk{});
    chunkIndex_.assign(count * kChunk, 0);
    // Rows of at least one chunk end with a chunk that overlaps the one before
    // instead of a partial one.
    const bool overlapEnd = destWidth >= kChunk;
    int span = 0;
    for (std::size_t c = 0; c < count; ++c) {
        Chunk& chunk = chunks_[c];
        chunk.Offset = overlapEnd ? std::min(static_cast<int>(c) * kChunk, destWidth - kChunk)
                                  : static_cast<int>(c) * kChunk;
        const int n = std::min(kChunk, destWidth - chunk.Offset);
        chunk.Base = columns_[static_cast<std::size_t>(chunk.Offset)];
        chunk.StoreMask = LowBits(n);
        span = std::max(span,
                        columns_[static_cast<std::size_t>(chunk.Offset + n - 1)] - chunk.Base + 1);
    }
    windows_ = sourceWidth == destWidth ? 0 : (span + kChunk - 1) / kChunk;
    if (windows_ == 3)
        windows_ = 4;
    const int windowBytes = std::max(windows_, 1) * kChunk;
    // Where the row is wide enough, windows that would run past its end start
    // earlier instead, so that every load stays inside the row.
    masked_ = !(overlapEnd && sourceWidth >= windowBytes);
    for (std::size_t c = 0; c < count; ++c) {
        Chunk& chunk = chunks_[c];
        if (!masked_)
            chunk.Base = std::min(chunk.Base, sourceWidth - windowBytes);
        for (int w = 0; w < 4; ++w)
            chunk.LoadMask[w] = w < std::max(windows_, 1)
                                    ? LowBits(sourceWidth - chunk.Base - std::int64_t{w} * kChunk)
                                    : 0;
        const int n = std::min(kChunk, destWidth - chunk.Offset);
        for (int j = 0; j < n; ++j)
            chunkIndex_[c * kChunk + static_cast<std::size_t>(j)] = static_cast<std::uint8_t>(
                std::min(255, columns_[static_cast<std::size_t>(chunk.Offset + j)] - chunk.Base));
    }
}

void DisplayScaler::GreyRowPortable(const std::uint8_t* src, std::uint8_t* dst,
                                    const Palette& lut) const {
    const std::int32_t* columns = columns_.data();
    const int n = destWidth_;
    if (n == sourceWidth_) {
        for (int x = 0; x < n; ++x)
            dst[x] = lut[src[x]];
        return;
    }
    for (int x = 0; x < n; ++x)
        dst[x] = lut[src[columns[x]]];
}

void DisplayScaler::ScaleGrey(const ScaleJob& job, const Palette& lut, GreyKernel kernel) {
    if (!Usable(job))
        return;
    Prepare(job);
    const bool fast = HasByteShuffle512() && kernel != GreyKernel::Portable;
#ifdef ORBICAP_SHUFFLE512
    if (fast && (ScaleGreyEvery512(job, lut, every_) ||
                 ScaleGrey512(job, lut, runs_, chunks_, chunkIndex_, windows_, masked_)))
        return;
#else
    (void)fast;
#endif
    ForEachRowRun(
        job, runs_, static_cast<std::size_t>(job.DestWidth),
        [&](const std::uint8_t* src, std::uint8_t* dst) { GreyRowPortable(src, dst, lut); });
}

void DisplayScaler::ScaleBgr(const ScaleJob& job) {
    if (!Usable(job))
        return;
    Prepare(job);
    const std::int32_t* columns = byteColumns_.data();
    const int n = job.DestWidth;
    ForEachRowRun(job, runs_, 3 * static_cast<std::size_t>(n),
                  [&](const std::uint8_t* src, std::uint8_t* dst) {
                      for (int x = 0; x < n; ++x) {
                          const std::uint8_t* p = src + columns[x];
                          dst[3 * x] = p[0];
                          dst[3 * x + 1] = p[1];
                          dst[3 * x + 2] = p[2];
                      }
                  });
}

std::vector<GreyKernel> DisplayScaler::AvailableGreyKernels() {
    std::vector<GreyKernel> kernels{GreyKernel::Portable};
    if (HasByteShuffle512())
        kernels.push_back(GreyKernel::Shuffle512);
    return kernels;
}

} // namespace orbicap

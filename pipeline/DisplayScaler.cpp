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

// 256-entry table look-up of 64 bytes: two 128-entry permutes chosen by the
// top bit. Sky and planet frames are mostly below 128, so the upper half is
// only looked up where a value needs it.
ORBICAP_TARGET512 inline __m512i LookUp(__m512i lut0, __m512i lut1, __m512i lut2, __m512i lut3,
                                        __m512i values) {
    const __m512i low = _mm512_permutex2var_epi8(lut0, values, lut1);
    const __mmask64 upper = _mm512_movepi8_mask(values);
    if (upper == 0)
        return low;
    const __m512i high = _mm512_permutex2var_epi8(lut2, values, lut3);
    return _mm512_mask_blend_epi8(upper, low, high);
}

// One run of display rows from a row of source pixels, Windows 64-byte source
// blocks per 64 display pixels. Everything is fixed per geometry (masks,
// offsets, window count), so the loop has no branch that depends on the data.
template <int Windows>
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
            const __m512i w0 = _mm512_maskz_loadu_epi8(chunk.LoadMask[0], window);
            __m512i pixels;
            if constexpr (Windows == 0) {
                pixels = w0; // same width: no column mapping
            } else {
                const __m512i offsets = _mm512_loadu_si512(index + c * kChunk);
                if constexpr (Windows == 1) {
                    pixels = _mm512_maskz_permutexvar_epi8(~__mmask64{0}, offsets, w0);
                } else {
                    const __m512i w1 = _mm512_maskz_loadu_epi8(chunk.LoadMask[1], window + 64);
                    pixels = _mm512_permutex2var_epi8(w0, offsets, w1);
                    if constexpr (Windows == 4) {
                        const __m512i w2 = _mm512_maskz_loadu_epi8(chunk.LoadMask[2], window + 128);
                        const __m512i w3 = _mm512_maskz_loadu_epi8(chunk.LoadMask[3], window + 192);
                        const __m512i far = _mm512_permutex2var_epi8(w2, offsets, w3);
                        pixels = _mm512_mask_blend_epi8(_mm512_movepi8_mask(offsets), pixels, far);
                    }
                }
            }
            const __m512i shown = LookUp(lut0, lut1, lut2, lut3, pixels);
            std::uint8_t* out = first + c * kChunk;
            for (int r = 0; r < run.Count; ++r, out += destStride)
                _mm512_mask_storeu_epi8(out, chunk.StoreMask, shown);
        }
    }
}

// Same width and height (100 %): the look-up alone, row by row reversed.
ORBICAP_TARGET512 void GreyRowsSameSize512(const ScaleJob& job, const Palette& palette) {
    const __m512i lut0 = _mm512_loadu_si512(palette.data());
    const __m512i lut1 = _mm512_loadu_si512(palette.data() + 64);
    const __m512i lut2 = _mm512_loadu_si512(palette.data() + 128);
    const __m512i lut3 = _mm512_loadu_si512(palette.data() + 192);
    const int width = job.DestWidth;
    const int full = width / kChunk * kChunk;
    const __mmask64 tail = LowBits(width - full);
    for (int y = 0; y < job.DestHeight; ++y) {
        const std::uint8_t* src =
            job.Source + BufferRowOfPictureRow(y, job.SourceHeight) * job.SourceStride;
        std::uint8_t* out = job.Dest + y * job.DestStride;
        for (int x = 0; x < full; x += kChunk)
            _mm512_storeu_si512(out + x,
                                LookUp(lut0, lut1, lut2, lut3, _mm512_loadu_si512(src + x)));
        if (tail)
            _mm512_mask_storeu_epi8(
                out + full, tail,
                LookUp(lut0, lut1, lut2, lut3, _mm512_maskz_loadu_epi8(tail, src + full)));
    }
}

// Returns false when the geometry needs wider source windows than the kernel
// handles (reductions far below any zoom offered).
bool ScaleGrey512(const ScaleJob& job, const Palette& palette,
                  const std::vector<DisplayScaler::RowRun>& runs,
                  const std::vector<DisplayScaler::Chunk>& chunks,
                  const std::vector<std::uint8_t>& index, int windows) {
    if (job.SourceWidth == job.DestWidth && job.SourceHeight == job.DestHeight) {
        GreyRowsSameSize512(job, palette);
        return true;
    }
    const auto* r = runs.data();
    const auto* c = chunks.data();
    switch (windows) {
    case 0:
        GreyRuns512<0>(job, palette, r, runs.size(), c, chunks.size(), index.data());
        return true;
    case 1:
        GreyRuns512<1>(job, palette, r, runs.size(), c, chunks.size(), index.data());
        return true;
    case 2:
        GreyRuns512<2>(job, palette, r, runs.size(), c, chunks.size(), index.data());
        return true;
    case 4:
        GreyRuns512<4>(job, palette, r, runs.size(), c, chunks.size(), index.data());
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
    columns_.resize(static_cast<std::size_t>(destWidth));
    byteColumns_.resize(static_cast<std::size_t>(destWidth));
    for (int x = 0; x < destWidth; ++x) {
        columns_[static_cast<std::size_t>(x)] = SourceIndex(x, sourceWidth, destWidth);
        byteColumns_[static_cast<std::size_t>(x)] = 3 * columns_[static_cast<std::size_t>(x)];
    }

    // Each 64-pixel run of a display row reads a window of 64-byte source
    // blocks; precompute where it starts, which bytes of the blocks lie inside
    // the row, and each pixel's offset in the window. All runs use the widest
    // window any of them needs (0: same width, no mapping; more than 4: the
    // fast kernel does not apply).
    const std::size_t count = static_cast<std::size_t>((destWidth + kChunk - 1) / kChunk);
    chunks_.assign(count, Chunk{});
    chunkIndex_.assign(count * kChunk, 0);
    int span = 0;
    for (std::size_t c = 0; c < count; ++c) {
        const int first = static_cast<int>(c) * kChunk;
        const int n = std::min(kChunk, destWidth - first);
        chunks_[c].Base = columns_[static_cast<std::size_t>(first)];
        chunks_[c].StoreMask = LowBits(n);
        span =
            std::max(span, columns_[static_cast<std::size_t>(first + n - 1)] - chunks_[c].Base + 1);
        for (int j = 0; j < n; ++j)
            chunkIndex_[c * kChunk + static_cast<std::size_t>(j)] = static_cast<std::uint8_t>(
                std::min(255, columns_[static_cast<std::size_t>(first + j)] - chunks_[c].Base));
    }
    windows_ = sourceWidth == destWidth ? 0 : (span + kChunk - 1) / kChunk;
    if (windows_ == 3)
        windows_ = 4;
    for (Chunk& chunk : chunks_)
        for (int w = 0; w < 4; ++w)
            chunk.LoadMask[w] = w < std::max(windows_, 1)
                                    ? LowBits(sourceWidth - chunk.Base - std::int64_t{w} * kChunk)
                                    : 0;
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
    if (fast && ScaleGrey512(job, lut, runs_, chunks_, chunkIndex_, windows_))
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

#include "pipeline/DisplayScaler.h"
#include "pipeline/View.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace orbicap {
namespace {

struct Picture {
    int Width, Height, Stride;
    std::vector<std::uint8_t> Bytes;
};

// What a display pixel must show, written out the long way: top display row y
// samples picture row y * H / DH, which is buffer row H - 1 - that.
std::vector<std::uint8_t> Reference(const Picture& src, int bpp, const Palette* lut, int dw,
                                    int dh) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(dw) * dh * bpp);
    for (int y = 0; y < dh; ++y) {
        const long long pictureRow = static_cast<long long>(y) * src.Height / dh;
        const long long memoryRow = src.Height - 1 - pictureRow;
        for (int x = 0; x < dw; ++x) {
            const long long column = static_cast<long long>(x) * src.Width / dw;
            for (int b = 0; b < bpp; ++b) {
                const std::uint8_t raw =
                    src.Bytes[static_cast<std::size_t>(memoryRow * src.Stride + column * bpp + b)];
                out[(static_cast<std::size_t>(y) * dw + x) * bpp + b] = lut ? (*lut)[raw] : raw;
            }
        }
    }
    return out;
}

Picture Random(int w, int h, int bpp, unsigned seed) {
    std::mt19937 rng(seed);
    Picture p{w, h, w * bpp, std::vector<std::uint8_t>(static_cast<std::size_t>(w) * h * bpp)};
    for (auto& b : p.Bytes)
        b = static_cast<std::uint8_t>(rng());
    return p;
}

Palette RandomPalette(unsigned seed) {
    std::mt19937 rng(seed);
    Palette lut{};
    for (auto& v : lut)
        v = static_cast<std::uint8_t>(rng());
    return lut;
}

std::string Name(GreyKernel k) {
    return k == GreyKernel::Portable ? "portable" : "shuffle512";
}

// Destination rows padded beyond the picture, to catch writes past a row.
std::vector<std::uint8_t> Scale(DisplayScaler& scaler, const Picture& src, int bpp,
                                const Palette* lut, int dw, int dh, GreyKernel kernel,
                                bool* padIntact) {
    const int stride = dw * bpp + 13;
    std::vector<std::uint8_t> dst(static_cast<std::size_t>(stride) * dh, 0xEE);
    ScaleJob job{src.Bytes.data(), src.Width, src.Height, src.Stride, dst.data(), dw, dh, stride};
    if (lut)
        scaler.ScaleGrey(job, *lut, kernel);
    else
        scaler.ScaleBgr(job);
    std::vector<std::uint8_t> packed;
    *padIntact = true;
    for (int y = 0; y < dh; ++y) {
        const auto* row = dst.data() + static_cast<std::size_t>(y) * stride;
        packed.insert(packed.end(), row, row + dw * bpp);
        for (int k = dw * bpp; k < stride; ++k)
            *padIntact = *padIntact && row[k] == 0xEE;
    }
    return packed;
}

TEST(DisplayScaler, BufferRowZeroIsTheBottomDisplayRow) {
    // Buffer rows {1, 2} then {3, 4}; identity palette; 100 % and 200 %.
    const Picture src{2, 2, 2, {1, 2, 3, 4}};
    const Palette lut = IdentityPalette();
    for (GreyKernel kernel : DisplayScaler::AvailableGreyKernels()) {
        DisplayScaler scaler;
        bool pad = false;
        EXPECT_EQ(Scale(scaler, src, 1, &lut, 2, 2, kernel, &pad),
                  (std::vector<std::uint8_t>{3, 4, 1, 2}))
            << Name(kernel);
        EXPECT_EQ(Scale(scaler, src, 1, &lut, 4, 4, kernel, &pad),
                  (std::vector<std::uint8_t>{3, 3, 4, 4, 3, 3, 4, 4, 1, 1, 2, 2, 1, 1, 2, 2}))
            << Name(kernel);
    }
}

TEST(DisplayScaler, GreyMatchesTheReferenceAtEveryZoom) {
    const std::vector<std::pair<int, int>> frames{
        {752, 480}, {376, 240}, {400, 400}, {37, 23}, {1, 1}};
    const Palette lut = RandomPalette(7);
    for (GreyKernel kernel : DisplayScaler::AvailableGreyKernels()) {
        DisplayScaler scaler; // one scaler across geometries, as in the program
        for (auto [w, h] : frames) {
            const Picture src = Random(w, h, 1, static_cast<unsigned>(w * 31 + h));
            for (int zoom : {25, 50, 100, 200, 400}) {
                const PixelSize size = ZoomedSize(w, h, zoom);
                if (size.Width == 0 || size.Height == 0)
                    continue;
                bool pad = false;
                const auto got = Scale(scaler, src, 1, &lut, size.Width, size.Height, kernel, &pad);
                EXPECT_EQ(got, Reference(src, 1, &lut, size.Width, size.Height))
                    << Name(kernel) << " " << w << "x" << h << " at " << zoom << "%";
                EXPECT_TRUE(pad) << "wrote past a display row";
            }
        }
    }
}

TEST(DisplayScaler, GreyHandlesUnusualRatios) {
    // Reductions wider than any zoom offers and non-integer factors.
    const Palette lut = RandomPalette(3);
    const Picture src = Random(1000, 30, 1, 11);
    // Same width at another height takes the mapping-free path with repeated rows.
    // Widths of a half, a quarter and the whole at heights that do not divide
    // 30 step through the picture rows with a carry.
    const std::vector<std::pair<int, int>> sizes{{10, 3},    {129, 7},   {333, 29},
                                                 {1001, 31}, {2999, 61}, {1000, 61},
                                                 {500, 13},  {250, 7},   {1000, 17}};
    for (GreyKernel kernel : DisplayScaler::AvailableGreyKernels()) {
        DisplayScaler scaler;
        for (auto [dw, dh] : sizes) {
            bool pad = false;
            EXPECT_EQ(Scale(scaler, src, 1, &lut, dw, dh, kernel, &pad),
                      Reference(src, 1, &lut, dw, dh))
                << Name(kernel) << " " << dw << "x" << dh;
            EXPECT_TRUE(pad);
        }
    }
}

TEST(DisplayScaler, ColourMatchesTheReference) {
    DisplayScaler scaler;
    const Picture src = Random(376, 240, 3, 5);
    for (int zoom : {25, 100, 200}) {
        const PixelSize size = ZoomedSize(376, 240, zoom);
        bool pad = false;
        EXPECT_EQ(Scale(scaler, src, 3, nullptr, size.Width, size.Height, GreyKernel::Best, &pad),
                  Reference(src, 3, nullptr, size.Width, size.Height))
            << zoom;
        EXPECT_TRUE(pad);
    }
}

} // namespace
} // namespace orbicap

#include "SimDriverFixture.h"

#include <algorithm>
#include <random>
#include <string>
#include <tuple>

namespace orbicap::test {
namespace {

// One of the four demosaic entry points, described by what it reads, how
// much it may write and where it puts channel c (0 red, 1 green, 2 blue) of
// output pixel (x, y).
struct Kernel {
    const char* name;
    bool words;   // 16-bit mosaic in
    int outShift; // bits dropped from the mosaic's scale
    int lessColumns, lessRows;
    bool planar;
    int outBytes; // per sample

    int OutWidth(int w) const { return w - lessColumns; }
    int OutRows(int h) const { return h - lessRows; }
    std::size_t DestinationBytes(int w, int h) const {
        return 3u * static_cast<std::size_t>(OutWidth(w)) * OutRows(h) * outBytes;
    }
    void Run(CMOSDLL32& d, const std::vector<std::uint16_t>& mosaic, std::uint8_t* dest, int w,
             int h) const {
        if (!words) {
            std::vector<std::uint8_t> bytes(mosaic.begin(), mosaic.end());
            if (planar)
                d.debayerImageFITBYTE(bytes.data(), dest, w, h);
            else
                d.debayerImage(bytes.data(), dest, w, h);
        } else if (planar) {
            d.debayerImageFITWORD(mosaic.data(), reinterpret_cast<unsigned short*>(dest), w, h);
        } else {
            d.debayerImageW(mosaic.data(), dest, w, h);
        }
    }
    int Read(const std::uint8_t* dest, int w, int h, int x, int y, int c) const {
        std::size_t index;
        if (planar)
            index = static_cast<std::size_t>(c) * OutWidth(w) * OutRows(h) +
                    static_cast<std::size_t>(y) * OutWidth(w) + x;
        else
            index = (static_cast<std::size_t>(y) * OutWidth(w) + x) * 3 + (2 - c); // B, G, R
        if (outBytes == 2)
            return dest[2 * index] | (dest[2 * index + 1] << 8);
        return dest[index];
    }
};

const Kernel kKernels[] = {
    {"debayerImage", false, 0, 0, 0, false, 1},
    {"debayerImageW", true, 2, 1, 1, false, 1},
    {"debayerImageFITBYTE", false, 0, 0, 1, true, 1},
    {"debayerImageFITWORD", true, 0, 0, 1, true, 2},
};

struct Size {
    int width, height;
};

void PrintTo(const Kernel& kernel, std::ostream* os) {
    *os << kernel.name;
}
void PrintTo(const Size& size, std::ostream* os) {
    *os << size.width << "x" << size.height;
}

class SimDemosaicTest : public SimDriverTest,
                        public ::testing::WithParamInterface<std::tuple<Kernel, Size>> {
protected:
    // Runs the kernel into a destination framed by guard bytes; fails the
    // test if a guard byte changed and returns the destination alone.
    std::vector<std::uint8_t> Demosaic(const std::vector<std::uint16_t>& mosaic,
                                       std::uint8_t fill) {
        const auto [kernel, size] = GetParam();
        constexpr std::size_t kGuard = 256;
        constexpr std::uint8_t kGuardByte = 0x5A;
        const std::size_t bytes = kernel.DestinationBytes(size.width, size.height);
        std::vector<std::uint8_t> buffer(bytes + 2 * kGuard, kGuardByte);
        std::fill(buffer.begin() + kGuard, buffer.end() - kGuard, fill);
        kernel.Run(driver, mosaic, buffer.data() + kGuard, size.width, size.height);
        EXPECT_EQ(std::count(buffer.begin(), buffer.begin() + kGuard, kGuardByte), kGuard)
            << "wrote before the destination";
        EXPECT_EQ(std::count(buffer.end() - kGuard, buffer.end(), kGuardByte), kGuard)
            << "wrote beyond the destination";
        return {buffer.begin() + kGuard, buffer.end() - kGuard};
    }

    std::vector<std::uint16_t> Mosaic(const std::function<int(int x, int y)>& value) const {
        const Size size = std::get<1>(GetParam());
        std::vector<std::uint16_t> mosaic(static_cast<std::size_t>(size.width) * size.height);
        for (int y = 0; y < size.height; ++y)
            for (int x = 0; x < size.width; ++x)
                mosaic[static_cast<std::size_t>(y) * size.width + x] =
                    static_cast<std::uint16_t>(value(x, y));
        return mosaic;
    }
};

// Every byte of the destination is written (the results do not depend on
// what was there before) and not one byte around it.
TEST_P(SimDemosaicTest, WritesExactlyItsDestination) {
    const Kernel kernel = std::get<0>(GetParam());
    std::mt19937 random(42);
    const int top = kernel.words ? 1023 : 255;
    const auto mosaic = Mosaic([&](int, int) { return static_cast<int>(random() % (top + 1)); });
    const std::vector<std::uint8_t> overZeros = Demosaic(mosaic, 0x00);
    const std::vector<std::uint8_t> overOnes = Demosaic(mosaic, 0xFF);
    EXPECT_TRUE(overZeros == overOnes) << "some destination bytes were left unwritten";
}

// A scene of one colour comes out in that colour everywhere, borders
// included, with the channels in the documented order.
TEST_P(SimDemosaicTest, RestoresAUniformColour) {
    const auto [kernel, size] = GetParam();
    const int scale = kernel.words ? 4 : 1;
    const int channel[3] = {200, 100, 50};
    const auto mosaic = Mosaic([&](int x, int y) {
        const int site = (y & 1) + (x & 1); // 0 red, 1 green, 2 blue
        return channel[site] * scale;
    });
    const std::vector<std::uint8_t> out = Demosaic(mosaic, 0);
    int wrong = 0;
    for (int y = 0; y < kernel.OutRows(size.height); ++y)
        for (int x = 0; x < kernel.OutWidth(size.width); ++x)
            for (int c = 0; c < 3; ++c)
                wrong += kernel.Read(out.data(), size.width, size.height, x, y, c) !=
                         (channel[c] * scale) >> kernel.outShift;
    EXPECT_EQ(wrong, 0);
}

// A brightness ramp down the mosaic comes out as the same ramp: output row y
// is input row y, not a mirrored or shifted one.
TEST_P(SimDemosaicTest, KeepsTheRowOrder) {
    const auto [kernel, size] = GetParam();
    // Bytes cannot hold 480 steps, so their ramp restarts every 128 rows.
    auto ramp = [&](int y) { return kernel.words ? y : (y & 0x7F); };
    const auto mosaic = Mosaic([&](int, int y) { return ramp(y); });
    const std::vector<std::uint8_t> out = Demosaic(mosaic, 0);
    int checked = 0, wrong = 0;
    for (int y = 1; y < kernel.OutRows(size.height) - 1; ++y) {
        if (ramp(y + 1) - ramp(y - 1) != 2)
            continue;
        for (int x = 1; x < kernel.OutWidth(size.width) - 1; ++x)
            for (int c = 0; c < 3; ++c) {
                ++checked;
                wrong += kernel.Read(out.data(), size.width, size.height, x, y, c) !=
                         ramp(y) >> kernel.outShift;
            }
    }
    EXPECT_GT(checked, 0);
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(Kernels, SimDemosaicTest,
                         ::testing::Combine(::testing::ValuesIn(kKernels),
                                            ::testing::Values(Size{752, 480}, Size{376, 240},
                                                              Size{400, 400})),
                         [](const auto& info) {
                             const Kernel& kernel = std::get<0>(info.param);
                             const Size& size = std::get<1>(info.param);
                             return std::string(kernel.name) + "_" + std::to_string(size.width) +
                                    "x" + std::to_string(size.height);
                         });

} // namespace
} // namespace orbicap::test

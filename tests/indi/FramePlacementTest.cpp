// Placing a delivered picture into the program's window: crop, pad, mosaic
// phase and depth, and never a byte beyond the window.
#include "FramePlacement.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace orbicap::indi {
namespace {

constexpr std::uint8_t kGuard = 0xA5;

// A window block with guard bytes after it, to catch any write beyond.
struct GuardedBlock {
    GuardedBlock(int width, int height, bool tenBit)
        : block{nullptr, width, height, tenBit}, bytes(block.Bytes() + 64, kGuard) {
        block.data = bytes.data();
    }
    bool GuardIntact() const {
        for (std::size_t i = block.Bytes(); i < bytes.size(); ++i)
            if (bytes[i] != kGuard)
                return false;
        return true;
    }
    int At(int x, int y) const {
        const std::size_t i = static_cast<std::size_t>(y) * block.width + x;
        return block.tenBit ? bytes[2 * i] | (bytes[2 * i + 1] << 8) : bytes[i];
    }
    WindowBlock block;
    std::vector<std::uint8_t> bytes;
};

// An 8-bit source whose every sample tells its own position: x + 16 y.
std::vector<std::uint8_t> PositionPicture(int width, int height) {
    std::vector<std::uint8_t> picture;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.push_back(static_cast<std::uint8_t>(x + 16 * y));
    return picture;
}

int Position(int x, int y) {
    return x + 16 * y;
}

TEST(FramePlacement, CropsPadsAndKeepsTheMosaicPhase) {
    struct Case {
        const char* what;
        int sourceWidth, sourceHeight, redColumn, redRow;
        int windowWidth, windowHeight;
        int offsetX, offsetY; // window pixel (x, y) shows source (x + offsetX, y + offsetY)
    };
    const Case cases[] = {
        {"larger source: its centre, from an even column", 10, 8, 0, 0, 4, 4, 4, 2},
        {"smaller source: centred in black, on an even row", 2, 2, 0, 0, 6, 4, -2, -2},
        {"same size", 6, 4, 0, 0, 6, 4, 0, 0},
        {"red on an odd column: the crop starts on it", 10, 8, 1, 0, 4, 4, 3, 2},
        {"red on an odd row: the crop starts on it", 10, 8, 0, 1, 4, 4, 4, 3},
        {"an even centre stays", 9, 4, 0, 0, 4, 4, 2, 0},
        {"same size, red odd: shifted one column, black at the left", 6, 4, 1, 0, 6, 4, -1, 0},
        {"smaller, red odd: the border grows by one", 2, 2, 1, 1, 6, 6, -3, -3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::uint8_t> picture = PositionPicture(c.sourceWidth, c.sourceHeight);
        SourceFrame source;
        source.data = picture.data();
        source.width = c.sourceWidth;
        source.height = c.sourceHeight;
        source.redColumn = c.redColumn;
        source.redRow = c.redRow;
        GuardedBlock out(c.windowWidth, c.windowHeight, false);
        PlaceFrame(source, out.block);
        EXPECT_TRUE(out.GuardIntact());
        for (int y = 0; y < c.windowHeight; ++y)
            for (int x = 0; x < c.windowWidth; ++x) {
                const int sx = x + c.offsetX;
                const int sy = y + c.offsetY;
                const bool inside = sx >= 0 && sy >= 0 && sx < c.sourceWidth && sy < c.sourceHeight;
                ASSERT_EQ(out.At(x, y), inside ? Position(sx, sy) : 0) << x << "," << y;
            }
    }
}

TEST(FramePlacement, RescalesSamplesToTheWindowDepth) {
    struct Case {
        int bytesPerSample, significantBits;
        bool tenBit;
        int in, out;
    };
    const Case cases[] = {
        {2, 16, true, 0xFFFF, 1023}, {2, 16, true, 0x8000, 512}, {2, 12, true, 4095, 1023},
        {2, 12, true, 2048, 512},    {1, 8, true, 255, 1020},    {2, 16, false, 0xFF00, 255},
        {2, 10, false, 1023, 255},   {1, 8, false, 77, 77},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bytesPerSample << " bytes, " << c.significantBits
                                        << " bits, in " << c.in);
        const std::vector<std::uint8_t> sample =
            c.bytesPerSample == 1
                ? std::vector<std::uint8_t>{static_cast<std::uint8_t>(c.in)}
                : std::vector<std::uint8_t>{static_cast<std::uint8_t>(c.in & 0xff),
                                            static_cast<std::uint8_t>(c.in >> 8)};
        SourceFrame source{sample.data(), 1, 1, c.bytesPerSample, c.significantBits, 0, 0};
        GuardedBlock out(1, 1, c.tenBit);
        PlaceFrame(source, out.block);
        EXPECT_EQ(out.At(0, 0), c.out);
        EXPECT_TRUE(out.GuardIntact());
    }
}

TEST(FramePlacement, AWordPictureLargerThanTheWindowStaysInsideTheBlock) {
    // The program's largest window from a larger 16-bit sensor frame, in the
    // 8-bit mode whose block is half the size of the words delivered.
    std::vector<std::uint8_t> picture(1280 * 1024 * 2, 0xFF);
    SourceFrame source{picture.data(), 1280, 1024, 2, 16, 0, 0};
    for (const bool tenBit : {false, true}) {
        GuardedBlock out(752, 480, tenBit);
        PlaceFrame(source, out.block);
        EXPECT_TRUE(out.GuardIntact());
        EXPECT_EQ(out.At(751, 479), tenBit ? 1023 : 255);
    }
}

} // namespace
} // namespace orbicap::indi

#include "recording/RenderFrame.h"

#include "avi_support.h"
#include "pipeline/PictureRows.h"
#include "recording/AviWriter.h"
#include "recording/GreyToBgr.h"

#include "tests/support/StatusCheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <vector>

namespace orbicap {
namespace {

std::unique_ptr<ImageLst> Frame8(int width, int height, const std::vector<std::uint8_t>& samples) {
    auto f = std::make_unique<ImageLst>();
    f->Reshape(width, height, false);
    std::copy(samples.begin(), samples.end(), f->Data.get());
    return f;
}

std::unique_ptr<ImageLst> Frame16(int width, int height,
                                  const std::vector<std::uint16_t>& samples) {
    auto f = std::make_unique<ImageLst>();
    f->Reshape(width, height, true);
    for (std::size_t k = 0; k < samples.size(); ++k) {
        f->Data[2 * k] = static_cast<std::uint8_t>(samples[k]);
        f->Data[2 * k + 1] = static_cast<std::uint8_t>(samples[k] >> 8);
    }
    return f;
}

std::uint16_t Word(const ImageLst& f, std::size_t k) {
    return static_cast<std::uint16_t>(f.Data[2 * k] | (f.Data[2 * k + 1] << 8));
}

// Blue, green, red of picture pixel (x, y), y counted from the top.
std::array<std::uint8_t, 3> PixelAt(const RenderBitmap& b, int x, int y) {
    const std::size_t i =
        3u * (static_cast<std::size_t>(BufferRowOfPictureRow(y, b.Height)) * b.Width + x);
    return {b.Bits[i], b.Bits[i + 1], b.Bits[i + 2]};
}

const CMOSDLL32 kNoCamera; // mono rendering never calls the camera library

TEST(RenderFrame, TenBitMonoIsReducedInPlaceAndRenderedGrey) {
    auto f = Frame16(4, 1, {0, 3, 4, 1023});
    RenderBitmap out;
    RenderFrame(*f, false, kNoCamera, out, false, OverlayStyle{});
    ASSERT_EQ(out.Width, 4);
    ASSERT_EQ(out.Height, 1);
    const std::vector<std::uint8_t> grey = {0, 0, 0, 0, 0, 0, 1, 1, 1, 255, 255, 255};
    EXPECT_EQ(out.Bits, grey);
    for (std::size_t k = 0; k < 4; ++k)
        EXPECT_EQ(Word(*f, k), (std::vector<int>{0, 0, 1, 255}[k])) << "sample " << k;
}

// The grey expansion and the 10-bit reduction run sixteen samples at a time
// with a scalar tail; every length around those steps must give what the
// per-sample rule gives, also for words above 10 bits (their low byte after
// the shift).
TEST(RenderFrame, WideKernelsMatchThePerSampleRuleAtEveryLength) {
    std::mt19937 random(7);
    for (const std::size_t count : {1u, 15u, 16u, 17u, 31u, 33u, 360960u}) {
        std::vector<std::uint8_t> grey(count);
        std::vector<std::uint8_t> words(2 * count);
        for (auto& g : grey)
            g = static_cast<std::uint8_t>(random());
        for (auto& w : words)
            w = static_cast<std::uint8_t>(random());

        std::vector<std::uint8_t> bgr(3 * count + 1, 0xEE);
        ExpandGreyToBgr(grey.data(), count, bgr.data());
        std::vector<std::uint8_t> reduced = words;
        std::vector<std::uint8_t> tenBitBgr(3 * count + 1, 0xEE);
        ReduceAndExpandTenBit(reduced.data(), count, tenBitBgr.data());

        for (std::size_t k = 0; k < count; ++k) {
            const unsigned value = (words[2 * k] | (words[2 * k + 1] << 8u)) >> 2u;
            ASSERT_EQ(reduced[2 * k] | (reduced[2 * k + 1] << 8u), value)
                << "count " << count << " sample " << k;
            for (int c = 0; c < 3; ++c) {
                ASSERT_EQ(bgr[3 * k + c], grey[k]) << "count " << count << " sample " << k;
                ASSERT_EQ(tenBitBgr[3 * k + c], value & 0xFFu)
                    << "count " << count << " sample " << k;
            }
        }
        EXPECT_EQ(bgr.back(), 0xEE) << "wrote past the end, count " << count;
        EXPECT_EQ(tenBitBgr.back(), 0xEE) << "wrote past the end, count " << count;
    }
}

// The first frame row is the bottom picture row; a reused bitmap follows the
// size of each frame.
TEST(RenderFrame, MonoFirstFrameRowIsBottomPictureRow) {
    RenderBitmap out;
    auto big = Frame8(8, 8, std::vector<std::uint8_t>(64, 9));
    RenderFrame(*big, false, kNoCamera, out, false, OverlayStyle{});
    const auto capacity = out.Bits.capacity();

    auto f = Frame8(3, 2, {10, 11, 12, 20, 21, 22});
    RenderFrame(*f, false, kNoCamera, out, false, OverlayStyle{});
    ASSERT_EQ(out.Width, 3);
    ASSERT_EQ(out.Height, 2);
    ASSERT_EQ(out.Bits.size(), 18u);
    EXPECT_EQ(out.Bits.capacity(), capacity) << "the bitmap was reallocated";
    EXPECT_EQ(PixelAt(out, 0, 1), (std::array<std::uint8_t, 3>{10, 10, 10}));
    EXPECT_EQ(PixelAt(out, 2, 1), (std::array<std::uint8_t, 3>{12, 12, 12}));
    EXPECT_EQ(PixelAt(out, 0, 0), (std::array<std::uint8_t, 3>{20, 20, 20}));
}

// The box sits at the top-left of the picture: (10, 8) is its black outline,
// (11, 9) its fill; a picture row far below is untouched.
TEST(RenderFrame, OverlayShowsTheFramesOwnTextAtTheTopLeft) {
    OverlayStyle style;
    style.BackColor = QColor(255, 0, 0);
    auto f = Frame8(64, 48, std::vector<std::uint8_t>(64 * 48, 200));
    f->Overlay = "12:00";
    RenderBitmap out;

    RenderFrame(*f, false, kNoCamera, out, false, style);
    EXPECT_EQ(PixelAt(out, 11, 9), (std::array<std::uint8_t, 3>{200, 200, 200}));

    RenderFrame(*f, false, kNoCamera, out, true, style);
    EXPECT_EQ(PixelAt(out, 10, 8), (std::array<std::uint8_t, 3>{0, 0, 0}));
    EXPECT_EQ(PixelAt(out, 11, 9), (std::array<std::uint8_t, 3>{0, 0, 255}));
    EXPECT_EQ(PixelAt(out, 40, 40), (std::array<std::uint8_t, 3>{200, 200, 200}));

    // A longer text gives a wider box: the frame's own text is drawn.
    RenderFrame(*f, false, kNoCamera, out, true, style);
    const int narrowEdge = [&] {
        int x = 11;
        while (x < out.Width && PixelAt(out, x, 9) == std::array<std::uint8_t, 3>{0, 0, 255})
            ++x;
        return x;
    }();
    f->Overlay = "12:00:00.000";
    RenderFrame(*f, false, kNoCamera, out, true, style);
    EXPECT_EQ(PixelAt(out, narrowEdge + 1, 9), (std::array<std::uint8_t, 3>{0, 0, 255}));
}

// A rendered mono frame recorded as AVI reads back as the display shows it:
// picture row y from the top is frame row Height - 1 - y.
TEST(RenderFrame, RecordedAviReadsBackAsRendered) {
    if (!test::ToolPresent("ffmpeg"))
        GTEST_SKIP() << "ffmpeg not installed";
    test::ScratchDir dir;
    ASSERT_TRUE(dir.Ok());
    const int width = 752, height = 480;
    std::vector<std::uint16_t> samples(width * height);
    for (int k = 0; k < width * height; ++k)
        samples[k] = static_cast<std::uint16_t>((k / width * 2 + k % width) % 1024);
    auto f = Frame16(width, height, samples);
    RenderBitmap out;
    RenderFrame(*f, false, kNoCamera, out, false, OverlayStyle{});

    AviWriter writer;
    ASSERT_TRUE(test::Succeeded(writer.OpenAviFile(dir / "R.AVI", out.Width, out.Height)));
    ASSERT_TRUE(test::Succeeded(writer.WriteAviFrame(out.Bits.data(), out.Width, out.Height,
                                                     3LL * (out.Width - 1) * (out.Height - 1))));
    ASSERT_TRUE(test::Succeeded(writer.CloseAviFile()));

    const std::string decoded = test::DecodeAll(dir / "R-PART1.AVI", "gray");
    ASSERT_EQ(decoded.size(), static_cast<std::size_t>(width) * height);
    int wrong = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int k = BufferRowOfPictureRow(y, height) * width + x;
            wrong += static_cast<std::uint8_t>(decoded[y * width + x]) != (samples[k] >> 2 & 0xff);
        }
    EXPECT_EQ(wrong, 0);
}

class RenderColour : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = std::string(ORBICAP_LIB_DIR) + "/libqhy5v-sim.so";
        if (!std::filesystem::exists(path))
            GTEST_SKIP() << "simulator driver not built: " << path;
        ASSERT_TRUE(camera.LoadCameraLibrary(path)) << camera.Error();
    }

    CMOSDLL32 camera;
};

// 8-bit and 10-bit mosaics of the same scene render to the same
// (W - 1) x (H - 1) picture; the 8-bit path must not write past the bitmap.
TEST_F(RenderColour, BothDepthsGiveTheSamePictureOneSmaller) {
    const int width = 752, height = 480;
    std::mt19937 random(7);
    std::vector<std::uint8_t> samples8(width * height);
    for (auto& s : samples8)
        s = static_cast<std::uint8_t>(random());
    std::vector<std::uint16_t> samples16(samples8.begin(), samples8.end());
    for (auto& s : samples16)
        s = static_cast<std::uint16_t>(s << 2);

    RenderBitmap eight, ten;
    auto f8 = Frame8(width, height, samples8);
    RenderFrame(*f8, true, camera, eight, false, OverlayStyle{});
    auto f16 = Frame16(width, height, samples16);
    RenderFrame(*f16, true, camera, ten, false, OverlayStyle{});

    for (const RenderBitmap* b : {&eight, &ten}) {
        EXPECT_EQ(b->Width, 751);
        EXPECT_EQ(b->Height, 479);
        EXPECT_EQ(b->Bits.size(), 3u * 751 * 479);
    }
    int differing = 0;
    for (std::size_t i = 0; i < eight.Bits.size(); ++i)
        differing += std::abs(eight.Bits[i] - ten.Bits[i]) > 1;
    EXPECT_EQ(differing, 0) << "the 8-bit picture is cut from another corner";
}

} // namespace
} // namespace orbicap

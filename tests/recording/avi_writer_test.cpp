#include "recording/AviWriter.h"

#include "avi_support.h"

#include "tests/support/StatusCheck.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orbicap {
namespace {

using test::DecodeAll;
using test::Probe;
using test::TestPicture;
using test::TopDown;

constexpr int kWidth = 16;
constexpr int kHeight = 8;
constexpr std::int64_t kFrameBytes = 3 * (kWidth - 1) * (kHeight - 1);

class AviWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::ToolPresent("ffprobe") || !test::ToolPresent("ffmpeg"))
            GTEST_SKIP() << "ffprobe/ffmpeg not installed";
        ASSERT_TRUE(dir.Ok());
    }

    // Writes frames first .. first + count - 1 of the test sequence.
    static void WriteFrames(AviWriter& writer, int first, int count, int width = kWidth,
                            int height = kHeight) {
        for (int f = first; f < first + count; ++f)
            ASSERT_TRUE(test::Succeeded(writer.WriteAviFrame(TestPicture(width, height, f).data(),
                                                             width, height, kFrameBytes)));
    }

    // Decoded frames of a part must be frames first .. first + count - 1.
    static void ExpectFrames(const std::string& part, int first, int count) {
        auto probe = Probe(part);
        EXPECT_EQ(probe["nb_read_frames"], std::to_string(count)) << part;
        std::string expected;
        for (int f = first; f < first + count; ++f)
            expected += TopDown(TestPicture(kWidth, kHeight, f), kWidth, kHeight);
        EXPECT_TRUE(DecodeAll(part, "bgr24") == expected) << part;
    }

    test::ScratchDir dir;
};

struct SplitCase {
    std::int64_t Limit;
    std::vector<int> FramesPerPart;
};
void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << "limit " << c.Limit;
}

class AviWriterSplit : public AviWriterTest, public ::testing::WithParamInterface<SplitCase> {};

// A part ends with the frame that brings its count above the limit (strictly
// greater): with a limit of exactly 3 frames' bytes the fourth frame still
// goes into the old part.
TEST_P(AviWriterSplit, NewPartAfterTheFrameThatPassesTheLimit) {
    const SplitCase c = GetParam();
    AviWriter writer(c.Limit);
    const std::string name = dir / "CAPTURE_00003.AVI";
    ASSERT_TRUE(test::Succeeded(writer.OpenAviFile(name, kWidth, kHeight)));
    int total = 0;
    for (int n : c.FramesPerPart)
        total += n;
    WriteFrames(writer, 0, total);
    ASSERT_TRUE(test::Succeeded(writer.CloseAviFile()));

    EXPECT_FALSE(std::filesystem::exists(name)) << "the name without a part number";
    int first = 0;
    for (std::size_t p = 0; p < c.FramesPerPart.size(); ++p) {
        ExpectFrames(dir / ("CAPTURE_00003-PART" + std::to_string(p + 1) + ".AVI"), first,
                     c.FramesPerPart[p]);
        first += c.FramesPerPart[p];
    }
    EXPECT_FALSE(std::filesystem::exists(
        dir / ("CAPTURE_00003-PART" + std::to_string(c.FramesPerPart.size() + 1) + ".AVI")));
}

INSTANTIATE_TEST_SUITE_P(Limits, AviWriterSplit,
                         ::testing::Values(SplitCase{3 * kFrameBytes, {4, 4, 2}},
                                           SplitCase{3 * kFrameBytes - 1, {3, 3, 3, 1}},
                                           SplitCase{kAviPartLimitBytes, {5}}),
                         [](const auto& info) {
                             std::string name = "Parts";
                             for (int n : info.param.FramesPerPart)
                                 name += "_" + std::to_string(n);
                             return name;
                         });

TEST_F(AviWriterTest, NextRecordingStartsAgainAtPartOne) {
    AviWriter writer(kFrameBytes);
    ASSERT_TRUE(test::Succeeded(writer.OpenAviFile(dir / "A.AVI", kWidth, kHeight)));
    WriteFrames(writer, 0, 5);
    EXPECT_EQ(writer.AviPart(), 4);
    ASSERT_TRUE(test::Succeeded(writer.CloseAviFile()));
    EXPECT_EQ(writer.AviPart(), 1);
    EXPECT_EQ(writer.AviBytes(), 0);

    ASSERT_TRUE(test::Succeeded(writer.OpenAviFile(dir / "B.AVI", kWidth, kHeight)));
    WriteFrames(writer, 0, 1);
    ASSERT_TRUE(test::Succeeded(writer.CloseAviFile()));
    ExpectFrames(dir / "B-PART1.AVI", 0, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "B-PART2.AVI"));
    ExpectFrames(dir / "A-PART3.AVI", 4, 1);
}

// Root ignores folder permissions, so the second part is blocked by a folder
// of the same name: the earlier part stays complete, the failure is named,
// stays set and is reported again by the close.
TEST_F(AviWriterTest, PartThatCannotBeCreatedEndsWithAnError) {
    AviWriter writer(kFrameBytes);
    ASSERT_TRUE(test::Succeeded(writer.OpenAviFile(dir / "C.AVI", kWidth, kHeight)));
    const std::string blocked = dir / "C-PART2.AVI";
    std::filesystem::create_directory(blocked);
    WriteFrames(writer, 0, 2);
    const auto picture = TestPicture(kWidth, kHeight, 2);
    const Status blockedPart = writer.WriteAviFrame(picture.data(), kWidth, kHeight, kFrameBytes);
    EXPECT_TRUE(blockedPart.Failed());
    EXPECT_NE(blockedPart.Message().find(blocked), std::string::npos) << blockedPart.Message();
    const Status later = writer.WriteAviFrame(picture.data(), kWidth, kHeight, kFrameBytes);
    EXPECT_EQ(later.Message(), blockedPart.Message()) << "the first failure stays";
    const Status closed = writer.CloseAviFile();
    EXPECT_TRUE(closed.Failed());
    EXPECT_NE(closed.Message().find(blocked), std::string::npos) << closed.Message();
    ExpectFrames(dir / "C-PART1.AVI", 0, 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "C-PART3.AVI"));
}

TEST_F(AviWriterTest, RecordingThatCannotStartFailsWithTheFirstPartsName) {
    AviWriter writer;
    const std::string missing = dir / "missing/D.AVI";
    const Status opened = writer.OpenAviFile(missing, kWidth, kHeight);
    EXPECT_TRUE(opened.Failed());
    EXPECT_NE(opened.Message().find(dir / "missing/D-PART1.AVI"), std::string::npos)
        << opened.Message();
    EXPECT_EQ(writer.AviHandle(), -1);
    const auto picture = TestPicture(kWidth, kHeight, 0);
    EXPECT_TRUE(writer.WriteAviFrame(picture.data(), kWidth, kHeight, kFrameBytes).Failed());
    EXPECT_TRUE(writer.CloseAviFile().Failed());

    const Status shortName = writer.OpenAviFile("AVI", kWidth, kHeight);
    EXPECT_TRUE(shortName.Failed());
    EXPECT_FALSE(shortName.Message().empty());
}

// A colour recording opens with a template one column wider than its frames;
// the frames are fitted into the first part at the top-left corner, and the
// next part takes the frames' own size.
TEST_F(AviWriterTest, FramesOfAnotherSizeFitTheOpenPart) {
    AviWriter writer(kFrameBytes);
    const int width = kWidth - 1, height = kHeight - 1;
    ASSERT_TRUE(test::Succeeded(writer.OpenAviFile(dir / "E.AVI", kWidth, height)));
    WriteFrames(writer, 0, 3, width, height);
    ASSERT_TRUE(test::Succeeded(writer.CloseAviFile()));

    auto first = Probe(dir / "E-PART1.AVI");
    EXPECT_EQ(first["width"], std::to_string(kWidth));
    EXPECT_EQ(first["height"], std::to_string(height));
    const std::string decoded = DecodeAll(dir / "E-PART1.AVI", "bgr24");
    const std::string picture = TopDown(TestPicture(width, height, 0), width, height);
    ASSERT_GE(decoded.size(), 3u * kWidth * height);
    for (int top = 0; top < height; ++top) {
        const std::string row = decoded.substr(3u * kWidth * top, 3u * kWidth);
        EXPECT_EQ(row.substr(0, 3u * width), picture.substr(3u * width * top, 3u * width));
        EXPECT_EQ(row.substr(3u * width), std::string(3, '\0'));
    }

    auto second = Probe(dir / "E-PART2.AVI");
    EXPECT_EQ(second["width"], std::to_string(width));
    EXPECT_EQ(second["height"], std::to_string(height));
    EXPECT_EQ(second["nb_read_frames"], "1");
}

} // namespace
} // namespace orbicap

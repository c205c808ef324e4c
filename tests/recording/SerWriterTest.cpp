#include "WriterTestSupport.h"

#include "recording/SER.h"

#include <gtest/gtest.h>

#include <ostream>
#include <unistd.h>

namespace orbicap {
namespace {

using test::ReadFileBytes;
using test::ReadLe;
using test::TempFolder;

constexpr std::int64_t kMidnight2000 = 630'822'816'000'000'000;
constexpr std::int64_t kOneHourEast = -36'000'000'000; // UTC minus local time
constexpr double kDay2000 = 36526.0;                   // 2000-01-01 00:00 local

SerClock FixedClock() {
    return SerClock{kDay2000, kOneHourEast};
}

struct Frames {
    int Width;
    int Height;
    int Depth;
    std::vector<std::vector<std::uint8_t>> Pixels;
    std::vector<double> Times;
};

Frames MakeFrames(int width, int height, int depth, int count) {
    Frames frames{width, height, depth, {}, {}};
    const std::size_t bytes = static_cast<std::size_t>(width) * height * (depth / 8);
    for (int f = 0; f < count; ++f) {
        std::vector<std::uint8_t> pixels(bytes);
        for (std::size_t i = 0; i < bytes; ++i) {
            pixels[i] = static_cast<std::uint8_t>(i * 31 + f * 7 + (i >> 11));
        }
        frames.Pixels.push_back(std::move(pixels));
        frames.Times.push_back(kDay2000 + 0.25 + f / 86'400.0); // one second apart
    }
    return frames;
}

// Writes all frames; returns true if every call succeeded.
bool Record(SerWriter& writer, const std::string& path, const Frames& frames) {
    bool ok = writer.CreateSerFile(path, frames.Width, frames.Height, frames.Depth).Ok();
    const std::size_t samples = static_cast<std::size_t>(frames.Width) * frames.Height;
    for (std::size_t f = 0; f < frames.Pixels.size(); ++f) {
        ok = writer.AddSerFrame(frames.Pixels[f].data(), samples, frames.Times[f]).Ok() && ok;
    }
    return writer.CloseSerFile().Ok() && ok;
}

std::string Text(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t n) {
    return std::string(bytes.begin() + offset, bytes.begin() + offset + n);
}

TEST(SerTime, DayCountsBecomeTicksSinceYearOneRoundedHalfToEven) {
    struct Case {
        double DayCount;
        std::int64_t Expected;
    };
    const Case cases[] = {
        {0.0, 599'264'352'000'000'000}, // 1899-12-30
        {kDay2000, kMidnight2000},      // 2000-01-01
        {kDay2000 + 0.5, kMidnight2000 + 432'000'000'000},
        {-1.0, 599'264'352'000'000'000 - 864'000'000'000},
        // 864e9 / 32768 = 26,367,187.5 and 3 x that = 79,101,562.5: halves go
        // to the even neighbour, up in one case and down in the other.
        {1.0 / 32768, 599'264'352'000'000'000 + 26'367'188},
        {3.0 / 32768, 599'264'352'000'000'000 + 79'101'562},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DayCountToSerTime(c.DayCount), c.Expected) << c.DayCount;
    }
}

struct LayoutCase {
    int Depth;
    std::size_t FileBytes;
};

void PrintTo(const LayoutCase& c, std::ostream* out) {
    *out << c.Depth << "-bit";
}

class SerLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(SerLayout, ThreeFramesGiveTheExactHeaderFramesAndTrailer) {
    TempFolder folder;
    const std::string path = folder.File("CAPTURE_00000.SER");
    const Frames frames = MakeFrames(752, 480, GetParam().Depth, 3);
    SerWriter writer(FixedClock());
    ASSERT_TRUE(Record(writer, path, frames)) << writer.ErrorText();

    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), GetParam().FileBytes);
    EXPECT_EQ(Text(bytes, 0, 14), "LUCAM-RECORDER");
    EXPECT_EQ(ReadLe<std::int32_t>(bytes, 14), 0);
    EXPECT_EQ(ReadLe<std::int32_t>(bytes, 18), 0);
    EXPECT_EQ(ReadLe<std::int32_t>(bytes, 22), 0);
    EXPECT_EQ(ReadLe<std::int32_t>(bytes, 26), 752);
    EXPECT_EQ(ReadLe<std::int32_t>(bytes, 30), 480);
    EXPECT_EQ(ReadLe<std::int32_t>(bytes, 34), GetParam().Depth);
    EXPECT_EQ(ReadLe<std::int32_t>(bytes, 38), 3);
    EXPECT_EQ(Text(bytes, 42, 40), "OBSERVER" + std::string(32, '_'));
    EXPECT_EQ(Text(bytes, 82, 40), "INSTRUMENT" + std::string(30, '_'));
    EXPECT_EQ(Text(bytes, 122, 40), "TELESCOPE" + std::string(31, '_'));
    EXPECT_EQ(ReadLe<std::int64_t>(bytes, 162), kMidnight2000);
    EXPECT_EQ(ReadLe<std::int64_t>(bytes, 170), kMidnight2000 - 36'000'000'000);

    const std::size_t frameBytes = frames.Pixels[0].size();
    for (std::size_t f = 0; f < 3; ++f) {
        const auto start = bytes.begin() + 178 + f * frameBytes;
        EXPECT_TRUE(std::equal(start, start + frameBytes, frames.Pixels[f].begin())) << f;
        const std::size_t stampAt = 178 + 3 * frameBytes + 8 * f;
        EXPECT_EQ(ReadLe<std::int64_t>(bytes, stampAt),
                  DayCountToSerTime(frames.Times[f]) + kOneHourEast)
            << f;
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, SerLayout,
                         ::testing::Values(LayoutCase{8, 1'083'082}, LayoutCase{16, 2'165'962}),
                         [](const auto& info) { return std::to_string(info.param.Depth) + "bit"; });

TEST(SerWriter, ARecordingWithoutFramesIsABareHeaderWithCountZero) {
    TempFolder folder;
    const std::string path = folder.File("EMPTY.SER");
    SerWriter writer(FixedClock());
    ASSERT_TRUE(writer.CreateSerFile(path, 752, 480, 8).Ok());
    ASSERT_TRUE(writer.CloseSerFile().Ok());
    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 178u);
    EXPECT_EQ(ReadLe<std::int32_t>(bytes, 38), 0);
}

// The stamp table must grow past any fixed size; tiny frames keep it quick.
TEST(SerWriter, TakesMoreThanFiftyThousandAndOneFrames) {
    TempFolder folder;
    const std::string path = folder.File("LONG.SER");
    constexpr int kFrames = 50'010;
    SerWriter writer(FixedClock());
    ASSERT_TRUE(writer.CreateSerFile(path, 1, 1, 8).Ok());
    for (int f = 0; f < kFrames; ++f) {
        const std::uint8_t pixel = static_cast<std::uint8_t>(f);
        ASSERT_TRUE(writer.AddSerFrame(&pixel, 1, kDay2000 + f / 86'400.0).Ok()) << f;
    }
    ASSERT_TRUE(writer.CloseSerFile().Ok()) << writer.ErrorText();

    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 178u + kFrames + 8u * kFrames);
    EXPECT_EQ(ReadLe<std::int32_t>(bytes, 38), kFrames);
    EXPECT_EQ(bytes[178 + kFrames - 1], static_cast<std::uint8_t>(kFrames - 1));
    EXPECT_EQ(ReadLe<std::int64_t>(bytes, bytes.size() - 8),
              DayCountToSerTime(kDay2000 + (kFrames - 1) / 86'400.0) + kOneHourEast);
}

// A recording that dies before CloseSerFile must leave a file whose count
// matches frames that are really there.
TEST(SerWriter, PatchedCountDescribesTheFileWhileItIsStillOpen) {
    TempFolder folder;
    const std::string path = folder.File("OPEN.SER");
    const Frames frames = MakeFrames(64, 48, 16, 2);
    SerWriter writer(FixedClock());
    ASSERT_TRUE(writer.CreateSerFile(path, 64, 48, 16).Ok());
    for (std::size_t f = 0; f < 2; ++f) {
        ASSERT_TRUE(writer.AddSerFrame(frames.Pixels[f].data(), 64 * 48, frames.Times[f]).Ok());
    }
    ASSERT_TRUE(writer.PatchFrameCount().Ok());
    const auto bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes.size(), 178u + 2 * 64 * 48 * 2);
    EXPECT_EQ(ReadLe<std::int32_t>(bytes, 38), 2);
    EXPECT_EQ(writer.FrameCount(), 2u);
}

TEST(SerWriter, CreationFailuresAreReportedWithTheFileAndTheCause) {
    TempFolder folder;
    const std::string missing = folder.File("no-such-folder/CAPTURE_00000.SER");
    SerWriter writer(FixedClock());
    EXPECT_TRUE(writer.CreateSerFile(missing, 752, 480, 8).Failed());
    EXPECT_EQ(writer.ErrorText(), "Cannot create " + missing + ": No such file or directory");
    EXPECT_FALSE(writer.IsOpen());

    // A device that takes no bytes: the header write itself fails.
    EXPECT_TRUE(writer.CreateSerFile("/dev/full", 752, 480, 8).Failed());
    EXPECT_EQ(writer.ErrorText(), "Cannot write /dev/full: No space left on device");

    const std::string odd = folder.File("ODD.SER");
    EXPECT_TRUE(writer.CreateSerFile(odd, 752, 480, 12).Failed());
    EXPECT_NE(writer.ErrorText().find(odd), std::string::npos);
    EXPECT_NE(::access(odd.c_str(), F_OK), 0);
}

TEST(SerWriter, AFrameOfTheWrongSizeIsRefusedAndTheFileStaysWellFormed) {
    TempFolder folder;
    const std::string path = folder.File("MIXED.SER");
    const Frames frames = MakeFrames(32, 16, 8, 2);
    SerWriter writer(FixedClock());
    ASSERT_TRUE(writer.CreateSerFile(path, 32, 16, 8).Ok());
    ASSERT_TRUE(writer.AddSerFrame(frames.Pixels[0].data(), 32 * 16, frames.Times[0]).Ok());
    EXPECT_TRUE(writer.AddSerFrame(frames.Pixels[1].data(), 32 * 15, frames.Times[1]).Failed());
    EXPECT_TRUE(writer.AddSerFrame(frames.Pixels[1].data(), 32 * 16, frames.Times[1]).Failed());
    EXPECT_TRUE(writer.CloseSerFile().Failed());
    EXPECT_NE(writer.ErrorText().find(path), std::string::npos);

    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 178u + 512 + 8);
    EXPECT_EQ(ReadLe<std::int32_t>(bytes, 38), 1);
}

// A full disk (played by a file-size limit) in the middle of a frame: the
// partial frame is cut off, later frames are refused, and the close writes
// the trailer and the count for the frames in the file.
struct FullDiskCase {
    const char* Name;
    std::uint64_t SpareBytes; // room after three whole frames
    bool TrailerFits;
};

void PrintTo(const FullDiskCase& c, std::ostream* out) {
    *out << c.Name;
}

class SerFullDisk : public ::testing::TestWithParam<FullDiskCase> {};

TEST_P(SerFullDisk, KeepsTheFileWellFormed) {
    TempFolder folder;
    const std::string path = folder.File("FULL.SER");
    const Frames frames = MakeFrames(752, 480, 8, 5);
    const std::uint64_t frameBytes = frames.Pixels[0].size();
    const std::uint64_t limit = 178 + 3 * frameBytes + GetParam().SpareBytes;

    const test::LimitedRun run = test::RunWithFileSizeLimit(limit, [&] {
        SerWriter writer(FixedClock());
        std::string results = writer.CreateSerFile(path, 752, 480, 8).Ok() ? "C" : "c";
        for (std::size_t f = 0; f < frames.Pixels.size(); ++f) {
            results += writer.AddSerFrame(frames.Pixels[f].data(), 752 * 480, frames.Times[f]).Ok()
                           ? "A"
                           : "a";
        }
        results += writer.CloseSerFile().Ok() ? "Z" : "z";
        return results + "|" + writer.ErrorText();
    });
    ASSERT_TRUE(run.Exited) << run.Report;
    const std::size_t bar = run.Report.find('|');
    ASSERT_NE(bar, std::string::npos) << run.Report;
    // Frames 4 and 5 are refused; the close reports the error it kept.
    EXPECT_EQ(run.Report.substr(0, bar), "CAAAaaz");
    EXPECT_EQ(run.Report.substr(bar + 1), "Cannot write " + path + ": File too large");

    const auto bytes = ReadFileBytes(path);
    EXPECT_EQ(ReadLe<std::int32_t>(bytes, 38), 3);
    const std::uint64_t framesEnd = 178 + 3 * frameBytes;
    ASSERT_EQ(bytes.size(), framesEnd + (GetParam().TrailerFits ? 24 : 0));
    const auto lastFrame = bytes.begin() + 178 + 2 * frameBytes;
    EXPECT_TRUE(std::equal(lastFrame, lastFrame + frameBytes, frames.Pixels[2].begin()));
    if (GetParam().TrailerFits) {
        EXPECT_EQ(ReadLe<std::int64_t>(bytes, framesEnd + 16),
                  DayCountToSerTime(frames.Times[2]) + kOneHourEast);
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, SerFullDisk,
                         ::testing::Values(FullDiskCase{"RoomForTheTrailer", 100'000, true},
                                           FullDiskCase{"NoRoomForTheTrailer", 10, false}),
                         [](const auto& info) { return std::string(info.param.Name); });

// An independent reader must see the frames and their size.
TEST(SerWriter, FfprobeReadsTheFramesBack) {
    if (!test::ToolAvailable("ffprobe")) {
        GTEST_SKIP() << "ffprobe is not installed";
    }
    TempFolder folder;
    const std::string path = folder.File("PROBE.SER");
    SerWriter writer;
    ASSERT_TRUE(Record(writer, path, MakeFrames(752, 480, 8, 3)));

    const test::ToolRun run =
        test::RunTool("ffprobe -v error -count_frames -show_entries "
                      "stream=width,height,nb_read_frames,pix_fmt -of default=nw=1 '" +
                      path + "'");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_NE(run.Output.find("width=752\n"), std::string::npos) << run.Output;
    EXPECT_NE(run.Output.find("height=480\n"), std::string::npos) << run.Output;
    EXPECT_NE(run.Output.find("pix_fmt=gray\n"), std::string::npos) << run.Output;
    EXPECT_NE(run.Output.find("nb_read_frames=3\n"), std::string::npos) << run.Output;
}

} // namespace
} // namespace orbicap

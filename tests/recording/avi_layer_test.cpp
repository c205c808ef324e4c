#include "avi/AviLayer.h"

#include "avi_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orbicap {
namespace {

using test::DecodeAll;
using test::Probe;
using test::TestPicture;
using test::TopDown;

class AviLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::ToolPresent("ffprobe") || !test::ToolPresent("ffmpeg"))
            GTEST_SKIP() << "ffprobe/ffmpeg not installed";
        ASSERT_TRUE(dir.Ok());
    }

    // Writes `frames` test pictures and closes the file; returns the name.
    std::string Write(AviLayer& layer, const std::string& name, int width, int height, int frames,
                      AviRate rate = AviRate{}) {
        const std::string file = dir / name;
        const Result<int> created = layer.CreateAvi(file, AviFrameFormat{width, height}, rate);
        EXPECT_TRUE(created.Ok()) << created.Message();
        if (created.Failed())
            return file;
        const int handle = created.Value();
        for (int f = 0; f < frames; ++f) {
            const Status added = layer.AddAviFrame(handle, TestPicture(width, height, f).data());
            EXPECT_TRUE(added.Ok()) << added.Message();
        }
        const Status closed = layer.CloseAvi(handle);
        EXPECT_TRUE(closed.Ok()) << closed.Message();
        return file;
    }

    test::ScratchDir dir;
};

struct SizeCase {
    int Width, Height;
};
void PrintTo(const SizeCase& c, std::ostream* os) {
    *os << c.Width << " x " << c.Height;
}

class AviLayerSizes : public AviLayerTest, public ::testing::WithParamInterface<SizeCase> {};

// Readers see 24-bit frames at their size, in order and the right way up; an
// odd width (751 x 3 bytes) also needs the DIB row padding.
TEST_P(AviLayerSizes, ReadersSeeEveryFrameRightWayUp) {
    const auto [width, height] = GetParam();
    AviLayer layer;
    const int frames = 3;
    const std::string file = Write(layer, "sizes.avi", width, height, frames);

    auto probe = Probe(file);
    EXPECT_EQ(probe["width"], std::to_string(width));
    EXPECT_EQ(probe["height"], std::to_string(height));
    EXPECT_EQ(probe["pix_fmt"], "bgr24");
    EXPECT_EQ(probe["nb_read_frames"], std::to_string(frames));

    std::string expected;
    for (int f = 0; f < frames; ++f)
        expected += TopDown(TestPicture(width, height, f), width, height);
    const std::string decoded = DecodeAll(file, "bgr24");
    ASSERT_EQ(decoded.size(), expected.size());
    EXPECT_TRUE(decoded == expected) << "decoded pictures differ (flipped or shifted rows?)";
}

INSTANTIATE_TEST_SUITE_P(Pictures, AviLayerSizes,
                         ::testing::Values(SizeCase{752, 480}, SizeCase{751, 479}, SizeCase{7, 5}),
                         [](const auto& info) {
                             return std::to_string(info.param.Width) + "x" +
                                    std::to_string(info.param.Height);
                         });

TEST_F(AviLayerTest, GreyFramesAreAThirdTheSizeAndRightWayUp) {
    AviLayer layer;
    ASSERT_TRUE(layer.RawGreyAvailable());
    const int width = 752, height = 480, frames = 4;
    const std::string colour = Write(layer, "colour.avi", width, height, frames);
    layer.UseAGRY(1);
    const std::string grey = Write(layer, "grey.avi", width, height, frames);

    auto probe = Probe(grey);
    EXPECT_EQ(probe["pix_fmt"], "gray");
    EXPECT_EQ(probe["codec_tag_string"], "Y800");
    EXPECT_EQ(probe["nb_read_frames"], std::to_string(frames));

    const auto colourSize = static_cast<double>(std::filesystem::file_size(colour));
    const auto greySize = static_cast<double>(std::filesystem::file_size(grey));
    EXPECT_NEAR(greySize / colourSize, 1.0 / 3.0, 0.01);

    // The grey of each pixel is its green byte.
    std::string expected;
    for (int f = 0; f < frames; ++f) {
        const std::string rows = TopDown(TestPicture(width, height, f), width, height);
        for (std::size_t i = 1; i < rows.size(); i += 3)
            expected += rows[i];
    }
    EXPECT_TRUE(DecodeAll(grey, "gray") == expected);

    layer.UseAGRY(0);
    EXPECT_EQ(Probe(Write(layer, "again.avi", 8, 4, 1))["pix_fmt"], "bgr24");
}

TEST_F(AviLayerTest, HeaderCarriesTheRecordingRate) {
    struct Case {
        int ExposureMs;
        int Num, Den;
    };
    for (const Case c :
         {Case{40, 25, 1}, Case{300, 10, 3}, Case{1, 100, 1}, Case{0, 100, 1}, Case{5000, 1, 1}}) {
        const AviRate rate = AviRateForExposure(c.ExposureMs);
        EXPECT_EQ(rate.Num, c.Num) << c.ExposureMs << " ms";
        EXPECT_EQ(rate.Den, c.Den) << c.ExposureMs << " ms";
    }
    AviLayer layer;
    const std::string file = Write(layer, "rate.avi", 8, 4, 2, AviRateForExposure(300));
    EXPECT_EQ(Probe(file)["avg_frame_rate"], "10/3");
}

TEST_F(AviLayerTest, FailuresAreReportedWithTheFileName) {
    AviLayer layer;
    const std::string missing = dir / "no-such-folder/x.avi";
    const Result<int> refused = layer.CreateAvi(missing, AviFrameFormat{8, 4});
    ASSERT_TRUE(refused.Failed());
    EXPECT_NE(refused.Message().find(missing), std::string::npos) << refused.Message();
    EXPECT_NE(refused.Message().find("No such file"), std::string::npos) << refused.Message();

    EXPECT_TRUE(layer.CreateAvi(dir / "empty.avi", AviFrameFormat{0, 4}).Failed());
    const auto picture = TestPicture(8, 4, 0);
    EXPECT_TRUE(layer.AddAviFrame(12345, picture.data()).Failed());
    EXPECT_TRUE(layer.CloseAvi(12345).Failed());
    EXPECT_EQ(layer.OpenCount(), 0u);
}

// A full disk, played by a file-size limit in a child process (it stops root
// too): the frame that does not fit is refused before any of it is written,
// every later one fails too, and the close still writes the index, so the
// file holds exactly the frames before the failure.
TEST_F(AviLayerTest, FullDiskRefusesTheFrameAndClosesAWellFormedFile) {
    const std::string file = dir / "full.avi";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{3'000'000, 3'000'000};
        setrlimit(RLIMIT_FSIZE, &limit);
        AviLayer layer;
        const Result<int> created = layer.CreateAvi(file, AviFrameFormat{752, 480});
        if (created.Failed())
            _exit(10);
        const int handle = created.Value();
        const auto picture = TestPicture(752, 480, 0);
        int firstFailure = -1;
        for (int f = 0; f < 6; ++f) {
            const Status added = layer.AddAviFrame(handle, picture.data());
            if (added.Failed() && firstFailure < 0) {
                firstFailure = f;
                if (added.Message().find(file) == std::string::npos ||
                    added.Message().find("File too large") == std::string::npos)
                    _exit(11);
            }
            if (firstFailure >= 0 && added.Ok())
                _exit(12); // a write after a failure reported success
        }
        if (firstFailure < 0)
            _exit(13);
        if (layer.CloseAvi(handle).Failed())
            _exit(14);
        _exit(20 + firstFailure);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_GE(WEXITSTATUS(status), 20) << "10 create failed, 11 error names no file or cause, "
                                          "12 write after failure succeeded, 13 no write "
                                          "failed, 14 close failed";
    const int stored = WEXITSTATUS(status) - 20;
    EXPECT_EQ(stored, 2); // 1,082,888 bytes a frame under a 3,000,000-byte limit
    EXPECT_EQ(Probe(file)["nb_read_frames"], std::to_string(stored));
    EXPECT_EQ(test::RunCapture("ffmpeg -v error -i " + test::Quote(file) + " -f null - 2>&1"), "");
}

} // namespace
} // namespace orbicap

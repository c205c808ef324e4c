#include "SimDriverFixture.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace orbicap::test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

long ElapsedMs(Clock::time_point since) {
    return static_cast<long>(
        std::chrono::duration_cast<milliseconds>(Clock::now() - since).count());
}

TEST_F(SimDriverTest, OpenAnswersUnlessNoCameraIsSet) {
    EXPECT_EQ(driver.openUSB(0), 1);

    SetKnob("ORBICAP_SIM_NO_CAMERA", "1");
    EXPECT_EQ(driver.openUSB(0), 0);
    Configure(752, 480, 8, 1);
    EXPECT_TRUE(Capture(300).empty()) << "an absent camera delivered a frame";

    // Opening again re-reads the environment.
    unsetenv("ORBICAP_SIM_NO_CAMERA");
    EXPECT_EQ(driver.openUSB(0), 1);
}

struct ModelCase {
    const char* model; // nullptr: the knob unset
    bool magZeroMono;
    bool magZeroColour;
};

void PrintTo(const ModelCase& c, std::ostream* os) {
    *os << (c.model ? c.model : "(unset)");
}

class SimModelTest : public SimDriverTest, public ::testing::WithParamInterface<ModelCase> {};

TEST_P(SimModelTest, IdentifiesItself) {
    if (GetParam().model)
        SetKnob("ORBICAP_SIM_MODEL", GetParam().model);
    ASSERT_EQ(driver.openUSB(0), 1);
    const unsigned int id = driver.GetVIDPID();
    EXPECT_EQ(id == 0x299016C0u, GetParam().magZeroMono) << std::hex << id;
    EXPECT_EQ(id == 0x299116C0u, GetParam().magZeroColour) << std::hex << id;
}

INSTANTIATE_TEST_SUITE_P(Models, SimModelTest,
                         ::testing::Values(ModelCase{nullptr, false, false},
                                           ModelCase{"qhy5v", false, false},
                                           ModelCase{"qhy5v-color", false, false},
                                           ModelCase{"magzero-mono", true, false},
                                           ModelCase{"magzero-color", false, true}));

TEST_F(SimDriverTest, FrameCompletesOnlyAfterTheExposure) {
    ASSERT_EQ(driver.openUSB(0), 1);
    Configure(376, 240, 8, 300);
    const Clock::time_point start = Clock::now();
    std::vector<std::uint8_t> block(FrameBytes(), 0xCD);
    driver.ThreadedExposure(block.data());
    EXPECT_LT(ElapsedMs(start), 100) << "ThreadedExposure must return at once";
    EXPECT_FALSE(exposure.WaitFor(150)) << "released long before the exposure ended";
    ASSERT_TRUE(WaitForFrame());
    EXPECT_GE(ElapsedMs(start), 290);
    EXPECT_FALSE(exposure.TryWait()) << "released more than once";
    EXPECT_NE(std::count(block.begin(), block.end(), 0xCD), static_cast<long>(block.size()));
}

TEST_F(SimDriverTest, CancelEndsALongExposureAndFillsTheBlock) {
    SetKnob("ORBICAP_SIM_STAMP", "1");
    ASSERT_EQ(driver.openUSB(0), 1);
    constexpr int kExposureMs = 600000;
    Configure(752, 480, 10, kExposureMs);
    std::vector<std::uint8_t> block(FrameBytes(), 0xCD);
    driver.ThreadedExposure(block.data());
    EXPECT_FALSE(exposure.WaitFor(100));
    const Clock::time_point cancelled = Clock::now();
    driver.CancelExposure();
    // The frame is still drawn before it is delivered; a sanitizer build
    // only has to end the exposure long before its ten minutes.
    ASSERT_TRUE(WaitForFrame());
    EXPECT_LT(ElapsedMs(cancelled), kSanitized ? kExposureMs / 2 : 3000);
    EXPECT_EQ(Stamp(block), 0u);
    EXPECT_LE(Sample(block, block.size() / 2 - 1), 1023);

    // With nothing running a cancel releases nothing.
    driver.CancelExposure();
    EXPECT_FALSE(exposure.WaitFor(100));
}

// Window and depth decide exactly how many bytes a frame has; a byte beyond
// them would corrupt the caller's heap.
struct SizeCase {
    int width, height, bits;
    int deliveredWidth, deliveredHeight;
};

void PrintTo(const SizeCase& c, std::ostream* os) {
    *os << c.width << "x" << c.height << " " << c.bits << "-bit";
}

class SimSizeTest : public SimDriverTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(SimSizeTest, FillsExactlyTheWindowInItsDepth) {
    const SizeCase c = GetParam();
    SetKnob("ORBICAP_SIM_UNPACED", "1");
    ASSERT_EQ(driver.openUSB(0), 1);
    Configure(c.width, c.height, c.bits, 100, 10); // the program's start settings
    const std::size_t bytes =
        static_cast<std::size_t>(c.deliveredWidth) * c.deliveredHeight * (c.bits == 10 ? 2 : 1);
    constexpr std::size_t kGuard = 4096;
    std::vector<std::uint8_t> block(bytes + kGuard, 0xCD);
    driver.ThreadedExposure(block.data());
    ASSERT_TRUE(WaitForFrame());

    EXPECT_EQ(std::count(block.begin() + static_cast<long>(bytes), block.end(), 0xCD),
              static_cast<long>(kGuard))
        << "wrote beyond the window";
    block.resize(bytes);
    std::vector<int> samples;
    for (std::size_t i = 0; i < bytes / (c.bits == 10 ? 2 : 1); ++i)
        samples.push_back(Sample(block, i));
    const int limit = c.bits == 10 ? 1023 : 255;
    EXPECT_LE(*std::max_element(samples.begin(), samples.end()), limit);
    // A planet on dark sky: mostly dark, with a bright disc in every window.
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    const int median = samples[samples.size() / 2];
    EXPECT_LT(median, limit / 10);
    EXPECT_GT(*std::max_element(samples.begin(), samples.end()), limit / 4);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, SimSizeTest,
    ::testing::Values(SizeCase{752, 480, 8, 752, 480}, SizeCase{752, 480, 10, 752, 480},
                      SizeCase{376, 240, 8, 376, 240}, SizeCase{376, 240, 10, 376, 240},
                      SizeCase{400, 400, 8, 400, 400}, SizeCase{400, 400, 10, 400, 400},
                      SizeCase{1000, 1000, 10, 752, 480}));

// Window and depth apply from the next exposure: the running one still fills
// the block that was sized for the old ones.
TEST_F(SimDriverTest, ReprogrammingDuringAnExposureKeepsItsSize) {
    ASSERT_EQ(driver.openUSB(0), 1);
    Configure(376, 240, 8, 200);
    const std::size_t bytes = FrameBytes();
    std::vector<std::uint8_t> block(bytes + 4096, 0xCD);
    driver.ThreadedExposure(block.data());
    Configure(752, 480, 10, 5);
    ASSERT_TRUE(WaitForFrame());
    EXPECT_EQ(std::count(block.begin() + static_cast<long>(bytes), block.end(), 0xCD), 4096);
    EXPECT_FALSE(Capture().empty());
}

TEST_F(SimDriverTest, StampsCountFramesFromEachOpen) {
    SetKnob("ORBICAP_SIM_STAMP", "1");
    SetKnob("ORBICAP_SIM_UNPACED", "1");
    ASSERT_EQ(driver.openUSB(0), 1);
    for (int bits : {8, 10}) {
        Configure(376, 240, bits, 5);
        for (std::uint32_t expected = 0; expected < 300; ++expected) {
            const std::vector<std::uint8_t> frame = Capture();
            ASSERT_FALSE(frame.empty()) << "frame " << expected;
            ASSERT_EQ(Stamp(frame), expected);
        }
        ASSERT_EQ(driver.openUSB(0), 1);
    }
}

TEST_F(SimDriverTest, StallsForGoodAfterTheGivenFrameCount) {
    SetKnob("ORBICAP_SIM_STALL_AFTER", "3");
    SetKnob("ORBICAP_SIM_UNPACED", "1");
    ASSERT_EQ(driver.openUSB(0), 1);
    Configure(376, 240, 8, 1);
    for (int i = 0; i < 3; ++i)
        ASSERT_FALSE(Capture().empty()) << "frame " << i;
    std::vector<std::uint8_t> block(FrameBytes(), 0xCD);
    driver.ThreadedExposure(block.data());
    EXPECT_FALSE(exposure.WaitFor(300));
    driver.CancelExposure();
    EXPECT_FALSE(exposure.WaitFor(300)) << "a dead camera answered a cancel";
    EXPECT_EQ(std::count(block.begin(), block.end(), 0xCD), static_cast<long>(block.size()));

    // Opening the camera again brings it back.
    unsetenv("ORBICAP_SIM_STALL_AFTER");
    ASSERT_EQ(driver.openUSB(0), 1);
    Configure(376, 240, 8, 1);
    EXPECT_FALSE(Capture().empty());
}

TEST_F(SimDriverTest, SameSeedGivesSameFrames) {
    SetKnob("ORBICAP_SIM_UNPACED", "1");
    auto run = [this](const char* seed) {
        SetKnob("ORBICAP_SIM_SEED", seed);
        EXPECT_EQ(driver.openUSB(0), 1);
        Configure(400, 400, 10, 10);
        std::vector<std::vector<std::uint8_t>> frames;
        for (int i = 0; i < 3; ++i)
            frames.push_back(Capture());
        return frames;
    };
    const auto first = run("7");
    ASSERT_FALSE(first[0].empty());
    EXPECT_EQ(run("7"), first);
    EXPECT_NE(run("8"), first);
    // Seeing and noise move from frame to frame.
    EXPECT_NE(first[0], first[1]);
    EXPECT_NE(first[1], first[2]);
}

// The window thread changes the picture while the capture thread waits.
TEST_F(SimDriverTest, ControlsFromAnotherThreadDuringExposures) {
    SetKnob("ORBICAP_SIM_STAMP", "1");
    SetKnob("ORBICAP_SIM_UNPACED", "1");
    ASSERT_EQ(driver.openUSB(0), 1);
    Configure(376, 240, 8, 2);
    std::atomic<bool> done{false};
    std::thread window([&] {
        for (int i = 0; !done; ++i) {
            driver.HorizontalFlip(i & 1);
            driver.VerticalFlip((i >> 1) & 1);
            driver.SetDigitalGain(i % 3 == 0 ? 244 : 248);
            driver.RowNoise(i & 1);
            driver.CancelExposure();
            std::this_thread::sleep_for(milliseconds(1));
        }
    });
    for (std::uint32_t expected = 0; expected < 60; ++expected) {
        const std::vector<std::uint8_t> frame = Capture();
        ASSERT_FALSE(frame.empty());
        ASSERT_EQ(Stamp(frame), expected);
    }
    done = true;
    window.join();
}

} // namespace
} // namespace orbicap::test

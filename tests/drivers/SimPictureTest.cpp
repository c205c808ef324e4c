#include "SimDriverFixture.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>

namespace orbicap::test {
namespace {

// Pictures are judged by robust statistics, never by exact values, so that
// the scene may be refined without rewriting these tests.
class SimPictureTest : public SimDriverTest {
protected:
    void SetUp() override {
        SimDriverTest::SetUp();
        SetKnob("ORBICAP_SIM_UNPACED", "1");
    }

    // Frame 0 after a fresh open: the same seeing for every call, so two
    // captures differ only by the settings and the noise.
    std::vector<int> Picture(int width, int height, int exposureMs, int gain,
                             const std::function<void()>& adjust = {}) {
        EXPECT_EQ(driver.openUSB(0), 1);
        Configure(width, height, 10, exposureMs, gain);
        if (adjust)
            adjust();
        const std::vector<std::uint8_t> frame = Capture();
        EXPECT_FALSE(frame.empty());
        std::vector<int> samples(frame.size() / 2);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = Sample(frame, i);
        return samples;
    }

    static double Median(std::vector<int> v) {
        std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
        return v[v.size() / 2];
    }

    // Light from the planet and moon: the mean above the sky level.
    static double Signal(const std::vector<int>& v) {
        return std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size()) - Median(v);
    }
};

// The moon sits right of and below the planet; flips must carry it to the
// mirrored quadrant. Only the regions beside the planet are compared.
struct FlipCase {
    bool horizontal, vertical;
    bool moonRight, moonLow;
};

void PrintTo(const FlipCase& c, std::ostream* os) {
    *os << "horizontal " << c.horizontal << " vertical " << c.vertical;
}

class SimFlipTest : public SimPictureTest, public ::testing::WithParamInterface<FlipCase> {};

TEST_P(SimFlipTest, MoonLandsInTheMirroredQuadrant) {
    const FlipCase c = GetParam();
    // At the start settings, where the moon is well exposed.
    const std::vector<int> v = Picture(752, 480, 100, 10, [&] {
        driver.HorizontalFlip(c.horizontal ? 1 : 0);
        driver.VerticalFlip(c.vertical ? 1 : 0);
    });
    double quadrant[2][2] = {}; // [right][low]
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 752; ++x) {
            if (std::abs(x - 376) < 110)
                continue;
            quadrant[x >= 376][y >= 240] += v[static_cast<std::size_t>(y) * 752 + x];
        }
    const double moon = quadrant[c.moonRight][c.moonLow];
    for (int right = 0; right < 2; ++right)
        for (int low = 0; low < 2; ++low)
            if (right != c.moonRight || low != c.moonLow) {
                EXPECT_GT(moon - quadrant[right][low], 4000.0) << right << low;
            }
}

INSTANTIATE_TEST_SUITE_P(Flips, SimFlipTest,
                         ::testing::Values(FlipCase{false, false, true, true},
                                           FlipCase{true, false, false, true},
                                           FlipCase{false, true, true, false},
                                           FlipCase{true, true, false, false}));

// Exposure, gain and the sensor functions scale the light as the hardware
// would; each case is compared with the same frame at 10 ms and gain 30.
struct BrightnessCase {
    const char* name;
    int exposureMs, gain;
    std::function<void(CMOSDLL32&)> adjust;
    double minRatio, maxRatio;
};

void PrintTo(const BrightnessCase& c, std::ostream* os) {
    *os << c.name;
}

class SimBrightnessTest : public SimPictureTest,
                          public ::testing::WithParamInterface<BrightnessCase> {};

TEST_P(SimBrightnessTest, ScalesTheLight) {
    const BrightnessCase& c = GetParam();
    const double base = Signal(Picture(400, 400, 10, 30));
    ASSERT_GT(base, 5.0);
    const double changed =
        Signal(Picture(400, 400, c.exposureMs, c.gain, [&] { c.adjust(driver); }));
    EXPECT_GE(changed / base, c.minRatio) << c.name;
    EXPECT_LE(changed / base, c.maxRatio) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Controls, SimBrightnessTest,
    ::testing::Values(
        BrightnessCase{"double exposure", 20, 30, [](CMOSDLL32&) {}, 1.8, 2.2},
        BrightnessCase{"gain 45", 10, 45, [](CMOSDLL32&) {}, 1.65, 2.1},
        BrightnessCase{"digital gain 2x", 10, 30, [](CMOSDLL32& d) { d.SetDigitalGain(248); }, 1.8,
                       2.2},
        BrightnessCase{"ADC reference 1.6 V", 10, 30, [](CMOSDLL32& d) { d.ADCRef(6); }, 0.55, 0.7},
        BrightnessCase{"companding", 10, 30, [](CMOSDLL32& d) { d.SetCompanding(1); }, 1.3, 4.0}),
    [](const auto& info) {
        std::string name = info.param.name;
        std::replace_if(
            name.begin(), name.end(), [](char ch) { return !std::isalnum(ch); }, '_');
        return name;
    });

TEST_F(SimPictureTest, AutoGainHoldsBrightnessAcrossExposures) {
    auto withAgc = [this](int ms) {
        return Signal(Picture(400, 400, ms, 30, [this] { driver.SetAGC(1); }));
    };
    const double ratio = withAgc(3) / withAgc(12);
    EXPECT_GT(ratio, 0.8);
    EXPECT_LT(ratio, 1.25);
}

// Without the sensor's correction every row carries its own offset: the row
// means of empty sky scatter far more than pixel noise alone allows.
TEST_F(SimPictureTest, RowNoiseShowsOnlyWithoutReduction) {
    auto rowScatter = [this](int off) {
        const std::vector<int> v = Picture(752, 480, 10, 30, [&] { driver.RowNoise(off); });
        std::vector<double> means;
        for (int y = 0; y < 120; ++y) // sky, above the planet
            means.push_back(std::accumulate(v.begin() + y * 752, v.begin() + (y + 1) * 752, 0.0) /
                            752.0);
        const double mean = std::accumulate(means.begin(), means.end(), 0.0) / means.size();
        double variance = 0.0;
        for (double m : means)
            variance += (m - mean) * (m - mean);
        return std::sqrt(variance / means.size());
    };
    const double reduced = rowScatter(0);
    const double stripes = rowScatter(1);
    EXPECT_GT(stripes, 5.0 * reduced);
    EXPECT_LT(stripes, 20.0) << "row stripes should stay faint";
}

TEST_F(SimPictureTest, SkyNoiseGrowsWithGain) {
    auto skyNoise = [this](int gain) {
        const std::vector<int> v = Picture(752, 480, 10, gain);
        const std::vector<int> sky(v.begin(), v.begin() + 100 * 752);
        const double mean = std::accumulate(sky.begin(), sky.end(), 0.0) / sky.size();
        double variance = 0.0;
        for (int s : sky)
            variance += (s - mean) * (s - mean);
        return std::sqrt(variance / sky.size());
    };
    EXPECT_GT(skyNoise(100), 4.0 * skyNoise(0));
}

// Colour sensors deliver an RGGB mosaic in every window and flip state: on
// the yellowish planet the red sites outshine the blue ones. A mono sensor
// shows no such pattern.
TEST_F(SimPictureTest, ColourModelsDeliverAnRggbMosaic) {
    struct Window {
        int width, height;
        bool flipped;
    };
    for (const char* model : {"qhy5v-color", "magzero-color", "magzero-mono"}) {
        SetKnob("ORBICAP_SIM_MODEL", model);
        const bool colour = std::string(model).find("color") != std::string::npos;
        for (const Window w :
             {Window{752, 480, false}, Window{376, 240, true}, Window{400, 400, false}}) {
            const std::vector<int> v = Picture(w.width, w.height, 10, 30, [&] {
                driver.HorizontalFlip(w.flipped);
                driver.VerticalFlip(w.flipped);
            });
            double site[4] = {}; // R, G on red rows, G on blue rows, B
            for (int y = w.height / 2 - 30; y < w.height / 2 + 30; ++y)
                for (int x = w.width / 2 - 30; x < w.width / 2 + 30; ++x)
                    site[(y & 1) * 2 + (x & 1)] += v[static_cast<std::size_t>(y) * w.width + x];
            SCOPED_TRACE(std::string(model) + " " + std::to_string(w.width));
            EXPECT_NEAR(site[1] / site[2], 1.0, 0.05);
            if (colour) {
                EXPECT_GT(site[0] / site[3], 1.2);
            } else {
                EXPECT_NEAR(site[0] / site[3], 1.0, 0.05);
            }
        }
    }
}

} // namespace
} // namespace orbicap::test

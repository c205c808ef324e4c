#include "SimDriverFixture.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace orbicap::test {
namespace {

constexpr int kWidth = 752;
constexpr int kHeight = 480;
// What the program sends before its first exposure.
constexpr int kStartExposureMs = 100;
constexpr int kStartGain = 10;

// Whole frames of each scene, judged like the histogram judges them: by the
// 8-bit value each sample shows as (10-bit samples lose their two low bits).
class SimSceneTest : public SimDriverTest {
protected:
    void SetUp() override {
        SimDriverTest::SetUp();
        SetKnob("ORBICAP_SIM_UNPACED", "1");
    }

    void Open(const char* scene, const char* model = "qhy5v") {
        if (scene)
            SetKnob("ORBICAP_SIM_SCENE", scene);
        SetKnob("ORBICAP_SIM_MODEL", model);
        ASSERT_EQ(driver.openUSB(0), 1);
        driver.SetDigitalGain(244);
        driver.SetCompanding(0);
    }

    // The next frame, as fractions of full scale, rows top to bottom.
    std::vector<double> Frame(int bits, int exposureMs, int gain) {
        Configure(kWidth, kHeight, bits, exposureMs, gain);
        // A new scene is drawn before its first frame: Capture() waits for
        // it, not for an exposure's length.
        const std::vector<std::uint8_t> frame = Capture();
        if (frame.empty()) // ends the test: every caller measures the frame
            throw std::runtime_error("the driver released no frame");
        const double fullScale = bits == 10 ? 1023.0 : 255.0;
        std::vector<double> v(frame.size() / (bits == 10 ? 2 : 1));
        for (std::size_t i = 0; i < v.size(); ++i)
            v[i] = Sample(frame, i) / fullScale;
        return v;
    }

    // Samples the histogram counts as saturated.
    static long Saturated(const std::vector<double>& v) {
        return std::count_if(v.begin(), v.end(), [](double s) { return s >= 1020.0 / 1023.0; });
    }

    // The level only the brightest thousandth of the frame reaches: the
    // planet's brightest zone, unmoved by a single noisy sample.
    static double Peak(std::vector<double> v) {
        const auto at = v.begin() + static_cast<long>(v.size() - v.size() / 1000);
        std::nth_element(v.begin(), at, v.end());
        return *at;
    }

    static double Median(std::vector<double> v) {
        std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
        return v[v.size() / 2];
    }

    static double At(const std::vector<double>& v, int x, int y) {
        return v[static_cast<std::size_t>(y) * kWidth + x];
    }
};

struct PlanetCase {
    const char* scene; // nullptr: the knob unset
    const char* model;
    int bits, exposureMs, gain;
    double minPeak, maxPeak;
};

void PrintTo(const PlanetCase& c, std::ostream* os) {
    *os << (c.scene ? c.scene : "(unset)") << " " << c.model << " " << c.bits << "-bit "
        << c.exposureMs << " ms gain " << c.gain;
}

class SimPlanetExposureTest : public SimSceneTest,
                              public ::testing::WithParamInterface<PlanetCase> {};

// A new user's first picture shows the planet well exposed, not a white disc,
// and the classic planetary setting of short exposure and more gain stays usable.
TEST_P(SimPlanetExposureTest, PeakIsWellExposedWithoutSaturation) {
    const PlanetCase c = GetParam();
    Open(c.scene, c.model);
    for (int frame = 0; frame < 3; ++frame) { // three different seeings
        const std::vector<double> v = Frame(c.bits, c.exposureMs, c.gain);
        EXPECT_GE(Peak(v), c.minPeak) << "frame " << frame;
        EXPECT_LE(Peak(v), c.maxPeak) << "frame " << frame;
        EXPECT_EQ(Saturated(v), 0) << "frame " << frame;
        EXPECT_LT(Median(v), 0.05) << "the sky is dark";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SimPlanetExposureTest,
    ::testing::Values(
        PlanetCase{nullptr, "qhy5v", 8, kStartExposureMs, kStartGain, 0.65, 0.85},
        PlanetCase{"planet", "qhy5v", 10, kStartExposureMs, kStartGain, 0.65, 0.85},
        PlanetCase{"planet", "qhy5v-color", 8, kStartExposureMs, kStartGain, 0.65, 0.85},
        PlanetCase{"no-such-scene", "qhy5v", 8, kStartExposureMs, kStartGain, 0.65, 0.85},
        PlanetCase{"planet", "qhy5v", 8, 10, 50, 0.35, 0.75},
        PlanetCase{"planet", "magzero-color", 10, 10, 50, 0.35, 0.75}));

// The lit span along the middle row: first and last column above level.
std::pair<int, int> LitSpan(const std::vector<double>& v, int row, double level) {
    int first = -1, last = -1;
    for (int x = 0; x < kWidth; ++x)
        if (v[static_cast<std::size_t>(row) * kWidth + x] > level) {
            if (first < 0)
                first = x;
            last = x;
        }
    return {first, last};
}

// The sun fills most of the frame and saturates its centre at the start
// settings, while the darkened limb stays below full scale.
TEST_F(SimSceneTest, SunSaturatesItsCentreAndDarkensToTheLimb) {
    for (const char* model : {"qhy5v", "qhy5v-color"}) {
        SCOPED_TRACE(model);
        Open("sun", model);
        const std::vector<double> v = Frame(8, kStartExposureMs, kStartGain);
        const auto [left, right] = LitSpan(v, kHeight / 2, 0.2);
        ASSERT_GE(left, 0);
        const int diameter = right - left + 1;
        EXPECT_GT(diameter, 0.8 * kHeight) << "the disc fills most of the frame";
        EXPECT_LT(diameter, kHeight) << "the whole disc fits the frame";

        std::vector<double> centre, limb;
        const int cx = (left + right) / 2;
        for (int y = kHeight / 2 - 6; y <= kHeight / 2 + 6; ++y)
            for (int x = cx - 6; x <= cx + 6; ++x)
                centre.push_back(At(v, x, y));
        // Just inside the left and right edges, on a few rows about the middle.
        for (int y = kHeight / 2 - 6; y <= kHeight / 2 + 6; ++y)
            for (int d = diameter / 100 + 2; d < diameter / 40 + 3; ++d) {
                limb.push_back(At(v, left + d, y));
                limb.push_back(At(v, right - d, y));
            }
        EXPECT_EQ(Median(centre), 1.0);
        EXPECT_LT(Median(limb), 0.85);
        EXPECT_GT(Median(limb), 0.2);
    }
}

// The star's lit pixels, their centroid and the light at the centroid.
struct StarImage {
    long litPixels = 0;
    double ringLevel = 0.0;
    double centreLevel = 0.0;
};

StarImage MeasureStar(const std::vector<double>& v) {
    const double sky = [&] {
        std::vector<double> copy = v;
        std::nth_element(copy.begin(), copy.begin() + static_cast<long>(copy.size() / 2),
                         copy.end());
        return copy[copy.size() / 2];
    }();
    const double peak = *std::max_element(v.begin(), v.end());
    const double level = sky + 0.25 * (peak - sky);
    StarImage star;
    double sx = 0, sy = 0;
    std::vector<double> lit;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double s = v[static_cast<std::size_t>(y) * kWidth + x];
            if (s > level) {
                ++star.litPixels;
                sx += x;
                sy += y;
                lit.push_back(s);
            }
        }
    if (lit.empty())
        return star;
    std::nth_element(lit.begin(), lit.begin() + static_cast<long>(lit.size() / 2), lit.end());
    star.ringLevel = lit[lit.size() / 2];
    const int cx = static_cast<int>(sx / star.litPixels),
              cy = static_cast<int>(sy / star.litPixels);
    double centre = 0.0;
    for (int y = cy - 1; y <= cy + 1; ++y)
        for (int x = cx - 1; x <= cx + 1; ++x)
            centre += v[static_cast<std::size_t>(y) * kWidth + x];
    star.centreLevel = centre / 9.0;
    return star;
}

// The star starts well out of focus, a ring with a dark centre, and comes to
// a sharp point as the camera's clock runs on; the frames between change by
// little, as a drifting focus does.
TEST_F(SimSceneTest, StarDriftsFromARingToAPoint) {
    for (const char* model : {"qhy5v", "magzero-color"}) {
        SCOPED_TRACE(model);
        Open("star", model);
        const StarImage ring = MeasureStar(Frame(10, kStartExposureMs, kStartGain));
        const StarImage next = MeasureStar(Frame(10, kStartExposureMs, kStartGain));
        const double radius = std::sqrt(ring.litPixels / 3.14159);
        EXPECT_GT(radius, 25.0);
        EXPECT_LT(radius, 60.0);
        EXPECT_LT(ring.centreLevel, 0.2 * ring.ringLevel) << "the central shadow";
        EXPECT_LT(ring.ringLevel, 0.9) << "the ring is not blown out at the start settings";
        EXPECT_NEAR(next.litPixels, ring.litPixels, 0.1 * ring.litPixels);

        // Half the drift later: twenty seconds of exposure go by at once.
        for (int i = 0; i < 2; ++i)
            Frame(10, 10000, kStartGain);
        const StarImage point = MeasureStar(Frame(10, 1, 0));
        EXPECT_LT(point.litPixels * 20, ring.litPixels);
        EXPECT_GT(point.centreLevel, 0.5 * point.ringLevel)
            << "a focused star is brightest in its middle";
    }
}

// The frame loop redraws only the star's surroundings when the focus moves
// on; that must give the very frame a full redraw gives. The last frame is
// read once after frames of its own depth (redrawn in part) and once after
// frames of the other depth (drawn whole).
TEST_F(SimSceneTest, StarRedrawnInPartEqualsTheWholeRedraw) {
    struct Window {
        int width, height;
        bool flipped;
    };
    for (const Window w : {Window{752, 480, false}, Window{376, 240, true}}) {
        SCOPED_TRACE(w.width);
        auto lastFrame = [&](int earlierBits) {
            Open("star");
            driver.HorizontalFlip(w.flipped);
            driver.VerticalFlip(w.flipped);
            // A quarter second each: every frame of the loop at its own focus step.
            for (int i = 0; i < 8; ++i) {
                Configure(w.width, w.height, earlierBits, 250, kStartGain);
                EXPECT_FALSE(Capture().empty());
            }
            Configure(w.width, w.height, 8, 250, kStartGain);
            return Capture();
        };
        const std::vector<std::uint8_t> inPart = lastFrame(8);
        ASSERT_FALSE(inPart.empty());
        EXPECT_EQ(inPart, lastFrame(10));
    }
}

} // namespace
} // namespace orbicap::test

#include "pipeline/LevelSliders.h"
#include "pipeline/Palette.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <vector>

namespace orbicap {
namespace {

TEST(BuildPalette, DefaultLevelsGiveTheIdentityRamp) {
    EXPECT_EQ(BuildPalette(0, 255, 255, 255), IdentityPalette());
}

TEST(BuildPalette, NarrowLevelsRoundHalvesToEven) {
    const Palette p = BuildPalette(10, 20, 255, 255);
    const std::vector<int> expected{0, 26, 51, 76, 102, 128, 153, 178, 204, 230, 255, 255};
    for (std::size_t k = 0; k < expected.size(); ++k)
        EXPECT_EQ(p[10 + k], expected[k]) << "index " << 10 + k;
    for (int i = 0; i <= 10; ++i)
        EXPECT_EQ(p[static_cast<std::size_t>(i)], 0) << i;
    for (int i = 20; i < 256; ++i)
        EXPECT_EQ(p[static_cast<std::size_t>(i)], 255) << i;
}

TEST(BuildPalette, IndependentOfTheCallersRoundingMode) {
    const int saved = std::fegetround();
    std::fesetround(FE_UPWARD);
    const Palette p = BuildPalette(10, 20, 255, 255);
    std::fesetround(saved);
    EXPECT_EQ(p[13], 76);
    EXPECT_EQ(p[17], 178);
}

TEST(BuildPalette, EqualLevelsActAsOneStepApart) {
    const Palette p = BuildPalette(100, 100, 255, 255);
    EXPECT_EQ(p[100], 0);
    EXPECT_EQ(p[101], 255);
    EXPECT_EQ(p[255], 255);
}

struct SolarCase {
    int black, white, limit, shade;
    int index, grey;
};

class SolarShading : public ::testing::TestWithParam<SolarCase> {};

TEST_P(SolarShading, ValuesAtOrAboveTheLimitTakeTheShade) {
    const SolarCase c = GetParam();
    EXPECT_EQ(BuildPalette(c.black, c.white, c.limit, c.shade)[static_cast<std::size_t>(c.index)],
              c.grey);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SolarShading,
    ::testing::Values(SolarCase{0, 255, 200, 64, 199, 199}, SolarCase{0, 255, 200, 64, 200, 64},
                      SolarCase{0, 255, 200, 64, 255, 64},
                      // the shade wins over the black level too
                      SolarCase{50, 255, 0, 77, 3, 77},
                      // limit 255 with shade 0 blacks out only 255
                      SolarCase{0, 255, 255, 0, 254, 254}, SolarCase{0, 255, 255, 0, 255, 0},
                      SolarCase{10, 20, 15, 33, 14, 102}, SolarCase{10, 20, 15, 33, 21, 33}));

TEST(LevelSliders, BlackStopsOneBelowWhite) {
    EXPECT_EQ(SettleBlackSlider(200, 150), 149);
    EXPECT_EQ(SettleBlackSlider(150, 150), 149);
    EXPECT_EQ(SettleBlackSlider(100, 150), 100);
    EXPECT_EQ(SettleBlackSlider(255, 255), 254);
    // white at the bottom: black cannot walk below the range
    EXPECT_EQ(SettleBlackSlider(0, 0), 0);
}

TEST(LevelSliders, WhiteStopsOneAboveBlack) {
    EXPECT_EQ(SettleWhiteSlider(0, 0), 1);
    EXPECT_EQ(SettleWhiteSlider(10, 40), 41);
    EXPECT_EQ(SettleWhiteSlider(200, 40), 200);
    EXPECT_EQ(SettleWhiteSlider(255, 255), 255);
}

} // namespace
} // namespace orbicap

#include "ScenePainters.h"

#include "Random.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace orbicap::sim {

namespace {

constexpr float kSky = 0.004f;
// Through a solar filter the disc's centre is still nearly twice as bright as
// the planet, so at planetary settings it saturates and the user has to turn
// exposure or gain down, as at the telescope.
constexpr float kCentreRadiance = 1.8f;
constexpr float kRadius = 0.46f * kSensorHeight;
constexpr Rgb kFilterTint{1.0f, 0.9f, 0.75f};
// The granules are a few pixels across at this scale.
constexpr float kGranuleSize = 3.0f;

struct Spot {
    float x, y, umbra, penumbra;
};

struct Layout {
    float cx, cy;
    std::vector<Spot> spots;
    std::uint64_t grainSeed;
};

Layout LayoutFor(std::uint64_t seed) {
    Random random(MixSeed(seed, 0x5017));
    Layout layout{};
    layout.cx = kSensorWidth / 2.0f + (random.Uniform() - 0.5f) * 6.0f;
    layout.cy = kSensorHeight / 2.0f + (random.Uniform() - 0.5f) * 6.0f;
    const int spots = 3 + static_cast<int>(random.Next() % 3);
    for (int i = 0; i < spots; ++i) {
        // Spots keep to the belts either side of the equator, well inside the limb.
        const float angle = (random.Uniform() - 0.5f) * 2.4f;
        const float latitude = (i % 2 ? 1.0f : -1.0f) * (0.15f + 0.25f * random.Uniform());
        const float umbra = 2.5f + 5.0f * random.Uniform();
        layout.spots.push_back({layout.cx + kRadius * 0.7f * std::sin(angle),
                                layout.cy + kRadius * latitude, umbra,
                                umbra * (2.0f + 0.5f * random.Uniform())});
    }
    layout.grainSeed = random.Next();
    return layout;
}

// Bilinear value noise: cheap cells that the seeing blur turns into granules.
float Granulation(std::uint64_t seed, float x, float y) {
    const float gx = x / kGranuleSize, gy = y / kGranuleSize;
    const float fx = gx - std::floor(gx), fy = gy - std::floor(gy);
    const auto ix = static_cast<std::int64_t>(std::floor(gx));
    const auto iy = static_cast<std::int64_t>(std::floor(gy));
    auto cell = [seed](std::int64_t i, std::int64_t j) {
        Random r(MixSeed(seed, static_cast<std::uint64_t>(i * 7919 + j * 104729)));
        return r.Uniform() - 0.5f;
    };
    const float top = cell(ix, iy) + (cell(ix + 1, iy) - cell(ix, iy)) * fx;
    const float bottom = cell(ix, iy + 1) + (cell(ix + 1, iy + 1) - cell(ix, iy + 1)) * fx;
    return top + (bottom - top) * fy;
}

float SpotDimming(const Layout& layout, float x, float y) {
    float dimming = 1.0f;
    for (const Spot& spot : layout.spots) {
        const float d = std::hypot(x - spot.x, y - spot.y);
        if (d < spot.umbra)
            dimming = std::min(dimming, 0.2f);
        else if (d < spot.penumbra)
            dimming = std::min(dimming, 0.7f);
    }
    return dimming;
}

Rgb Radiance(const Layout& layout, float x, float y) {
    const float r = std::hypot(x - layout.cx, y - layout.cy) / kRadius;
    if (r >= 1.0f)
        return {kSky, kSky, kSky};
    // Quadratic limb darkening as in visible light: the edge keeps about a
    // quarter of the centre's brightness.
    const float m = 1.0f - std::sqrt(1.0f - r * r);
    const float limb = 1.0f - 0.55f * m - 0.2f * m * m;
    const float grain = 1.0f + 0.06f * Granulation(layout.grainSeed, x, y);
    const float value = kCentreRadiance * limb * grain * SpotDimming(layout, x, y);
    return {value * kFilterTint.r + kSky, value * kFilterTint.g + kSky,
            value * kFilterTint.b + kSky};
}

} // namespace

SharpPicture PaintSun(std::uint64_t seed) {
    const Layout layout = LayoutFor(seed);
    SharpPicture picture(kSky);
    picture.Paint(BoxAround(layout.cx, layout.cy, kRadius, kRadius, 2), 2,
                  [&layout](float x, float y) { return Radiance(layout, x, y); });
    return picture;
}

} // namespace orbicap::sim

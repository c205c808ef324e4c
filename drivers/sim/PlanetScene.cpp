#include "ScenePainters.h"

#include "Random.h"

#include <algorithm>
#include <cmath>

namespace orbicap::sim {

namespace {

float Band(float v, float centre, float width) {
    const float d = (v - centre) / width;
    return std::exp(-d * d);
}

// Geometry of the scene, varied a little by the seed while the planet stays
// inside every read-out window.
struct Layout {
    float planetX, planetY, radiusX, radiusY;
    float moonX, moonY, moonRadius;
    float festoonPhase;
    float spotU, spotV;
};

Layout LayoutFor(std::uint64_t seed) {
    Random random(MixSeed(seed, 0x5CE2E));
    Layout layout{};
    layout.planetX = kSensorWidth / 2.0f + (random.Uniform() - 0.5f) * 6.0f;
    layout.planetY = kSensorHeight / 2.0f + (random.Uniform() - 0.5f) * 6.0f;
    layout.radiusX = 72.0f;
    layout.radiusY = 67.0f; // a fast-spinning gas giant is visibly flattened
    // Inside the 376 x 240 window (x up to 188 right of centre) at any seed.
    layout.moonX = layout.planetX + 120.0f + random.Uniform() * 40.0f;
    // Always right of and below the planet's centre, so that the picture has
    // an unmistakable orientation.
    layout.moonY = layout.planetY + 20.0f + random.Uniform() * 30.0f;
    layout.moonRadius = 3.5f;
    layout.festoonPhase = random.Uniform() * 6.2831853f;
    layout.spotU = -0.5f + random.Uniform();
    layout.spotV = 0.3f;
    return layout;
}

constexpr float kSky = 0.004f;

Rgb PlanetColour(const Layout& layout, float u, float v) {
    const Rgb zone{1.0f, 0.95f, 0.84f};
    const Rgb belt{0.78f, 0.58f, 0.42f};
    const Rgb spot{0.95f, 0.62f, 0.46f};
    float belts = 0.85f * Band(v, 0.20f, 0.07f) + 0.75f * Band(v, -0.22f, 0.06f) +
                  0.45f * Band(v, 0.50f, 0.05f) + 0.35f * Band(v, -0.55f, 0.05f);
    belts += 0.12f * std::sin(u * 17.0f + layout.festoonPhase) * Band(v, 0.05f, 0.12f);
    belts = std::clamp(belts, 0.0f, 1.0f);
    Rgb colour = Scale(Mix(zone, belt, belts), 1.0f - 0.35f * belts);
    const float du = (u - layout.spotU) / 0.12f;
    const float dv = (v - layout.spotV) / 0.06f;
    colour = Mix(colour, spot, std::exp(-(du * du + dv * dv)));
    const float polar = std::clamp((std::fabs(v) - 0.7f) / 0.3f, 0.0f, 1.0f);
    return Scale(colour, 1.0f - 0.3f * polar);
}

Rgb Radiance(const Layout& layout, float x, float y) {
    const float u = (x - layout.planetX) / layout.radiusX;
    const float v = (y - layout.planetY) / layout.radiusY;
    const float r2 = u * u + v * v;
    if (r2 < 1.0f) {
        const float mu = std::sqrt(1.0f - r2);
        const float limb = 0.35f + 0.65f * std::sqrt(mu);
        const Rgb c = Scale(PlanetColour(layout, u, v), limb);
        return {c.r + kSky, c.g + kSky, c.b + kSky};
    }
    const float mx = x - layout.moonX;
    const float my = y - layout.moonY;
    if (mx * mx + my * my < layout.moonRadius * layout.moonRadius)
        return {0.85f, 0.83f, 0.78f};
    return {kSky, kSky, kSky};
}

} // namespace

SharpPicture PaintPlanet(std::uint64_t seed) {
    const Layout layout = LayoutFor(seed);
    SharpPicture picture(kSky);
    auto radiance = [&layout](float x, float y) { return Radiance(layout, x, y); };
    picture.Paint(BoxAround(layout.planetX, layout.planetY, layout.radiusX, layout.radiusY, 2), 2,
                  radiance);
    picture.Paint(BoxAround(layout.moonX, layout.moonY, layout.moonRadius, layout.moonRadius, 2), 2,
                  radiance);
    return picture;
}

} // namespace orbicap::sim

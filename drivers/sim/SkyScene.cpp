#include "SkyScene.h"

#include "Random.h"

#include <algorithm>
#include <cmath>

namespace orbicap::sim {

namespace {

struct Rgb {
    float r, g, b;
};

Rgb Mix(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(Rgb c, float k) {
    return {c.r * k, c.g * k, c.b * k};
}

float Band(float v, float centre, float width) {
    const float d = (v - centre) / width;
    return std::exp(-d * d);
}

// Geometry of the scene, varied a little by the seed so that different seeds
// give recognisably different pictures while the planet stays inside every
// read-out window.
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

// Relative response of the sensor behind the red, green and blue filters.
constexpr Rgb kFilterResponse{1.0f, 0.95f, 0.85f};

struct Box {
    int x0, y0, x1, y1; // inclusive
};

Box BoxAround(float cx, float cy, float rx, float ry, int margin) {
    return {std::max(0, static_cast<int>(cx - rx) - margin),
            std::max(0, static_cast<int>(cy - ry) - margin),
            std::min(kSensorWidth - 1, static_cast<int>(cx + rx) + margin),
            std::min(kSensorHeight - 1, static_cast<int>(cy + ry) + margin)};
}

// Outside the boxes the scene is uniform sky, which blurring leaves as it is,
// so only the boxes (grown by the kernel radius) are worth the work.
void GaussianBlur(const std::vector<float>& source, std::vector<float>& target, float sigma,
                  const std::vector<Box>& boxes) {
    const int radius = static_cast<int>(std::ceil(3.0f * sigma));
    std::vector<float> kernel(static_cast<std::size_t>(2 * radius + 1));
    float sum = 0.0f;
    for (int i = -radius; i <= radius; ++i) {
        kernel[static_cast<std::size_t>(i + radius)] = std::exp(-0.5f * i * i / (sigma * sigma));
        sum += kernel[static_cast<std::size_t>(i + radius)];
    }
    for (float& k : kernel)
        k /= sum;
    const int w = kSensorWidth;
    const int h = kSensorHeight;
    auto at = [w](int x, int y) { return static_cast<std::size_t>(y) * w + x; };
    target = source;
    std::vector<float> rows(source.size());
    for (const Box& box : boxes) {
        const int x0 = std::max(0, box.x0 - radius), x1 = std::min(w - 1, box.x1 + radius);
        const int y0 = std::max(0, box.y0 - radius), y1 = std::min(h - 1, box.y1 + radius);
        for (int y = std::max(0, y0 - radius); y <= std::min(h - 1, y1 + radius); ++y)
            for (int x = x0; x <= x1; ++x) {
                float acc = 0.0f;
                for (int i = -radius; i <= radius; ++i)
                    acc += kernel[static_cast<std::size_t>(i + radius)] *
                           source[at(std::clamp(x + i, 0, w - 1), y)];
                rows[at(x, y)] = acc;
            }
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                float acc = 0.0f;
                for (int i = -radius; i <= radius; ++i)
                    acc += kernel[static_cast<std::size_t>(i + radius)] *
                           rows[at(x, std::clamp(y + i, 0, h - 1))];
                target[at(x, y)] = acc;
            }
    }
}

} // namespace

SkyScene::SkyScene(bool colour, std::uint64_t seed) : colour_(colour), seed_(seed) {
    const Layout layout = LayoutFor(seed);
    const std::size_t pixels = static_cast<std::size_t>(kSensorWidth) * kSensorHeight;
    std::array<std::vector<float>, 3> sharp;
    for (auto& plane : sharp)
        plane.assign(pixels, kSky);

    // Only the neighbourhoods of the planet and the moon need the 2 x 2
    // supersampled evaluation; the rest of the frame is plain sky.
    const std::vector<Box> boxes = {
        BoxAround(layout.planetX, layout.planetY, layout.radiusX, layout.radiusY, 2),
        BoxAround(layout.moonX, layout.moonY, layout.moonRadius, layout.moonRadius, 2)};
    for (const Box& box : boxes)
        for (int y = box.y0; y <= box.y1; ++y)
            for (int x = box.x0; x <= box.x1; ++x) {
                Rgb sum{0, 0, 0};
                for (int sy = 0; sy < 2; ++sy)
                    for (int sx = 0; sx < 2; ++sx) {
                        const Rgb c =
                            Radiance(layout, x + 0.25f + 0.5f * sx, y + 0.25f + 0.5f * sy);
                        sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                    }
                const std::size_t i = static_cast<std::size_t>(y) * kSensorWidth + x;
                sharp[0][i] = 0.25f * sum.r;
                sharp[1][i] = 0.25f * sum.g;
                sharp[2][i] = 0.25f * sum.b;
            }

    std::vector<std::vector<float>> channels;
    if (colour) {
        const float response[3] = {kFilterResponse.r, kFilterResponse.g, kFilterResponse.b};
        for (int c = 0; c < 3; ++c) {
            for (float& value : sharp[static_cast<std::size_t>(c)])
                value *= response[c];
            channels.push_back(std::move(sharp[static_cast<std::size_t>(c)]));
        }
    } else {
        std::vector<float> mono(pixels);
        for (std::size_t i = 0; i < pixels; ++i)
            mono[i] = 0.30f * sharp[0][i] + 0.59f * sharp[1][i] + 0.11f * sharp[2][i];
        channels.push_back(std::move(mono));
    }

    float peak = 0.0f;
    for (const auto& plane : channels)
        peak = std::max(peak, *std::max_element(plane.begin(), plane.end()));
    peak_ = std::max(peak, 0.01f);

    static const float kSeeing[kBlurLevels] = {0.6f, 1.1f, 1.8f};
    planes_.resize(static_cast<std::size_t>(kBlurLevels) * channels.size());
    for (int level = 0; level < kBlurLevels; ++level)
        for (std::size_t c = 0; c < channels.size(); ++c)
            GaussianBlur(channels[c],
                         planes_[static_cast<std::size_t>(level) * channels.size() + c],
                         kSeeing[level], boxes);
}

} // namespace orbicap::sim

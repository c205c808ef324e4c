#include "ScenePainters.h"

#include "Random.h"
#include "StarFocus.h"

#include <algorithm>
#include <cmath>

namespace orbicap::sim {

namespace {

constexpr float kSky = 0.004f;
// The star's whole light in radiance x pixels: spread over the widest ring it
// reads about half of full scale at the program's start settings; at focus
// it needs the shortest exposures, as a bright star does.
constexpr float kStarFlux = 2300.0f;
// The secondary mirror's shadow, as a fraction of the ring's radius.
constexpr float kObstruction = 0.35f;
constexpr Rgb kStarColour{1.0f, 0.96f, 0.9f}; // a sunlike star

// Light of the ring at distance d from its centre, before normalising: flat,
// with the slight brightening at the rim that diffraction gives a defocused
// image; the rim edges are softened over half a pixel so that the ring is
// equally round at every radius.
float RingProfile(float d, float radius) {
    auto edge = [](float t) { return std::clamp(t + 0.5f, 0.0f, 1.0f); };
    const float inside = edge(radius - d) * edge(d - kObstruction * radius);
    const float rim = d / radius;
    return inside * (1.0f + 0.35f * rim * rim * rim * rim);
}

} // namespace

int FocusStepAt(std::uint64_t elapsedMs) {
    return static_cast<int>((elapsedMs / kFocusStepMs) % kFocusSteps);
}

float StarRadiusAt(int step) {
    const float phase = 6.2831853f * static_cast<float>(step) / static_cast<float>(kFocusSteps);
    return kFocusedRadius + (kDefocusedRadius - kFocusedRadius) * 0.5f * (1.0f + std::cos(phase));
}

void RepaintStar(SharpPicture& picture, std::uint64_t seed, int step) {
    Random random(MixSeed(seed, 0x57A2));
    const float cx = kSensorWidth / 2.0f + (random.Uniform() - 0.5f) * 6.0f;
    const float cy = kSensorHeight / 2.0f + (random.Uniform() - 0.5f) * 6.0f;
    const float radius = StarRadiusAt(step);
    picture.drift = BoxAround(cx, cy, kDefocusedRadius, kDefocusedRadius, 3);
    const Box box = BoxAround(cx, cy, radius, radius, 3);
    for (auto& plane : picture.rgb)
        for (int y = picture.drift.y0; y <= picture.drift.y1; ++y)
            std::fill_n(plane.begin() + static_cast<long>(y) * kSensorWidth + picture.drift.x0,
                        picture.drift.x1 - picture.drift.x0 + 1, kSky);
    // A ring a pixel or two across needs fine sampling to keep its light.
    const int samples = radius < 8.0f ? 8 : 2;
    picture.Paint(box, samples, [&](float x, float y) {
        const float value = RingProfile(std::hypot(x - cx, y - cy), radius);
        return Rgb{value, value, value};
    });
    picture.boxes = {picture.drift};

    // Scale the ring to the star's light whatever its size, then lay it on the sky.
    double total = 0.0;
    for (int y = box.y0; y <= box.y1; ++y)
        for (int x = box.x0; x <= box.x1; ++x)
            total += picture.rgb[0][static_cast<std::size_t>(y) * kSensorWidth + x];
    const float scale = total > 0.0 ? kStarFlux / static_cast<float>(total) : 0.0f;
    const float colour[3] = {kStarColour.r, kStarColour.g, kStarColour.b};
    for (int c = 0; c < 3; ++c)
        for (int y = box.y0; y <= box.y1; ++y)
            for (int x = box.x0; x <= box.x1; ++x) {
                float& value = picture.rgb[static_cast<std::size_t>(c)]
                                          [static_cast<std::size_t>(y) * kSensorWidth + x];
                value = value * scale * colour[c] + kSky;
            }
}

SharpPicture PaintStar(std::uint64_t seed, int step) {
    SharpPicture picture(kSky);
    RepaintStar(picture, seed, step);
    return picture;
}

} // namespace orbicap::sim

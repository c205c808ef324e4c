#include "SkyScene.h"

#include "ScenePainters.h"

#include <algorithm>
#include <cmath>

namespace orbicap::sim {

namespace {

// Relative response of the sensor behind the red, green and blue filters.
constexpr Rgb kFilterResponse{1.0f, 0.95f, 0.85f};

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

SharpPicture PaintScene(SceneKind kind, std::uint64_t seed, int step) {
    switch (kind) {
    case SceneKind::Star:
        return PaintStar(seed, step);
    case SceneKind::Sun:
        return PaintSun(seed);
    case SceneKind::Planet:
        break;
    }
    return PaintPlanet(seed);
}

} // namespace

SkyScene::SkyScene(SceneKind kind, bool colour, std::uint64_t seed, int step)
    : kind_(kind), colour_(colour), seed_(seed), step_(step) {
    SharpPicture picture = PaintScene(kind, seed, step);
    auto& sharp = picture.rgb;
    const std::vector<Box>& boxes = picture.boxes;
    const std::size_t pixels = static_cast<std::size_t>(kSensorWidth) * kSensorHeight;

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

#include "SkyScene.h"

#include "ScenePainters.h"

#include <algorithm>
#include <cmath>

namespace orbicap::sim {

namespace {

// Relative response of the sensor behind the red, green and blue filters.
constexpr Rgb kFilterResponse{1.0f, 0.95f, 0.85f};
constexpr float kSeeing[SkyScene::kBlurLevels] = {0.6f, 1.1f, 1.8f};
constexpr std::size_t kPixels = static_cast<std::size_t>(kSensorWidth) * kSensorHeight;

int KernelRadius(float sigma) {
    return static_cast<int>(std::ceil(3.0f * sigma));
}

Box Grown(const Box& box, int by) {
    return {std::max(0, box.x0 - by), std::max(0, box.y0 - by),
            std::min(kSensorWidth - 1, box.x1 + by), std::min(kSensorHeight - 1, box.y1 + by)};
}

// Outside the boxes the scene is uniform sky, which blurring leaves as it is,
// so only the boxes (grown by the kernel radius) are worth the work; target
// must already hold the sky there.
void GaussianBlur(const std::vector<float>& source, std::vector<float>& target, float sigma,
                  const std::vector<Box>& boxes) {
    const int radius = KernelRadius(sigma);
    std::vector<float> kernel(static_cast<std::size_t>(2 * radius + 1));
    float sum = 0.0f;
    for (int i = -radius; i <= radius; ++i) {
        kernel[static_cast<std::size_t>(i + radius)] = std::exp(-0.5f * i * i / (sigma * sigma));
        sum += kernel[static_cast<std::size_t>(i + radius)];
    }
    for (float& k : kernel)
        k /= sum;
    const int w = kSensorWidth;
    auto at = [w](int x, int y) { return static_cast<std::size_t>(y) * w + x; };
    std::vector<float> rows;
    for (const Box& box : boxes) {
        const Box out = Grown(box, radius);
        const Box in = Grown(out, radius); // rows the vertical pass reads
        const int width = out.x1 - out.x0 + 1;
        rows.assign(static_cast<std::size_t>(width) * (in.y1 - in.y0 + 1), 0.0f);
        auto row = [&](int x, int y) -> float& {
            return rows[static_cast<std::size_t>(y - in.y0) * width + (x - out.x0)];
        };
        for (int y = in.y0; y <= in.y1; ++y)
            for (int x = out.x0; x <= out.x1; ++x) {
                float acc = 0.0f;
                for (int i = -radius; i <= radius; ++i)
                    acc += kernel[static_cast<std::size_t>(i + radius)] *
                           source[at(std::clamp(x + i, 0, w - 1), y)];
                row(x, y) = acc;
            }
        for (int y = out.y0; y <= out.y1; ++y)
            for (int x = out.x0; x <= out.x1; ++x) {
                float acc = 0.0f;
                for (int i = -radius; i <= radius; ++i)
                    acc += kernel[static_cast<std::size_t>(i + radius)] *
                           row(x, std::clamp(y + i, in.y0, in.y1));
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

// Only the star drifts; the other scenes have nothing to repaint.
void RepaintDrift(SceneKind kind, SharpPicture& picture, std::uint64_t seed, int step) {
    if (kind == SceneKind::Star)
        RepaintStar(picture, seed, step);
}

} // namespace

SkyScene::SkyScene(SceneKind kind, bool colour, std::uint64_t seed, int step)
    : kind_(kind), colour_(colour), seed_(seed), step_(step), sharp_(PaintScene(kind, seed, step)) {
    channels_.assign(static_cast<std::size_t>(Channels()), std::vector<float>(kPixels));
    TakeChannels({0, 0, kSensorWidth - 1, kSensorHeight - 1});
    FindPeak();
    planes_.resize(static_cast<std::size_t>(kBlurLevels) * channels_.size());
    // Every plane starts as the sharp picture, which the blur leaves alone
    // where it is plain sky.
    for (int level = 0; level < kBlurLevels; ++level)
        for (std::size_t c = 0; c < channels_.size(); ++c)
            planes_[static_cast<std::size_t>(level) * channels_.size() + c] = channels_[c];
    Blur(sharp_.boxes);

    if (sharp_.drift.x1 >= sharp_.drift.x0) {
        // The blur spreads the drifting part by up to its widest kernel.
        drift_ = Grown(sharp_.drift, KernelRadius(kSeeing[kBlurLevels - 1]));
    } else {
        // Nothing will be repainted: no need to keep the sharp picture.
        sharp_ = SharpPicture{};
        channels_.clear();
    }
}

void SkyScene::MoveTo(int step) {
    if (drift_.x1 < drift_.x0 || step == step_)
        return;
    step_ = step;
    RepaintDrift(kind_, sharp_, seed_, step);
    TakeChannels(sharp_.drift);
    FindPeak();
    Blur({sharp_.drift});
}

void SkyScene::TakeChannels(const Box& box) {
    for (int y = box.y0; y <= box.y1; ++y)
        for (int x = box.x0; x <= box.x1; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * kSensorWidth + x;
            const float r = sharp_.rgb[0][i], g = sharp_.rgb[1][i], b = sharp_.rgb[2][i];
            if (colour_) {
                channels_[0][i] = r * kFilterResponse.r;
                channels_[1][i] = g * kFilterResponse.g;
                channels_[2][i] = b * kFilterResponse.b;
            } else {
                channels_[0][i] = 0.30f * r + 0.59f * g + 0.11f * b;
            }
        }
}

void SkyScene::Blur(const std::vector<Box>& boxes) {
    for (int level = 0; level < kBlurLevels; ++level)
        for (std::size_t c = 0; c < channels_.size(); ++c)
            GaussianBlur(channels_[c],
                         planes_[static_cast<std::size_t>(level) * channels_.size() + c],
                         kSeeing[level], boxes);
}

void SkyScene::FindPeak() {
    float peak = 0.0f;
    for (const auto& plane : channels_)
        peak = std::max(peak, *std::max_element(plane.begin(), plane.end()));
    peak_ = std::max(peak, 0.01f);
}

} // namespace orbicap::sim

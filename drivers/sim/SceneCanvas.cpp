#include "SceneCanvas.h"

#include <algorithm>

namespace orbicap::sim {

Box BoxAround(float cx, float cy, float rx, float ry, int margin) {
    return {std::max(0, static_cast<int>(cx - rx) - margin),
            std::max(0, static_cast<int>(cy - ry) - margin),
            std::min(kSensorWidth - 1, static_cast<int>(cx + rx) + margin),
            std::min(kSensorHeight - 1, static_cast<int>(cy + ry) + margin)};
}

SharpPicture::SharpPicture(float sky) {
    for (auto& plane : rgb)
        plane.assign(static_cast<std::size_t>(kSensorWidth) * kSensorHeight, sky);
}

void SharpPicture::Paint(const Box& box, int samples,
                         const std::function<Rgb(float x, float y)>& radiance) {
    const float step = 1.0f / static_cast<float>(samples);
    const float weight = step * step;
    for (int y = box.y0; y <= box.y1; ++y)
        for (int x = box.x0; x <= box.x1; ++x) {
            Rgb sum{0, 0, 0};
            for (int sy = 0; sy < samples; ++sy)
                for (int sx = 0; sx < samples; ++sx) {
                    const Rgb c = radiance(x + (sx + 0.5f) * step, y + (sy + 0.5f) * step);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                }
            const std::size_t i = static_cast<std::size_t>(y) * kSensorWidth + x;
            rgb[0][i] = weight * sum.r;
            rgb[1][i] = weight * sum.g;
            rgb[2][i] = weight * sum.b;
        }
    boxes.push_back(box);
}

} // namespace orbicap::sim

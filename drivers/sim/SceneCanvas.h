#pragma once

#include "CameraSettings.h"

#include <array>
#include <functional>
#include <vector>

namespace orbicap::sim {

struct Rgb {
    float r, g, b;
};

inline Rgb Mix(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

inline Rgb Scale(Rgb c, float k) {
    return {c.r * k, c.g * k, c.b * k};
}

struct Box {
    int x0, y0, x1, y1; // inclusive
};

// The box around an ellipse centred on (cx, cy), grown by margin and cut to the sensor.
Box BoxAround(float cx, float cy, float rx, float ry, int margin);

// The sharp picture of a scene in radiance, before the sensor's filters and
// the seeing: red, green and blue planes of kSensorWidth x kSensorHeight,
// rows top to bottom. Outside the boxes it is uniform sky, which lets the
// blur skip all of that.
struct SharpPicture {
    std::array<std::vector<float>, 3> rgb;
    std::vector<Box> boxes;
    // Where the picture differs from one step of a drifting scene to the
    // next (at any step); empty for a scene that holds still.
    Box drift{0, 0, -1, -1};

    SharpPicture() = default; // no planes at all
    explicit SharpPicture(float sky);
    // Fills box with radiance(x, y) averaged over samples x samples points
    // per pixel, and remembers the box.
    void Paint(const Box& box, int samples, const std::function<Rgb(float x, float y)>& radiance);
};

} // namespace orbicap::sim

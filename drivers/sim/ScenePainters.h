#pragma once

#include "SceneCanvas.h"

#include <cstdint>

namespace orbicap::sim {

// Each painter draws its scene in radiance units where 1 is the brightest
// zone of the planet, the level the sensor's constants are tuned to. The
// seed varies the details so different seeds give recognisably different
// pictures.

// A banded, flattened gas giant near the centre with a small moon right of
// and below it.
SharpPicture PaintPlanet(std::uint64_t seed);

// One star on black sky, defocused by step (see StarFocus.h): a bright ring
// with the dark shadow of the secondary mirror in its middle, whose total
// light stays the same however far the focus is off.
SharpPicture PaintStar(std::uint64_t seed, int step);
// Paints another step into a picture PaintStar made: only its drift box changes.
void RepaintStar(SharpPicture& picture, std::uint64_t seed, int step);

// The sun filling most of the frame: limb darkening, granulation and a few
// spots, its centre brighter than the planet so it saturates where the planet
// is well exposed.
SharpPicture PaintSun(std::uint64_t seed);

} // namespace orbicap::sim

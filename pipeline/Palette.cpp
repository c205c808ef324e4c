#include "pipeline/Palette.h"

#include <cfenv>
#include <cmath>

namespace orbicap {

Palette BuildPalette(int black, int white, int limit, int shade) {
    if (black == white)
        white = black + 1;
    // The scale is formed in extended precision but kept as a double, and the
    // product is formed in extended precision again: together with rounding
    // halves to even this reproduces the established ramp exactly (e.g.
    // 76.5 -> 76, 127.5 -> 128 for levels 10..20).
    const double scale = static_cast<double>(255.0L / static_cast<long double>(white - black));
    const int savedRounding = std::fegetround();
    std::fesetround(FE_TONEAREST);
    Palette palette{};
    for (int i = 0; i < 256; ++i) {
        int v;
        if (i <= black)
            v = 0;
        else if (i > white)
            v = 255;
        else
            v = static_cast<int>(std::nearbyintl(static_cast<long double>(i - black) *
                                                 static_cast<long double>(scale)));
        const int g = i >= limit ? shade : v;
        palette[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(g < 0     ? 0
                                                                         : g > 255 ? 255
                                                                                   : g);
    }
    std::fesetround(savedRounding);
    return palette;
}

Palette IdentityPalette() {
    Palette palette{};
    for (int i = 0; i < 256; ++i)
        palette[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    return palette;
}

} // namespace orbicap

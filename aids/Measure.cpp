#include "aids/Measure.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace orbicap {

namespace {

// Arc seconds per radian over 1000, times the pixel size in micrometres.
constexpr double kArcSecondsPerPixelMm = 206.265 * 6.0;

QString Printf(const char* format, auto... values) {
    char text[128];
    std::snprintf(text, sizeof text, format, values...);
    return QString::fromUtf8(text);
}

} // namespace

double LineLength(ImagePoint from, ImagePoint to) {
    const std::int32_t dx = to.X - from.X;
    const std::int32_t dy = to.Y - from.Y;
    return std::sqrt(static_cast<double>(dx * dx + dy * dy));
}

QString DistanceText(double pixels) {
    return Printf("Distance %3.1f pixels", pixels);
}

double FocalLengthMm(const QString& field) {
    bool ok = false;
    const double f = field.trimmed().toDouble(&ok);
    return ok && f >= 10 ? f : 1.0;
}

QString ArcSecondsText(double pixels, double focalLengthMm) {
    const long double a = static_cast<long double>(pixels) * kArcSecondsPerPixelMm / focalLengthMm;
    const int deg = static_cast<int>(a / 3600);
    const int min = static_cast<int>(a / 60) % 60;
    const double sec = static_cast<double>(a - deg * 3600.0L - min * 60.0L);
    return Printf("%5.1f arc seconds (%2d\u00b0 %2d' %2.1f)", static_cast<double>(a), deg, min,
                  sec);
}

void ProfileAxis::Follow(int lo, int hi) {
    const int lowC = 20 * (lo / 20);
    const int highC = 20 * (hi / 20 + 1);
    if (High == 999) {
        High = highC;
        HighDownCount = HighUpCount = 0;
    }
    if (Low == 999) {
        Low = lowC;
        LowDownCount = LowUpCount = 0;
    }
    if (High > highC) {
        HighUpCount = 0;
        if (++HighDownCount >= 3) {
            High = highC;
            HighDownCount = 0;
        }
    }
    if (High < highC) {
        HighDownCount = 0;
        if (++HighUpCount >= 3) {
            High = highC;
            HighUpCount = 0;
        }
    }
    if (Low < lowC) {
        LowDownCount = 0;
        if (++LowUpCount >= 3) {
            Low = lowC;
            LowUpCount = 0;
        }
    }
    if (Low > lowC) {
        LowUpCount = 0;
        if (++LowDownCount >= 3) {
            Low = lowC;
            LowDownCount = 0;
        }
    }
}

int ProfileSample(const QImage& picture, int x, int y) {
    if (!picture.valid(x, y))
        return 255;
    return qRed(picture.pixel(x, y));
}

std::optional<Profile> SampleProfile(const QImage& picture, ImagePoint from, ImagePoint to) {
    const double dx = to.X - from.X;
    const double dy = to.Y - from.Y;
    const double n = std::max(std::abs(dx), std::abs(dy));
    if (n < 1)
        return std::nullopt;
    const double sx = dx / n;
    const double sy = dy / n;
    Profile p;
    int v = ProfileSample(picture, from.X, from.Y);
    p.Low = p.High = v;
    p.Points.emplace_back(1, v);
    int t = 1;
    for (;;) {
        const int x = RoundEven(t * sx + from.X);
        const int y = RoundEven(t * sy + from.Y);
        v = ProfileSample(picture, x, y);
        p.Low = std::min(p.Low, v);
        p.High = std::max(p.High, v);
        p.Points.emplace_back(t, v);
        ++t;
        if (std::abs(x - to.X) < 1.5 && std::abs(y - to.Y) < 1.5)
            break;
    }
    p.XEnd = t;
    return p;
}

} // namespace orbicap

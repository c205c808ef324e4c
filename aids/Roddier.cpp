#include "aids/Roddier.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace orbicap {

namespace {

double Det3(const double m[3][3]) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

} // namespace

std::optional<CircleFit> FitCircle(ImagePoint a, ImagePoint b, ImagePoint c) {
    const ImagePoint p[3] = {a, b, c};
    double ma[3][3], mb[3][3], mc[3][3], md[3][3];
    for (int i = 0; i < 3; ++i) {
        const std::int32_t s = p[i].X * p[i].X + p[i].Y * p[i].Y;
        const double x = p[i].X;
        const double y = p[i].Y;
        const double rowA[3] = {x, y, 1};
        const double rowB[3] = {double(s), y, 1};
        const double rowC[3] = {double(s), x, 1};
        const double rowD[3] = {double(s), x, y};
        std::copy(rowA, rowA + 3, ma[i]);
        std::copy(rowB, rowB + 3, mb[i]);
        std::copy(rowC, rowC + 3, mc[i]);
        std::copy(rowD, rowD + 3, md[i]);
    }
    const double da = Det3(ma);
    if (da == 0)
        return std::nullopt;
    CircleFit fit;
    fit.CentreX = 0.5 * Det3(mb) / da;
    fit.CentreY = -0.5 * Det3(mc) / da;
    fit.Radius = std::sqrt(fit.CentreX * fit.CentreX + fit.CentreY * fit.CentreY + Det3(md) / da);
    return fit;
}

QString CentreText(const std::optional<CircleFit>& fit) {
    if (!fit)
        return QStringLiteral("c=---,---");
    char text[64];
    std::snprintf(text, sizeof text, "c=%3.0f,%3.0f", fit->CentreX, fit->CentreY);
    return QString::fromLatin1(text);
}

QString RadiusText(const std::optional<CircleFit>& fit) {
    if (!fit)
        return QStringLiteral("r=----");
    char text[64];
    std::snprintf(text, sizeof text, "r=%3.0f", fit->Radius);
    return QString::fromLatin1(text);
}

bool RoddierPoints::Add(ImagePoint p) {
    if (Count == 0)
        Points = {};
    Points[0] = Points[1];
    Points[1] = Points[2];
    Points[2] = p;
    Count = (Count + 1) % 3;
    return Count == 0;
}

int ReferenceRadius(int fittedRadius) {
    return std::clamp(fittedRadius, kRefRadiusMin, kRefRadiusMax);
}

} // namespace orbicap

#include "CameraControls.h"

#include <algorithm>

namespace orbicap {

QString WithoutAccelerator(const QString& caption) {
    QString text = caption;
    const int amp = text.indexOf(QLatin1Char('&'));
    if (amp >= 0)
        text.remove(amp, 1);
    return text;
}

int ExposureScaleForRange(const QString& caption) {
    QString text = WithoutAccelerator(caption);
    const int ms = text.indexOf(QStringLiteral("ms"));
    if (ms >= 0)
        text.remove(ms, 2);
    bool ok = false;
    const int range = text.trimmed().toInt(&ok);
    return ok && range > 0 ? range / 100 : 0;
}

int SliderPositionForScale(int position, int oldScale, int newScale) {
    if (newScale <= 0)
        return position;
    const int product = position * oldScale;
    return std::clamp(product / newScale, 1, 100);
}

QString ExposureLabelText(int exposureMs) {
    return QString::asprintf("%5d ms", exposureMs);
}

QString GainLabelText(int gain) {
    return QString::number(gain) + QLatin1Char('%');
}

} // namespace orbicap

#include "UtcTime.h"

#include <QDateTime>

#include <cmath>

namespace orbicap {

std::int64_t UtcMsFromLocalDayCount(double localDayCount, std::int64_t utcOffset100ns) {
    return std::llround(localDayCount * 86'400'000.0) + utcOffset100ns / 10'000;
}

std::string IsoUtc(std::int64_t utcMs, bool withZone) {
    const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    const QString text = epoch.addMSecs(utcMs).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
    return text.toStdString() + (withZone ? "Z" : "");
}

} // namespace orbicap

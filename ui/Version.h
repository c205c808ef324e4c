#pragma once

#include <QString>

namespace orbicap {

inline const QString kProductString = QStringLiteral("Orbicap/32 ");
inline const QString kVersionString = QStringLiteral("1.3");
inline const QString kApplicationTitle = QStringLiteral("Orbicap_32");

} // namespace orbicap

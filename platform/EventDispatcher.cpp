#include "EventDispatcher.h"

#include <QByteArray>
#include <QtGlobal>

namespace orbicap {

void PreferQtEventDispatcher() {
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", QByteArrayLiteral("1"));
}

} // namespace orbicap

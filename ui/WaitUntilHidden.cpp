#include "WaitUntilHidden.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace orbicap {

void WaitUntilHidden(QWidget* window) {
    QPointer<QWidget> guard(window);
    QEventLoop loop;
    QTimer poll;
    // Polling keeps this independent of how the window gets hidden (its own
    // button, the window manager, shutdown).
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!guard || !guard->isVisible())
            loop.quit();
    });
    poll.start(20);
    if (guard && guard->isVisible())
        loop.exec();
}

} // namespace orbicap

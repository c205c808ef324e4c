#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

namespace orbicap::test {

// Runs the event loop until done() holds or the time-out passes; true when done.
inline bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

} // namespace orbicap::test

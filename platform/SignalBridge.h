#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace orbicap {

// Turns SIGINT, SIGTERM and SIGHUP into a call in the window thread, so that
// Ctrl+C, a service stop and a closed terminal end the program through the
// normal exit path.
class SignalBridge : public QObject {
public:
    explicit SignalBridge(std::function<void()> onSignal);
    ~SignalBridge() override;

private:
    std::function<void()> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace orbicap

#include "platform/SignalBridge.h"

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace orbicap {

namespace {

// The write end of the socket pair: the one value a signal handler may use.
volatile std::sig_atomic_t signalWriteFd = -1;

extern "C" void ForwardSignal(int signal) {
    const char byte = static_cast<char>(signal);
    if (signalWriteFd >= 0) [[maybe_unused]]
        const ssize_t n = ::write(signalWriteFd, &byte, 1);
}

} // namespace

SignalBridge::SignalBridge(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        return;
    signalWriteFd = fds[1];
    notifier_ = std::make_unique<QSocketNotifier>(fds[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(static_cast<int>(notifier_->socket()), &byte, 1);
        if (onSignal_)
            onSignal_();
    });
    struct sigaction action {};
    action.sa_handler = ForwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr); // a closed terminal or dropped remote session
    std::signal(SIGXFSZ, SIG_IGN);       // a file-size limit shows as a write error
}

SignalBridge::~SignalBridge() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGHUP, SIG_DFL);
    if (notifier_) {
        const int readFd = static_cast<int>(notifier_->socket());
        notifier_.reset();
        ::close(readFd);
        ::close(signalWriteFd);
        signalWriteFd = -1;
    }
}

} // namespace orbicap

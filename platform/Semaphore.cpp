#include "Semaphore.h"

#include <cerrno>
#include <ctime>

namespace orbicap {

Semaphore::Semaphore(unsigned initial, unsigned maximum) : maximum_(maximum) {
    sem_init(&sem_, 0, initial);
}

Semaphore::~Semaphore() {
    sem_destroy(&sem_);
}

void Semaphore::Release() {
    int value = 0;
    sem_getvalue(&sem_, &value);
    if (value < static_cast<int>(maximum_))
        sem_post(&sem_);
}

bool Semaphore::WaitFor(unsigned timeoutMs) {
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += timeoutMs / 1000;
    deadline.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    for (;;) {
        if (sem_timedwait(&sem_, &deadline) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

bool Semaphore::TryWait() {
    for (;;) {
        if (sem_trywait(&sem_) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

} // namespace orbicap

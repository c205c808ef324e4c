#pragma once

#include <semaphore.h>

namespace orbicap {

// Counting semaphore with a maximum, on POSIX sem_t so that its handle can be
// handed to a camera driver through the C ABI.
class Semaphore {
public:
    Semaphore(unsigned initial, unsigned maximum);
    ~Semaphore();
    Semaphore(const Semaphore&) = delete;
    Semaphore& operator=(const Semaphore&) = delete;

    // Releases once unless the count already stands at the maximum.
    void Release();
    // Waits at most timeoutMs; true when the semaphore was taken.
    bool WaitFor(unsigned timeoutMs);
    // Takes the semaphore if it is available right now.
    bool TryWait();

    sem_t* Handle() { return &sem_; }

private:
    sem_t sem_;
    unsigned maximum_;
};

} // namespace orbicap

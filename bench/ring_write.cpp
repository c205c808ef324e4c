// The limit for the SER rows: a plain sequential write of frames taken in
// turn from a ring of frame blocks that another thread keeps filling afresh,
// which is what the recorder writes from (frames the camera thread has just
// made, on the other core). Prints bytes per second.
//
//   ring_write FILE FRAME_BYTES FRAMES
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kRing = 64;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

bool WriteAll(int fd, const std::uint8_t* data, std::size_t bytes) {
    while (bytes > 0) {
        const ssize_t n = ::write(fd, data, bytes);
        if (n < 0)
            return false;
        data += n;
        bytes -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: ring_write FILE FRAME_BYTES FRAMES\n");
        return 2;
    }
    const std::size_t frameBytes = std::strtoull(argv[2], nullptr, 10);
    const std::size_t frames = std::strtoull(argv[3], nullptr, 10);
    // Frame blocks on huge pages, as the program's frame memory has them.
    const std::size_t span = (frameBytes * kRing + kHugePage - 1) / kHugePage * kHugePage;
    auto* ring = static_cast<std::uint8_t*>(std::aligned_alloc(kHugePage, span));
    if (!ring)
        return 1;
    ::madvise(ring, span, MADV_HUGEPAGE);
    std::memset(ring, 0, span);

    std::atomic<std::size_t> filled{0}, written{0};
    std::thread filler([&] {
        for (std::size_t i = 0; i < frames; ++i) {
            while (i - written.load(std::memory_order_acquire) >= kRing)
                std::this_thread::yield();
            std::memset(ring + (i % kRing) * frameBytes, static_cast<int>(i & 0xFF), frameBytes);
            filled.store(i + 1, std::memory_order_release);
        }
    });

    const int fd = ::open(argv[1], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return 1;
    const auto start = std::chrono::steady_clock::now();
    bool ok = true;
    for (std::size_t i = 0; i < frames && ok; ++i) {
        while (filled.load(std::memory_order_acquire) <= i)
            std::this_thread::yield();
        ok = WriteAll(fd, ring + (i % kRing) * frameBytes, frameBytes);
        written.store(i + 1, std::memory_order_release);
    }
    ok = ::close(fd) == 0 && ok;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    filler.join();
    std::free(ring);
    ::unlink(argv[1]);
    if (!ok)
        return 1;
    std::printf("%.0f\n", static_cast<double>(frameBytes * frames) / seconds);
    return 0;
}

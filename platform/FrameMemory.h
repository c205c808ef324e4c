#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace orbicap {

// Memory for frame blocks, carved from regions that the kernel is asked to
// back with huge pages.
//
// A recording hands each block to write(), and the kernel's copy out of user
// memory pays for every 4 KiB page it has not touched lately: a recording
// whose frames wait in a long queue ran at two thirds of the disk's speed on
// 4 KiB pages and at its full speed on huge pages. Blocks of one size share
// a region; a freed block is handed out again first (it is the one most
// likely still in the cache), and a region whose blocks are all free is
// given back, except the last one, kept for the next frames.
//
// Thread-safe: the capture thread allocates, the window thread frees.
class FrameMemory {
public:
    // Regions are this large; empty blocks and blocks above a quarter of it
    // come from the ordinary heap.
    static constexpr std::size_t kRegionBytes = std::size_t{8} << 20;

    FrameMemory();
    ~FrameMemory();
    FrameMemory(const FrameMemory&) = delete;
    FrameMemory& operator=(const FrameMemory&) = delete;

    // A block of at least bytes bytes (contents undefined), 4 KiB aligned
    // when it comes from a region. Falls back to the heap where no region
    // can be mapped; throws std::bad_alloc only when that fails too.
    std::uint8_t* Allocate(std::size_t bytes);
    // Gives back a block from Allocate (null is ignored).
    void Release(std::uint8_t* block);

    // Regions mapped now.
    std::size_t RegionCount() const;
    // False in builds where every block comes from the heap (AddressSanitizer,
    // which then still sees a write past a block).
    static bool UsesRegions();

private:
    struct Region;
    Region* RegionWithRoom(std::size_t stride);
    Region* RegionOf(const std::uint8_t* block);

    mutable std::mutex lock_;
    std::vector<std::unique_ptr<Region>> regions_;
};

// Gives a block back to the FrameMemory it came from, or to the heap.
struct FrameBlockDeleter {
    std::shared_ptr<FrameMemory> Memory;
    void operator()(std::uint8_t* block) const;
};

using FrameBlock = std::unique_ptr<std::uint8_t[], FrameBlockDeleter>;

// A block of bytes from memory, or from the heap when memory is null; either
// way the block goes back where it came from when released.
FrameBlock AllocateFrameBlock(const std::shared_ptr<FrameMemory>& memory, std::size_t bytes);

} // namespace orbicap

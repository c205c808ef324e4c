#include "platform/FrameMemory.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace orbicap {
namespace {

constexpr std::size_t kFrame8 = 752 * 480;
constexpr std::size_t kFrame16 = 2 * kFrame8;

void Fill(std::uint8_t* block, std::size_t bytes, std::uint8_t tag) {
    std::memset(block, tag, bytes);
}

bool Holds(const std::uint8_t* block, std::size_t bytes, std::uint8_t tag) {
    for (std::size_t k = 0; k < bytes; ++k)
        if (block[k] != tag)
            return false;
    return true;
}

// More blocks than one region holds: every block keeps its own bytes, so
// none overlaps another, and the last one freed is the next one handed out.
TEST(FrameMemory, BlocksAreSeparateAndTheLastFreedComesBackFirst) {
    FrameMemory memory;
    std::vector<std::uint8_t*> blocks;
    for (int i = 0; i < 40; ++i) {
        blocks.push_back(memory.Allocate(kFrame8));
        Fill(blocks.back(), kFrame8, static_cast<std::uint8_t>(i + 1));
    }
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(Holds(blocks[i], kFrame8, static_cast<std::uint8_t>(i + 1))) << "block " << i;
    if (!FrameMemory::UsesRegions()) {
        for (std::uint8_t* block : blocks)
            memory.Release(block);
        GTEST_SKIP() << "blocks come from the heap in this build";
    }
    EXPECT_EQ(memory.RegionCount(), 2u);
    for (std::uint8_t* block : blocks)
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % 4096, 0u);

    memory.Release(blocks[3]);
    memory.Release(blocks[9]);
    EXPECT_EQ(memory.Allocate(kFrame8), blocks[9]);
    EXPECT_EQ(memory.Allocate(kFrame8), blocks[3]);
    for (std::uint8_t* block : blocks)
        memory.Release(block);
}

// Emptied regions go back to the system except one; a change of frame size
// gives that one back too before a region for the new size is mapped.
TEST(FrameMemory, EmptyRegionsAreGivenBack) {
    if (!FrameMemory::UsesRegions())
        GTEST_SKIP() << "blocks come from the heap in this build";
    FrameMemory memory;
    std::vector<std::uint8_t*> blocks;
    for (int i = 0; i < 60; ++i)
        blocks.push_back(memory.Allocate(kFrame8));
    EXPECT_EQ(memory.RegionCount(), 3u);
    for (std::uint8_t* block : blocks)
        memory.Release(block);
    EXPECT_EQ(memory.RegionCount(), 1u);

    std::uint8_t* wide = memory.Allocate(kFrame16);
    Fill(wide, kFrame16, 9);
    EXPECT_EQ(memory.RegionCount(), 1u);
    memory.Release(wide);
    EXPECT_EQ(memory.RegionCount(), 1u);
}

// Blocks too large for a region, empty blocks and null all take the heap
// path and come back without trouble (AddressSanitizer checks the pairing).
TEST(FrameMemory, OddSizesComeFromTheHeap) {
    FrameMemory memory;
    for (const std::size_t bytes : {std::size_t{0}, FrameMemory::kRegionBytes / 2}) {
        std::uint8_t* block = memory.Allocate(bytes);
        ASSERT_NE(block, nullptr);
        Fill(block, bytes, 3);
        EXPECT_EQ(memory.RegionCount(), 0u) << bytes << " bytes";
        memory.Release(block);
    }
    memory.Release(nullptr);
}

// A block outlives the memory's other owners; it still goes back where it
// came from when it is freed last.
TEST(FrameMemory, ABlockKeepsItsMemoryAlive) {
    auto memory = std::make_shared<FrameMemory>();
    const std::weak_ptr<FrameMemory> watch = memory;
    {
        FrameBlock block = AllocateFrameBlock(memory, kFrame8);
        memory.reset();
        Fill(block.get(), kFrame8, 5);
        EXPECT_FALSE(watch.expired());
    }
    EXPECT_TRUE(watch.expired());

    FrameBlock plain = AllocateFrameBlock(nullptr, 16); // heap, freed by delete[]
    Fill(plain.get(), 16, 1);
}

// The capture thread allocates while the window thread frees, as in a
// recording: every block still holds what its producer wrote.
TEST(FrameMemory, OneThreadAllocatesWhileAnotherFrees) {
    FrameMemory memory;
    std::mutex lock;
    std::condition_variable ready;
    std::deque<std::pair<std::uint8_t*, std::uint8_t>> queue;
    constexpr int kBlocks = 3000;
    std::thread producer([&] {
        for (int i = 0; i < kBlocks; ++i) {
            const std::size_t bytes = i % 500 < 250 ? kFrame8 / 4 : kFrame8 / 2;
            std::uint8_t* block = memory.Allocate(bytes);
            const auto tag = static_cast<std::uint8_t>(i);
            block[0] = tag;
            block[bytes - 1] = tag;
            std::lock_guard guard(lock);
            queue.emplace_back(block, tag);
            ready.notify_one();
        }
    });
    int wrong = 0;
    for (int i = 0; i < kBlocks; ++i) {
        std::unique_lock guard(lock);
        ready.wait(guard, [&] { return !queue.empty(); });
        const auto [block, tag] = queue.front();
        queue.pop_front();
        guard.unlock();
        const std::size_t bytes = i % 500 < 250 ? kFrame8 / 4 : kFrame8 / 2;
        wrong += block[0] != tag || block[bytes - 1] != tag;
        memory.Release(block);
    }
    producer.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_LE(memory.RegionCount(), 1u);
}

} // namespace
} // namespace orbicap

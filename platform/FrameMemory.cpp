#include "FrameMemory.h"

#include <algorithm>
#include <new>
#include <sys/mman.h>

namespace orbicap {

namespace {

constexpr std::size_t kPageBytes = 4096;
constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

// Under AddressSanitizer every block comes from the heap, so that a driver
// writing past a block is still reported.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUseRegions = false;
#else
constexpr bool kUseRegions = true;
#endif

// A block the heap cannot give is an exception the capture thread reports,
// whatever the allocator does on its own when it runs out (a sanitizer's
// throwing new ends the process instead).
std::uint8_t* HeapBlock(std::size_t bytes) {
    auto* block = new (std::nothrow) std::uint8_t[bytes];
    if (!block)
        throw std::bad_alloc();
    return block;
}

std::size_t RoundUp(std::size_t n, std::size_t step) {
    return (n + step - 1) / step * step;
}

} // namespace

struct FrameMemory::Region {
    std::uint8_t* Base = nullptr; // kRegionBytes, aligned to a huge page
    std::size_t Stride = 0;
    std::size_t Capacity = 0;
    std::size_t Touched = 0; // slots handed out at least once
    std::size_t Live = 0;
    std::vector<std::size_t> Free; // freed slots, the last freed on top

    Region(std::uint8_t* base, std::size_t stride)
        : Base(base), Stride(stride), Capacity(kRegionBytes / stride) {
        Free.reserve(Capacity); // Release never allocates
    }
    ~Region() { ::munmap(Base, kRegionBytes); }
    Region(const Region&) = delete;
    Region& operator=(const Region&) = delete;

    bool HasRoom() const { return !Free.empty() || Touched < Capacity; }
    bool Holds(const std::uint8_t* block) const {
        return block >= Base && block < Base + kRegionBytes;
    }

    // Maps a region aligned to a huge page; null when the system refuses.
    static std::unique_ptr<Region> Map(std::size_t stride) {
        const std::size_t span = kRegionBytes + kHugePageBytes;
        void* mapping = ::mmap(nullptr, span, PROT_READ | PROT_WRITE,
                               MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (mapping == MAP_FAILED)
            return nullptr;
        auto* start = static_cast<std::uint8_t*>(mapping);
        const auto address = reinterpret_cast<std::uintptr_t>(start);
        auto* base = start + (RoundUp(address, kHugePageBytes) - address);
        // Keep only the aligned part.
        if (base > start)
            ::munmap(start, static_cast<std::size_t>(base - start));
        if (auto* end = base + kRegionBytes; end < start + span)
            ::munmap(end, static_cast<std::size_t>(start + span - end));
        // Only a hint: without transparent huge pages the region still works.
        ::madvise(base, kRegionBytes, MADV_HUGEPAGE);
        return std::make_unique<Region>(base, stride);
    }
};

FrameMemory::FrameMemory() = default;
FrameMemory::~FrameMemory() = default;

FrameMemory::Region* FrameMemory::RegionWithRoom(std::size_t stride) {
    for (const auto& region : regions_)
        if (region->Stride == stride && region->HasRoom())
            return region.get();
    return nullptr;
}

FrameMemory::Region* FrameMemory::RegionOf(const std::uint8_t* block) {
    for (const auto& region : regions_)
        if (region->Holds(block))
            return region.get();
    return nullptr;
}

std::uint8_t* FrameMemory::Allocate(std::size_t bytes) {
    const std::size_t stride = RoundUp(bytes, kPageBytes);
    if (!kUseRegions || bytes == 0 || stride > kRegionBytes / 4)
        return HeapBlock(bytes);

    std::vector<std::unique_ptr<Region>> unused; // unmapped after the lock
    {
        std::lock_guard guard(lock_);
        Region* region = RegionWithRoom(stride);
        if (!region) {
            // Frames of another size will not come back soon: give back the
            // empty regions kept for them before mapping one for this size.
            for (auto& r : regions_)
                if (r->Live == 0 && r->Stride != stride)
                    unused.push_back(std::move(r));
            std::erase(regions_, nullptr);
            if (auto mapped = Region::Map(stride)) {
                region = mapped.get();
                regions_.push_back(std::move(mapped));
            }
        }
        if (region) {
            std::size_t slot;
            if (region->Free.empty()) {
                slot = region->Touched++;
            } else {
                slot = region->Free.back();
                region->Free.pop_back();
            }
            ++region->Live;
            return region->Base + slot * stride;
        }
    }
    return HeapBlock(bytes);
}

void FrameMemory::Release(std::uint8_t* block) {
    if (!block)
        return;
    std::unique_ptr<Region> unused; // unmapped after the lock
    {
        std::lock_guard guard(lock_);
        Region* region = RegionOf(block);
        if (region) {
            region->Free.push_back(static_cast<std::size_t>(block - region->Base) / region->Stride);
            if (--region->Live == 0) {
                // One empty region stays mapped for the next frames; a second
                // one goes back to the system.
                const auto empty = std::count_if(regions_.begin(), regions_.end(),
                                                 [](const auto& r) { return r->Live == 0; });
                if (empty > 1) {
                    const auto it = std::find_if(regions_.begin(), regions_.end(),
                                                 [&](const auto& r) { return r.get() == region; });
                    unused = std::move(*it);
                    regions_.erase(it);
                }
            }
            return;
        }
    }
    delete[] block;
}

bool FrameMemory::UsesRegions() {
    return kUseRegions;
}

std::size_t FrameMemory::RegionCount() const {
    std::lock_guard guard(lock_);
    return regions_.size();
}

void FrameBlockDeleter::operator()(std::uint8_t* block) const {
    if (Memory)
        Memory->Release(block);
    else
        delete[] block;
}

FrameBlock AllocateFrameBlock(const std::shared_ptr<FrameMemory>& memory, std::size_t bytes) {
    if (memory)
        return FrameBlock(memory->Allocate(bytes), FrameBlockDeleter{memory});
    return FrameBlock(HeapBlock(bytes), FrameBlockDeleter{});
}

} // namespace orbicap

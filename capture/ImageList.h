#pragma once

#include "platform/FrameMemory.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace orbicap {

// One captured frame. Data holds Width x Height samples in camera row order
// ("buffer order"), one byte each, or one little-endian 16-bit word each when
// Is16Bit (10 significant bits). Whoever replaces the block keeps Width,
// Height and Is16Bit in step with it.
struct ImageLst {
    FrameBlock Data;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    ImageLst* Next = nullptr;
    double TimeStamp = 0.0; // local time, days since 1899-12-30
    bool Is16Bit = false;
    std::string Overlay;

    std::size_t ByteCount() const {
        return static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height) *
               (Is16Bit ? 2u : 1u);
    }
    // Gives the record a new block for the given geometry (contents undefined),
    // from the same memory as the block it had.
    void Reshape(std::int32_t width, std::int32_t height, bool is16Bit);
};

// New record with an uninitialised block, TimeStamp = now (local time).
std::unique_ptr<ImageLst> NewFrame(std::int32_t width, std::int32_t height, const std::string& text,
                                   bool is16Bit);

// First-in first-out queue of finished frames. The capture thread appends;
// only the window thread drops, so a record it holds stays valid. The lock
// covers the pointer updates only; memory is freed outside it.
//
// A dropped record is kept as a spare (a few at most) and handed out again by
// NewFrame: at a thousand frames a second, fresh blocks would cost the
// capture thread a page fault per 4 KiB and the kernel the zeroing of them.
class FrameQueue {
public:
    static constexpr std::size_t kMaxSpareRecords = 8;

    FrameQueue() = default;
    ~FrameQueue();
    FrameQueue(const FrameQueue&) = delete;
    FrameQueue& operator=(const FrameQueue&) = delete;

    // A record for the capture thread: a spare one when there is one (its
    // block reshaped if the geometry differs), else a new one.
    std::unique_ptr<ImageLst> NewFrame(std::int32_t width, std::int32_t height,
                                       const std::string& text, bool is16Bit);
    void AppendFrame(std::unique_ptr<ImageLst> record);
    // Unlinks and frees the oldest record; does nothing on an empty queue.
    void DropOldestFrame();
    ImageLst* FrameQueueHead() const;
    ImageLst* FrameQueueTail() const;
    // Records in the queue now (for the status readout).
    std::size_t Length() const;
    // Bytes of pixel data held by the queued records.
    std::size_t Bytes() const;

private:
    mutable std::mutex lock_;
    ImageLst* head_ = nullptr;
    ImageLst* tail_ = nullptr;
    std::size_t length_ = 0;
    std::size_t bytes_ = 0;
    std::vector<std::unique_ptr<ImageLst>> spares_;
    // Shared with every block handed out, so that blocks still held elsewhere
    // (a capture thread's abandoned exposure) keep it alive.
    std::shared_ptr<FrameMemory> memory_ = std::make_shared<FrameMemory>();
};

} // namespace orbicap

#include "ImageList.h"

#include "platform/SystemInfo.h"

namespace orbicap {

void ImageLst::Reshape(std::int32_t width, std::int32_t height, bool is16Bit) {
    const std::size_t bytes =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * (is16Bit ? 2u : 1u);
    const std::shared_ptr<FrameMemory> memory = Data.get_deleter().Memory;
    Data.reset();       // free first so the peak holds one block, not two
    Width = Height = 0; // a failed allocation leaves an empty record, not a stale one
    Data = AllocateFrameBlock(memory, bytes);
    Width = width;
    Height = height;
    Is16Bit = is16Bit;
}

std::unique_ptr<ImageLst> NewFrame(std::int32_t width, std::int32_t height, const std::string& text,
                                   bool is16Bit) {
    auto record = std::make_unique<ImageLst>();
    record->Reshape(width, height, is16Bit);
    record->Overlay = text;
    record->TimeStamp = NowAsDayCount();
    return record;
}

FrameQueue::~FrameQueue() {
    while (head_)
        DropOldestFrame();
    spares_.clear();
}

void FrameQueue::AppendFrame(std::unique_ptr<ImageLst> record) {
    ImageLst* raw = record.release();
    raw->Next = nullptr;
    const std::size_t bytes = raw->ByteCount();
    std::lock_guard guard(lock_);
    if (tail_)
        tail_->Next = raw;
    else
        head_ = raw;
    tail_ = raw;
    ++length_;
    bytes_ += bytes;
}

std::unique_ptr<ImageLst> FrameQueue::NewFrame(std::int32_t width, std::int32_t height,
                                               const std::string& text, bool is16Bit) {
    std::unique_ptr<ImageLst> record;
    {
        std::lock_guard guard(lock_);
        if (!spares_.empty()) {
            record = std::move(spares_.back());
            spares_.pop_back();
        }
    }
    if (!record) {
        record = std::make_unique<ImageLst>();
        record->Data = FrameBlock(nullptr, FrameBlockDeleter{memory_}); // blocks from memory_
    }
    if (!record->Data || record->Width != width || record->Height != height ||
        record->Is16Bit != is16Bit)
        record->Reshape(width, height, is16Bit);
    record->Next = nullptr;
    record->Overlay = text;
    record->TimeStamp = NowAsDayCount();
    return record;
}

void FrameQueue::DropOldestFrame() {
    std::unique_ptr<ImageLst> oldest;
    {
        std::lock_guard guard(lock_);
        if (!head_)
            return;
        oldest.reset(head_);
        head_ = head_->Next;
        if (!head_)
            tail_ = nullptr;
        --length_;
        bytes_ -= oldest->ByteCount();
        if (spares_.size() < kMaxSpareRecords) {
            spares_.push_back(std::move(oldest));
            return;
        }
    }
    // Freed here, outside the lock, so the capture thread never waits on it.
}

ImageLst* FrameQueue::FrameQueueHead() const {
    std::lock_guard guard(lock_);
    return head_;
}

ImageLst* FrameQueue::FrameQueueTail() const {
    std::lock_guard guard(lock_);
    return tail_;
}

std::size_t FrameQueue::Length() const {
    std::lock_guard guard(lock_);
    return length_;
}

std::size_t FrameQueue::Bytes() const {
    std::lock_guard guard(lock_);
    return bytes_;
}

} // namespace orbicap

#include "capture/ImageList.h"

#include <gtest/gtest.h>

#include <thread>

namespace orbicap {
namespace {

std::unique_ptr<ImageLst> Tagged(std::uint8_t tag) {
    auto r = NewFrame(4, 2, "t", false);
    r->Data[0] = tag;
    return r;
}

TEST(FrameQueue, KeepsOrderAndEmptiesCleanly) {
    FrameQueue q;
    q.DropOldestFrame(); // empty: nothing happens
    EXPECT_EQ(q.FrameQueueHead(), nullptr);
    EXPECT_EQ(q.FrameQueueTail(), nullptr);

    q.AppendFrame(Tagged(1));
    EXPECT_EQ(q.FrameQueueHead(), q.FrameQueueTail());
    q.AppendFrame(Tagged(2));
    q.AppendFrame(Tagged(3));
    EXPECT_EQ(q.FrameQueueHead()->Data[0], 1);
    EXPECT_EQ(q.FrameQueueTail()->Data[0], 3);
    EXPECT_EQ(q.Length(), 3u);
    EXPECT_EQ(q.Bytes(), 3u * 8u);

    q.DropOldestFrame();
    EXPECT_EQ(q.FrameQueueHead()->Data[0], 2);
    q.DropOldestFrame();
    q.DropOldestFrame();
    EXPECT_EQ(q.FrameQueueHead(), nullptr);
    EXPECT_EQ(q.FrameQueueTail(), nullptr);
    EXPECT_EQ(q.Length(), 0u);
}

TEST(FrameQueue, RecordBlockMatchesItsGeometry) {
    auto r = NewFrame(376, 240, "Jupiter", true);
    EXPECT_EQ(r->ByteCount(), 180480u);
    EXPECT_EQ(r->Overlay, "Jupiter");
    EXPECT_GT(r->TimeStamp, 40000.0); // a date after 2009
    r->Reshape(376, 240, false);
    EXPECT_EQ(r->ByteCount(), 90240u);
}

TEST(FrameQueue, SpareRecordsComeBackWithTheAskedGeometry) {
    FrameQueue q;
    for (int i = 0; i < 20; ++i)
        q.AppendFrame(q.NewFrame(752, 480, "old", false));
    while (q.FrameQueueHead())
        q.DropOldestFrame();
    // Reused records take the new geometry, text and time, never the old ones.
    const struct {
        int w, h;
        bool is16;
    } cases[] = {{752, 480, false}, {376, 240, true}, {400, 400, false}};
    for (const auto& c : cases) {
        auto r = q.NewFrame(c.w, c.h, "new", c.is16);
        EXPECT_EQ(r->Width, c.w);
        EXPECT_EQ(r->Height, c.h);
        EXPECT_EQ(r->Is16Bit, c.is16);
        EXPECT_EQ(r->ByteCount(), std::size_t(c.w) * c.h * (c.is16 ? 2 : 1));
        EXPECT_EQ(r->Overlay, "new");
        EXPECT_EQ(r->Next, nullptr);
        std::fill_n(r->Data.get(), r->ByteCount(), std::uint8_t{1}); // the block is all there
    }
}

TEST(FrameQueue, ConcurrentAppendAndDropLoseNothing) {
    FrameQueue q;
    constexpr int kFrames = 20000;
    std::jthread producer([&] {
        for (int i = 0; i < kFrames; ++i) {
            auto r = NewFrame(2, 2, "", false);
            r->Data[0] = static_cast<std::uint8_t>(i);
            r->Data[1] = static_cast<std::uint8_t>(i >> 8);
            q.AppendFrame(std::move(r));
        }
    });
    int expected = 0;
    while (expected < kFrames) {
        ImageLst* head = q.FrameQueueHead();
        if (!head) {
            std::this_thread::yield();
            continue;
        }
        const int seen = head->Data[0] | (head->Data[1] << 8);
        ASSERT_EQ(seen, expected & 0xFFFF);
        q.DropOldestFrame();
        ++expected;
    }
    EXPECT_EQ(q.Length(), 0u);
}

} // namespace
} // namespace orbicap

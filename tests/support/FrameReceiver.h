#pragma once

#include "capture/ImageList.h"
#include "capture/Messages.h"
#include "capture/ThreadHandoff.h"
#include "tests/support/FrameStamp.h"
#include "tests/support/RunUntil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>

#include <functional>
#include <vector>

namespace orbicap::test {

// Stands in for the main window: handles WM_FRAMEREADY by releasing the
// oldest frame, as the window thread does outside a recording. It notes each
// released frame, so the frames seen are exactly those the capture thread
// queued, in order, even when the window thread falls behind.
class FrameReceiver : public QObject {
public:
    explicit FrameReceiver(FrameQueue& queue) : queue_(queue) {}

    struct Seen {
        int Width, Height;
        bool Is16Bit;
        std::size_t Bytes;
        std::uint32_t Stamp;
    };
    std::vector<Seen> Frames;
    int EmptyMessages = 0;
    int FailureMessages = 0; // WM_CAPTUREFAILED
    std::function<void(const ImageLst&)> OnFrame;

    bool event(QEvent* e) override {
        TakeOver(e);
        if (e->type() == WM_CAPTUREFAILED) {
            ++FailureMessages;
            return true;
        }
        if (e->type() != WM_FRAMEREADY)
            return QObject::event(e);
        if (ImageLst* oldest = queue_.FrameQueueHead()) {
            const std::uint32_t stamp = FrameStamp(oldest->Data.get(), oldest->Is16Bit);
            Frames.push_back(
                {oldest->Width, oldest->Height, oldest->Is16Bit, oldest->ByteCount(), stamp});
            if (OnFrame)
                OnFrame(*oldest);
        } else {
            ++EmptyMessages;
        }
        queue_.DropOldestFrame();
        return true;
    }

    static bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
        return test::RunUntil(done, timeoutMs);
    }

private:
    FrameQueue& queue_;
};

} // namespace orbicap::test

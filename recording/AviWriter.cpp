#include "recording/AviWriter.h"

#include "pipeline/PictureRows.h"
#include "recording/FileName.h"

#include <algorithm>
#include <cstring>

namespace orbicap {

AviWriter::AviWriter(std::int64_t partLimitBytes) : partLimit_(partLimitBytes) {}

Status AviWriter::Fail(std::string text) {
    if (!failed_)
        error_ = std::move(text); // keep the first failure, the cause of the rest
    failed_ = true;
    return Status::Failure(error_);
}

std::string AviWriter::PartName(int part) const {
    return AviPartFileName(aviBaseName_, part);
}

Status AviWriter::StartNextPart(int width, int height) {
    const std::string name = PartName(aviPart_);
    ++aviPart_;
    partFormat_ = AviFrameFormat{width, height};
    const Result<int> created = layer_.CreateAvi(name, partFormat_, rate_);
    if (created.Failed()) {
        aviHandle_ = -1;
        return Fail(created.Message());
    }
    aviHandle_ = created.Value();
    return Status();
}

Status AviWriter::OpenAviFile(const std::string& fileName, int width, int height,
                              AviRate framesPerSecond) {
    if (aviHandle_ >= 0)
        static_cast<void>(CloseAviFile());
    failed_ = false;
    error_.clear();
    aviBytes_ = 0;
    aviPart_ = 1;
    rate_ = framesPerSecond;
    if (fileName.size() < 4)
        return Fail("Cannot create AVI recording \"" + fileName + "\": the name must end in .AVI");
    aviBaseName_ = fileName;
    return StartNextPart(width, height);
}

const std::uint8_t* AviWriter::FitToPart(const std::uint8_t* bottomUpBgr, int width, int height) {
    const int partWidth = partFormat_.Width;
    const int partHeight = partFormat_.Height;
    fitted_.assign(3u * static_cast<std::size_t>(partWidth) * partHeight, 0);
    const std::size_t bytes = 3u * static_cast<std::size_t>(std::min(width, partWidth));
    for (int top = 0; top < std::min(height, partHeight); ++top) {
        const std::size_t from =
            static_cast<std::size_t>(BufferRowOfPictureRow(top, height)) * 3u * width;
        const std::size_t to =
            static_cast<std::size_t>(BufferRowOfPictureRow(top, partHeight)) * 3u * partWidth;
        std::memcpy(fitted_.data() + to, bottomUpBgr + from, bytes);
    }
    return fitted_.data();
}

Status AviWriter::WriteAviFrame(const std::uint8_t* bottomUpBgr, int width, int height,
                                std::int64_t byteCount) {
    if (failed_)
        return Status::Failure(error_);
    if (aviHandle_ < 0)
        return Fail("No AVI recording is open");
    if (aviBytes_ > partLimit_) {
        const Status closed = layer_.CloseAvi(aviHandle_);
        aviHandle_ = -1;
        if (closed.Failed())
            return Fail(closed.Message());
        if (const Status next = StartNextPart(width, height); next.Failed())
            return next;
        aviBytes_ = 0;
    }
    aviBytes_ += byteCount;
    const std::uint8_t* picture = bottomUpBgr;
    if (width != partFormat_.Width || height != partFormat_.Height)
        picture = FitToPart(bottomUpBgr, width, height);
    if (const Status added = layer_.AddAviFrame(aviHandle_, picture); added.Failed())
        return Fail(added.Message());
    return Status();
}

Status AviWriter::CloseAviFile() {
    if (aviHandle_ >= 0) {
        if (const Status closed = layer_.CloseAvi(aviHandle_); closed.Failed()) {
            // After an earlier failure the close's own failure still matters:
            // it says the file could not be finished after all.
            if (failed_)
                error_ += " " + closed.Message();
            static_cast<void>(Fail(closed.Message()));
        }
    }
    aviHandle_ = -1;
    aviBytes_ = 0;
    aviPart_ = 1;
    const Status outcome = failed_ ? Status::Failure(error_) : Status();
    failed_ = false;
    return outcome;
}

} // namespace orbicap

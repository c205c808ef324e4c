#include "recording/AviWriter.h"

#include "pipeline/PictureRows.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace orbicap {

AviWriter::AviWriter(std::int64_t partLimitBytes) : partLimit_(partLimitBytes) {}

bool AviWriter::Fail(std::string text) {
    if (!failed_)
        error_ = std::move(text); // keep the first failure, the cause of the rest
    failed_ = true;
    return false;
}

std::string AviWriter::PartName(int part) const {
    const std::string stem = aviBaseName_.substr(0, aviBaseName_.size() - 4);
    const int length = std::snprintf(nullptr, 0, "%s-PART%d.AVI", stem.c_str(), part);
    std::string name(static_cast<std::size_t>(length), '\0');
    std::snprintf(name.data(), name.size() + 1, "%s-PART%d.AVI", stem.c_str(), part);
    return name;
}

bool AviWriter::StartNextPart(int width, int height) {
    const std::string name = PartName(aviPart_);
    ++aviPart_;
    partFormat_ = AviFrameFormat{width, height};
    aviHandle_ = layer_.CreateAvi(name, partFormat_, rate_);
    if (aviHandle_ < 0)
        return Fail(layer_.LastError());
    return true;
}

int AviWriter::OpenAviFile(const std::string& fileName, int width, int height,
                           AviRate framesPerSecond) {
    if (aviHandle_ >= 0)
        CloseAviFile();
    failed_ = false;
    error_.clear();
    aviBytes_ = 0;
    aviPart_ = 1;
    rate_ = framesPerSecond;
    if (fileName.size() < 4) {
        Fail("Cannot create AVI recording \"" + fileName + "\": the name must end in .AVI");
        return -1;
    }
    aviBaseName_ = fileName;
    StartNextPart(width, height);
    return aviHandle_;
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

bool AviWriter::WriteAviFrame(const std::uint8_t* bottomUpBgr, int width, int height,
                              std::int64_t byteCount) {
    if (failed_)
        return false;
    if (aviHandle_ < 0)
        return Fail("No AVI recording is open");
    if (aviBytes_ > partLimit_) {
        const int closed = layer_.CloseAvi(aviHandle_);
        aviHandle_ = -1;
        if (closed < 0)
            return Fail(layer_.LastError());
        if (!StartNextPart(width, height))
            return false;
        aviBytes_ = 0;
    }
    aviBytes_ += byteCount;
    const std::uint8_t* picture = bottomUpBgr;
    if (width != partFormat_.Width || height != partFormat_.Height)
        picture = FitToPart(bottomUpBgr, width, height);
    if (layer_.AddAviFrame(aviHandle_, picture) < 0)
        return Fail(layer_.LastError());
    return true;
}

bool AviWriter::CloseAviFile() {
    if (aviHandle_ >= 0 && layer_.CloseAvi(aviHandle_) < 0) {
        // After an earlier failure the close's own failure still matters:
        // it says the file could not be finished after all.
        if (failed_)
            error_ += " " + layer_.LastError();
        Fail(layer_.LastError());
    }
    aviHandle_ = -1;
    aviBytes_ = 0;
    aviPart_ = 1;
    const bool ok = !failed_;
    failed_ = false;
    return ok;
}

} // namespace orbicap

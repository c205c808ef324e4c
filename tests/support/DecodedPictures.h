#pragma once

#include "tests/support/FrameStamp.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <array>
#include <cstring>
#include <vector>

namespace orbicap::test {

// Every picture of a video or image file as FFmpeg decodes it: 24-bit RGB,
// top row first. Empty when FFmpeg is missing or cannot read the file.
inline std::vector<QImage> DecodePictures(const QString& path, int width, int height) {
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    if (ffmpeg.isEmpty())
        return {};
    QProcess p;
    p.start(ffmpeg, {"-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    p.waitForFinished(60000);
    const QByteArray raw = p.readAllStandardOutput();
    const qsizetype bytes = qsizetype(width) * height * 3;
    std::vector<QImage> pictures;
    for (qsizetype at = 0; at + bytes <= raw.size(); at += bytes) {
        QImage picture(width, height, QImage::Format_RGB888);
        for (int y = 0; y < height; ++y)
            std::memcpy(picture.scanLine(y), raw.constData() + at + qsizetype(y) * width * 3,
                        std::size_t(width) * 3);
        pictures.push_back(picture);
    }
    return pictures;
}

// The simulator's stamp in a rendered mono 8-bit frame: the first frame row is
// the bottom picture row, and each sample became one grey pixel.
inline std::uint32_t PictureStamp(const QImage& picture) {
    std::array<std::uint8_t, 4> samples{};
    for (int i = 0; i < 4; ++i)
        samples[std::size_t(i)] = std::uint8_t(qGreen(picture.pixel(i, picture.height() - 1)));
    return FrameStamp(samples.data(), false);
}

} // namespace orbicap::test

#include "WriterTestSupport.h"

#include "recording/Bmp.h"

#include <QImage>
#include <QImageReader>
#include <QString>
#include <gtest/gtest.h>

#include <ostream>
#include <unistd.h>

namespace orbicap {
namespace {

using test::ReadFileBytes;
using test::ReadLe;
using test::TempFolder;

// Packed bottom-up BGR with a colour that tells the source row and column.
std::vector<std::uint8_t> MakePicture(int width, int height) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &pixels[(static_cast<std::size_t>(row) * width + x) * 3];
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(row);
            p[2] = static_cast<std::uint8_t>(x / 256 * 64 + row / 256 * 16 + 1);
        }
    }
    return pixels;
}

struct SizeCase {
    int Width;
    int Height;
    std::size_t RowBytes; // in the file, padded
};

void PrintTo(const SizeCase& c, std::ostream* out) {
    *out << c.Width << "x" << c.Height;
}

class BmpSizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(BmpSizes, HeadersAndPaddedRowsAreExact) {
    const SizeCase& c = GetParam();
    TempFolder folder;
    const std::string path = folder.File("CAPTURE_00000.BMP");
    const auto picture = MakePicture(c.Width, c.Height);
    const Status saved = SaveBmpFile(path, picture.data(), c.Width, c.Height);
    ASSERT_TRUE(saved.Ok()) << saved.Message();

    const auto bytes = ReadFileBytes(path);
    const std::size_t imageBytes = c.RowBytes * c.Height;
    ASSERT_EQ(bytes.size(), 54 + imageBytes);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(ReadLe<std::uint32_t>(bytes, 2), 54 + imageBytes);
    EXPECT_EQ(ReadLe<std::uint32_t>(bytes, 6), 0u); // reserved
    EXPECT_EQ(ReadLe<std::uint32_t>(bytes, 10), 54u);
    EXPECT_EQ(ReadLe<std::uint32_t>(bytes, 14), 40u);
    EXPECT_EQ(ReadLe<std::int32_t>(bytes, 18), c.Width);
    EXPECT_EQ(ReadLe<std::int32_t>(bytes, 22), c.Height); // positive: bottom-up
    EXPECT_EQ(ReadLe<std::uint16_t>(bytes, 26), 1);
    EXPECT_EQ(ReadLe<std::uint16_t>(bytes, 28), 24);
    EXPECT_EQ(ReadLe<std::uint32_t>(bytes, 30), 0u); // no compression
    EXPECT_EQ(ReadLe<std::uint32_t>(bytes, 34), imageBytes);
    EXPECT_EQ(ReadLe<std::int32_t>(bytes, 38), 2835);
    EXPECT_EQ(ReadLe<std::int32_t>(bytes, 42), 2835);
    EXPECT_EQ(ReadLe<std::uint32_t>(bytes, 46), 0u); // no colour table
    EXPECT_EQ(ReadLe<std::uint32_t>(bytes, 50), 0u);

    const std::size_t sourceRow = 3 * static_cast<std::size_t>(c.Width);
    for (int row = 0; row < c.Height; ++row) {
        const auto fileRow = bytes.begin() + 54 + row * c.RowBytes;
        ASSERT_TRUE(std::equal(fileRow, fileRow + sourceRow, picture.begin() + row * sourceRow))
            << row;
        ASSERT_TRUE(std::all_of(fileRow + sourceRow, fileRow + c.RowBytes, [](std::uint8_t b) {
            return b == 0;
        })) << row;
    }
}

// Source row 0 is the bottom of the picture: a reader's top row is the last
// source row.
TEST_P(BmpSizes, QtReadsThePictureTheRightWayUp) {
    const SizeCase& c = GetParam();
    TempFolder folder;
    const std::string path = folder.File("UP.BMP");
    const auto picture = MakePicture(c.Width, c.Height);
    const Status saved = SaveBmpFile(path, picture.data(), c.Width, c.Height);
    ASSERT_TRUE(saved.Ok()) << saved.Message();

    QImageReader reader(QString::fromStdString(path));
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
    ASSERT_EQ(image.width(), c.Width);
    ASSERT_EQ(image.height(), c.Height);
    for (int y = 0; y < c.Height; ++y) {
        const int row = c.Height - 1 - y;
        for (int x = 0; x < c.Width; ++x) {
            const std::uint8_t* p = &picture[(static_cast<std::size_t>(row) * c.Width + x) * 3];
            ASSERT_EQ(image.pixel(x, y), qRgb(p[2], p[1], p[0])) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Frames, BmpSizes,
                         ::testing::Values(SizeCase{752, 480, 2256}, SizeCase{751, 479, 2256},
                                           SizeCase{1, 1, 4}, SizeCase{2, 3, 8}),
                         [](const auto& info) {
                             return std::to_string(info.param.Width) + "x" +
                                    std::to_string(info.param.Height);
                         });

TEST(BmpWriter, AFailedFileIsRemovedAndTheErrorNamesIt) {
    TempFolder folder;
    const auto picture = MakePicture(751, 479);
    const std::string missing = folder.File("gone/A.BMP");
    const Status refused = SaveBmpFile(missing, picture.data(), 751, 479);
    EXPECT_TRUE(refused.Failed());
    EXPECT_EQ(refused.Message(), "Cannot create " + missing + ": No such file or directory");

    const std::string path = folder.File("CAPTURE_00003.BMP");
    const test::LimitedRun run = test::RunWithFileSizeLimit(500'000, [&] {
        const Status saved = SaveBmpFile(path, picture.data(), 751, 479);
        return (saved.Ok() ? "ok|" : "failed|") + saved.Message();
    });
    ASSERT_TRUE(run.Exited) << run.Report;
    EXPECT_EQ(run.Report, "failed|Cannot write " + path + ": File too large");
    EXPECT_NE(::access(path.c_str(), F_OK), 0) << "a partial BMP file was left behind";
}

} // namespace
} // namespace orbicap

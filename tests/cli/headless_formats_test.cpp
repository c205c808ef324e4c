// orbicap-record writing AVI, FIT and BMP, read back by real readers.
#include "tests/support/DecodedPictures.h"
#include "tests/support/SimCamera.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace orbicap {
namespace {

int Record(const QStringList& args, QString* err = nullptr) {
    QProcess p;
    p.start(QStringLiteral(ORBICAP_BIN_DIR "/orbicap-record"), args);
    p.waitForFinished(60000);
    if (err)
        *err = QString::fromLocal8Bit(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QString Tool(const QStringList& command) {
    QProcess p;
    p.start(command.first(), command.mid(1));
    p.waitForFinished(60000);
    return QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
}

class HeadlessFormats : public ::testing::Test {
protected:
    void SetUp() override { test::SimKnobs{}.Apply(); }
    QString Base() const { return dir.path() + "/CAPTURE"; }
    QStringList Files(const char* pattern) const {
        return QDir(dir.path()).entryList({QString::fromLatin1(pattern)}, QDir::Files, QDir::Name);
    }
    // Every FIT file in the folder passes fitsverify without a warning.
    void ExpectFitsverifyClean() const {
        const QString fitsverify = QStandardPaths::findExecutable("fitsverify");
        if (fitsverify.isEmpty())
            GTEST_SKIP() << "fitsverify is not installed";
        for (const QString& f : Files("*.FIT")) {
            const QString report = Tool({fitsverify, dir.filePath(f)});
            EXPECT_TRUE(report.contains("found 0 warning(s) and 0 error(s)"))
                << report.toStdString();
        }
    }
    QTemporaryDir dir;
};

// The stamp box as drawn on a 24-bit frame: a black outline from (10, 8) and
// text pixels inside it. Returns the box size, or an empty size when the
// corner holds no box (the simulated sky is never pure black).
QSize StampBox(const QImage& picture) {
    auto black = [&](int x, int y) { return (picture.pixel(x, y) & 0xFFFFFF) == 0; };
    int w = 0, h = 0;
    while (10 + w < picture.width() && black(10 + w, 8))
        ++w;
    while (8 + h < picture.height() && black(10, 8 + h))
        ++h;
    if (w < 4 || h < 4 || black(10 + w, 8) || black(9, 9))
        return {};
    int text = 0;
    for (int y = 9; y < 8 + h - 1; ++y)
        for (int x = 11; x < 10 + w - 1; ++x)
            text += qGray(picture.pixel(x, y)) >= 200;
    return text >= 20 ? QSize(w, h) : QSize();
}

TEST_F(HeadlessFormats, OverlayStampsAviAndBmpFrames) {
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        GTEST_SKIP() << "ffmpeg is not installed";
    struct Case {
        const char* format;
        const char* pattern;
        int frames;
    };
    for (const Case c : {Case{"avi", "*.AVI", 4}, Case{"bmp", "*.BMP", 2}}) {
        for (const bool overlay : {true, false}) {
            SCOPED_TRACE(std::string(c.format) + (overlay ? " with" : " without") + " overlay");
            QTemporaryDir out;
            QString err;
            QStringList args{"--out",    out.path() + "/CAPTURE",   "--format",   c.format,
                             "--frames", QString::number(c.frames), "--exposure", "1"};
            if (overlay)
                args << "--overlay";
            ASSERT_EQ(Record(args, &err), 0) << err.toStdString();
            std::vector<QImage> pictures;
            for (const QString& f :
                 QDir(out.path()).entryList({c.pattern}, QDir::Files, QDir::Name))
                for (const QImage& picture : test::DecodePictures(out.filePath(f), 752, 480))
                    pictures.push_back(picture);
            ASSERT_EQ(pictures.size(), std::size_t(c.frames));
            for (const QImage& picture : pictures) {
                const QSize box = StampBox(picture);
                if (overlay) {
                    // A date and time with milliseconds in a 12-point font.
                    EXPECT_GT(box.width(), 100);
                    EXPECT_GT(box.height(), 10);
                    EXPECT_LT(box.height(), 60);
                } else {
                    EXPECT_TRUE(box.isEmpty());
                }
            }
            // The stamp leaves the frame's own pixels below it alone.
            for (std::size_t i = 1; i < pictures.size(); ++i)
                EXPECT_EQ(test::PictureStamp(pictures[i]), test::PictureStamp(pictures[i - 1]) + 1);
        }
    }
}

TEST_F(HeadlessFormats, AviPartsReadBackWithTheirSizeAndFrames) {
    const QString ffprobe = QStandardPaths::findExecutable("ffprobe");
    if (ffprobe.isEmpty())
        GTEST_SKIP() << "ffprobe is not installed";
    struct Case {
        QStringList extra;
        const char* expected;
    };
    const Case cases[] = {
        {{}, "752,480,bgr24,6"},
        {{"--color"}, "751,479,bgr24,6"},
        {{"--resolution", "400x400", "--ten-bit"}, "400,400,bgr24,6"},
    };
    int number = 0;
    for (const Case& c : cases) {
        QString err;
        ASSERT_EQ(Record(QStringList{"--out", Base(), "--format", "avi", "--frames", "6",
                                     "--exposure", "1"} +
                             c.extra,
                         &err),
                  0)
            << err.toStdString();
        const QString part =
            Base() + QStringLiteral("_%1-PART1.AVI").arg(number++, 5, 10, QChar('0'));
        EXPECT_TRUE(err.contains("Recording " + part + "\n")) << err.toStdString();
        EXPECT_EQ(Tool({ffprobe, "-v", "error", "-count_frames", "-show_entries",
                        "stream=width,height,pix_fmt,nb_read_frames", "-of", "csv=p=0", part})
                      .trimmed(),
                  c.expected)
            << c.extra.join(' ').toStdString();
    }
    EXPECT_TRUE(Files("*.AVI").filter("PART2").isEmpty());
}

TEST_F(HeadlessFormats, FitsFilesPassFitsverify) {
    QString err;
    ASSERT_EQ(Record({"--out", Base(), "--format", "fit", "--frames", "3", "--exposure", "1",
                      "--ten-bit"},
                     &err),
              0)
        << err.toStdString();
    ASSERT_EQ(Files("*.FIT"),
              (QStringList{"CAPTURE_00000.FIT", "CAPTURE_00001.FIT", "CAPTURE_00002.FIT"}));
    for (const QString& f : Files("*.FIT"))
        EXPECT_EQ(QFileInfo(dir.filePath(f)).size(), 2880 + 721920 + 960);
    ExpectFitsverifyClean();
}

TEST_F(HeadlessFormats, FitsKeywordsFillBlankCardsOfTheOneHeaderBlock) {
    QString err;
    ASSERT_EQ(Record({"--out", Base(), "--format", "fit", "--frames", "2", "--exposure", "25",
                      "--gain", "40", "--fits-keywords"},
                     &err),
              0)
        << err.toStdString();
    ASSERT_EQ(Files("*.FIT"), (QStringList{"CAPTURE_00000.FIT", "CAPTURE_00001.FIT"}));
    QStringList dates;
    for (const QString& f : Files("*.FIT")) {
        QFile file(dir.filePath(f));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.size(), 365'760);
        const QByteArray header = file.read(2880);
        EXPECT_EQ(header.mid(7 * 80, 11), "DATE-OBS= '");
        dates << QString::fromLatin1(header.mid(7 * 80 + 11, 23));
        EXPECT_EQ(header.mid(8 * 80, 30), "EXPTIME =                0.025");
        EXPECT_EQ(header.mid(9 * 80, 30), "GAIN    =                   40");
        EXPECT_EQ(header.mid(10 * 80, 24), "INSTRUME= 'QHY5V Camera'");
        EXPECT_EQ(header.mid(11 * 80, 23), "SWCREATE= 'Orbicap 1.3'");
        EXPECT_EQ(header.mid(12 * 80, 80), "END" + QByteArray(77, ' '));
    }
    EXPECT_LT(dates[0], dates[1]) << dates.join(' ').toStdString();
    ExpectFitsverifyClean();
}

TEST_F(HeadlessFormats, ColourFitsAreThreePlanes) {
    ASSERT_EQ(
        Record({"--out", Base(), "--format", "fit", "--frames", "2", "--exposure", "1", "--color"}),
        0);
    const QStringList files = Files("*.FIT");
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(QFileInfo(dir.filePath(files[0])).size(), 2880 + 1080624 + 2256);
}

TEST_F(HeadlessFormats, BmpFilesOfMonoAndColourFrames) {
    ASSERT_EQ(Record({"--out", Base(), "--format", "bmp", "--frames", "2", "--exposure", "1"}), 0);
    QStringList files = Files("*.BMP");
    ASSERT_EQ(files.size(), 2);
    QImage mono(dir.filePath(files[0]));
    EXPECT_EQ(mono.size(), QSize(752, 480));
    EXPECT_EQ(QFileInfo(dir.filePath(files[0])).size(), 54 + 752 * 480 * 3);
    ASSERT_EQ(
        Record({"--out", Base(), "--format", "bmp", "--frames", "1", "--exposure", "1", "--color"}),
        0);
    files = Files("*.BMP");
    ASSERT_EQ(files.size(), 3);
    EXPECT_EQ(QImage(dir.filePath(files[2])).size(), QSize(751, 479));
    EXPECT_EQ(QFileInfo(dir.filePath(files[2])).size(), 54 + (751 * 3 + 3) * 479);
}

TEST_F(HeadlessFormats, AnUncreatableBmpEndsTheRecordingWithAMessage) {
    QFile blocker(dir.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString err;
    EXPECT_EQ(Record({"--out", dir.path() + "/file/CAPTURE", "--format", "bmp", "--frames", "2",
                      "--exposure", "1"},
                     &err),
              1);
    EXPECT_TRUE(err.contains(dir.path() + "/file/CAPTURE_00000.BMP")) << err.toStdString();
}

} // namespace
} // namespace orbicap

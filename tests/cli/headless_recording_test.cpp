// orbicap-record run as a user runs it, on the simulator with frame stamps.
#include "tests/support/SerFile.h"
#include "tests/support/SimCamera.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>
#include <csignal>

namespace orbicap {
namespace {

struct ProcessRun {
    int Exit = -1;
    QString Out, Err;
};

QString Recorder() {
    return QStringLiteral(ORBICAP_BIN_DIR "/orbicap-record");
}

ProcessRun Record(const QStringList& args, const QString& shellPrefix = {}, int timeoutMs = 60000) {
    QProcess p;
    if (shellPrefix.isEmpty()) {
        p.start(Recorder(), args);
    } else {
        QStringList quoted;
        for (const QString& a : args)
            quoted << "'" + a + "'";
        p.start("/bin/sh", {"-c", shellPrefix + " exec '" + Recorder() + "' " + quoted.join(' ')});
    }
    p.waitForFinished(timeoutMs);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

class HeadlessRecording : public ::testing::Test {
protected:
    void SetUp() override {
        test::SimKnobs{}.Apply();
        ASSERT_TRUE(dir.isValid());
    }
    QString Base() const { return dir.path() + "/CAPTURE"; }
    QTemporaryDir dir;
};

TEST_F(HeadlessRecording, WritesNumberedSerFilesWithEveryFrame) {
    const ProcessRun first = Record({"--out", Base(), "--frames", "200", "--exposure", "1"});
    ASSERT_EQ(first.Exit, 0) << first.Err.toStdString();
    const QString file0 = Base() + "_00000.SER";
    EXPECT_TRUE(first.Out.contains(file0));
    EXPECT_TRUE(first.Out.contains(
        QRegularExpression(R"(Last Capture Duration: \d+\.\d s FPS: \d+\.\d Frames: 200)")))
        << first.Out.toStdString();
    const test::SerFile ser(file0.toStdString());
    ASSERT_TRUE(ser.Ok);
    EXPECT_EQ(ser.FrameCount, 200);
    EXPECT_EQ(ser.Size, 178u + 200u * 360960u + 200u * 8u);
    EXPECT_TRUE(ser.StampsConsecutive());
    EXPECT_EQ(ser.Times.size(), 200u);
    EXPECT_TRUE(ser.TimesRise());

    const ProcessRun second = Record({"--out", Base(), "--frames", "2", "--exposure", "1"});
    ASSERT_EQ(second.Exit, 0) << second.Err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(Base() + "_00001.SER"));
}

TEST_F(HeadlessRecording, SecondsAndTenBitAndSubframe) {
    const ProcessRun r = Record({"--out", Base(), "--seconds", "2", "--exposure", "20", "--ten-bit",
                                 "--resolution", "376x240"});
    ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
    const test::SerFile ser((Base() + "_00000.SER").toStdString());
    ASSERT_TRUE(ser.Ok);
    EXPECT_EQ(ser.Width, 376);
    EXPECT_EQ(ser.Height, 240);
    EXPECT_EQ(ser.Depth, 16);
    EXPECT_GT(ser.FrameCount, 20); // about 50 frames in 2 s of 20 ms exposures
    EXPECT_LT(ser.FrameCount, 110);
    EXPECT_TRUE(ser.StampsConsecutive());
    EXPECT_EQ(ser.Size, 178u + ser.FrameCount * (180480u + 8u));
}

TEST_F(HeadlessRecording, ZeroSecondsStoresNothingButAWellFormedFile) {
    const ProcessRun r = Record({"--out", Base(), "--seconds", "0"});
    ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
    const test::SerFile ser((Base() + "_00000.SER").toStdString());
    EXPECT_TRUE(ser.Ok);
    EXPECT_EQ(ser.FrameCount, 0);
    EXPECT_EQ(ser.Size, 178u);
    EXPECT_TRUE(r.Out.contains("FPS: 0.0 Frames: 0"));
}

// Starts orbicap-record and collects its standard error until it says text
// (or ends).
QByteArray StartAndWaitFor(QProcess& p, const QStringList& args, const QByteArray& text) {
    p.start(Recorder(), args);
    QByteArray said;
    if (!p.waitForStarted())
        return said;
    while (!said.contains(text) && p.state() == QProcess::Running) {
        p.waitForReadyRead(100);
        said += p.readAllStandardError();
    }
    return said;
}

TEST_F(HeadlessRecording, InterruptEndsTheRecordingWithACompleteFile) {
    QProcess p;
    // Once the recording runs, let it record for a while, then stop it as
    // Ctrl+C would.
    const QByteArray said =
        StartAndWaitFor(p, {"--out", Base(), "--frames", "0", "--exposure", "5"}, "Recording ");
    ASSERT_TRUE(said.contains("Recording ")) << said.toStdString();
    // Some frames on disk first; how long they take is up to the machine
    // (seconds under a sanitizer with other builds running).
    const QString file = Base() + "_00000.SER";
    QElapsedTimer waited;
    waited.start();
    while (QFileInfo(file).size() < 178 + 6 * 360960 && p.state() == QProcess::Running &&
           waited.elapsed() < 120000)
        p.waitForFinished(50);
    ASSERT_EQ(p.state(), QProcess::Running) << p.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 0) << (said + p.readAllStandardError()).toStdString();
    const test::SerFile ser((Base() + "_00000.SER").toStdString());
    ASSERT_TRUE(ser.Ok);
    EXPECT_GT(ser.FrameCount, 5);
    EXPECT_TRUE(ser.StampsConsecutive());
    EXPECT_EQ(ser.Size, 178u + ser.FrameCount * (360960u + 8u));
}

QString LogValue(const QString& path, const QString& key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("<no log>");
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith(key.toLatin1() + '='))
            return QString::fromUtf8(line.mid(key.size() + 1));
    return QStringLiteral("<no %1>").arg(key);
}

TEST_F(HeadlessRecording, CaptureLogBesideEachRecordingUnlessSwitchedOff) {
    const ProcessRun r = Record({"--out", Base(), "--frames", "4", "--exposure", "30"});
    ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
    const QString log = Base() + "_00000.txt";
    EXPECT_EQ(LogValue(log, "frames"), "4");
    EXPECT_EQ(LogValue(log, "format"), "SER");
    EXPECT_EQ(LogValue(log, "camera"), "QHY5V Camera");
    EXPECT_EQ(LogValue(log, "exposure_ms"), "30");
    EXPECT_EQ(LogValue(log, "ended"), "limit reached");
    EXPECT_FALSE(LogValue(log, "driver").isEmpty());
    // The times are UTC with milliseconds; the mid-time lies halfway and the
    // duration is their span.
    auto time = [&](const char* key) {
        return QDateTime::fromString(LogValue(log, key), Qt::ISODateWithMs);
    };
    const QDateTime start = time("start_utc"), mid = time("mid_utc"), end = time("end_utc");
    ASSERT_TRUE(start.isValid() && mid.isValid() && end.isValid());
    EXPECT_EQ(start.timeSpec(), Qt::UTC);
    EXPECT_GT(end, start);
    EXPECT_LE(std::abs(start.msecsTo(mid) - mid.msecsTo(end)), 1);
    EXPECT_EQ(std::lround(LogValue(log, "duration_s").toDouble() * 1000), start.msecsTo(end));

    const ProcessRun quiet =
        Record({"--out", Base(), "--frames", "2", "--exposure", "1", "--no-log"});
    ASSERT_EQ(quiet.Exit, 0) << quiet.Err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(Base() + "_00001.SER"));
    EXPECT_EQ(QDir(dir.path()).entryList({"*.txt"}), QStringList{"CAPTURE_00000.txt"});
}

TEST_F(HeadlessRecording, SigtermCompletesTheFileAndItsLog) {
    QProcess p;
    const QByteArray said =
        StartAndWaitFor(p, {"--out", Base(), "--frames", "0", "--exposure", "5"}, " queued");
    // The progress line names the free space of the folder.
    ASSERT_TRUE(said.contains(", Disk: ")) << said.toStdString();
    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 0) << (said + p.readAllStandardError()).toStdString();
    const test::SerFile ser((Base() + "_00000.SER").toStdString());
    ASSERT_TRUE(ser.Ok);
    const QString log = Base() + "_00000.txt";
    EXPECT_EQ(LogValue(log, "ended"), "cancelled");
    EXPECT_EQ(LogValue(log, "frames"), QString::number(ser.FrameCount));
}

TEST_F(HeadlessRecording, BadArgumentsExitWithUsageAndWriteNothing) {
    for (const QStringList& args :
         {QStringList{"--frames", "3"}, QStringList{"--out", dir.path() + "/"},
          QStringList{"--out", dir.path()},
          QStringList{"--out", dir.path() + "/" + QString(300, 'a')}}) {
        const ProcessRun r = Record(args);
        EXPECT_EQ(r.Exit, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.Err.contains("Usage: orbicap-record")) << r.Err.toStdString();
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(HeadlessRecording, UnwritableFolderFailsTheStart) {
    // A folder below a regular file cannot exist, whoever runs the test.
    QFile blocker(dir.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const ProcessRun r = Record({"--out", dir.path() + "/file/CAPTURE", "--frames", "3"});
    EXPECT_EQ(r.Exit, 1);
    EXPECT_TRUE(r.Err.contains("Error opening AVI/SER file")) << r.Err.toStdString();
}

TEST_F(HeadlessRecording, FullDiskEndsWithAMessageAndAWellFormedFile) {
    // A file-size limit of about 3 MB stands in for a full disk.
    const ProcessRun r =
        Record({"--out", Base(), "--frames", "50", "--exposure", "1"}, "ulimit -f 3000;");
    EXPECT_EQ(r.Exit, 1);
    EXPECT_TRUE(r.Err.contains(Base() + "_00000.SER")) << r.Err.toStdString();
    const test::SerFile ser((Base() + "_00000.SER").toStdString());
    ASSERT_TRUE(ser.Ok);
    EXPECT_GT(ser.FrameCount, 0);
    EXPECT_LT(ser.FrameCount, 50);
    EXPECT_TRUE(ser.StampsConsecutive());
    // Frames in the file match the count in its header.
    EXPECT_GE(ser.Size, 178u + ser.FrameCount * 360960u);
    EXPECT_TRUE(r.Out.contains(QStringLiteral("Frames: %1").arg(ser.FrameCount)))
        << r.Out.toStdString();
}

TEST_F(HeadlessRecording, StalledCameraEndsWithAMessage) {
    setenv("ORBICAP_SIM_STALL_AFTER", "30", 1);
    const ProcessRun r =
        Record({"--out", Base(), "--frames", "100", "--exposure", "10"}, {}, 30000);
    unsetenv("ORBICAP_SIM_STALL_AFTER");
    EXPECT_EQ(r.Exit, 1);
    EXPECT_TRUE(r.Err.contains("The camera stopped delivering frames")) << r.Err.toStdString();
    const test::SerFile ser((Base() + "_00000.SER").toStdString());
    ASSERT_TRUE(ser.Ok);
    EXPECT_GT(ser.FrameCount, 0);
    EXPECT_LE(ser.FrameCount, 30);
    EXPECT_TRUE(ser.StampsConsecutive());
    EXPECT_EQ(ser.Size, 178u + ser.FrameCount * (360960u + 8u));
}

TEST_F(HeadlessRecording, FfprobeReadsTheSerFile) {
    const QString ffprobe = QStandardPaths::findExecutable("ffprobe");
    if (ffprobe.isEmpty())
        GTEST_SKIP() << "ffprobe is not installed";
    ASSERT_EQ(Record({"--out", Base(), "--frames", "7", "--exposure", "1"}).Exit, 0);
    QProcess p;
    p.start(ffprobe,
            {"-v", "error", "-count_frames", "-show_entries", "stream=width,height,nb_read_frames",
             "-of", "csv=p=0", Base() + "_00000.SER"});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(QString::fromLatin1(p.readAllStandardOutput()).trimmed(), "752,480,7");
}

} // namespace
} // namespace orbicap

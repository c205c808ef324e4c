// orbicap-record run as a user runs it, on the simulator with frame stamps.
#include "tests/support/SerFile.h"
#include "tests/support/SimCamera.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

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

TEST_F(HeadlessRecording, InterruptEndsTheRecordingWithACompleteFile) {
    QProcess p;
    p.start(Recorder(), {"--out", Base(), "--frames", "0", "--exposure", "5"});
    ASSERT_TRUE(p.waitForStarted());
    // Once the recording runs, let it record for a while, then stop it as
    // Ctrl+C would.
    QByteArray said;
    while (!said.contains("Recording ") && p.state() == QProcess::Running) {
        p.waitForReadyRead(100);
        said += p.readAllStandardError();
    }
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

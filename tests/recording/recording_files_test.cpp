// What a recording leaves beside its frames (the capture log) and how it
// watches the disk, driven step by step with a manual clock, a fixed
// free-space source and frames put into the queue by hand.
#include "avi/AviLayer.h"
#include "platform/SystemInfo.h"
#include "recording/AVIExport.h"
#include "recording/CaptureLog.h"
#include "recording/DiskSpace.h"
#include "recording/RecordingControl.h"
#include "recording/UtcTime.h"
#include "tests/recording/RecorderRig.h"
#include "tests/recording/WriterTestSupport.h"

#include "tests/support/StatusCheck.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <utility>
#include <vector>

namespace orbicap {
namespace {

using Lines = std::vector<std::pair<std::string, std::string>>;

Lines ReadLog(const QString& path) {
    QFile file(path);
    Lines lines;
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        const qsizetype eq = line.indexOf('=');
        lines.emplace_back(line.left(eq).toStdString(), line.mid(eq + 1).toStdString());
    }
    return lines;
}

std::string Value(const Lines& lines, const std::string& key) {
    for (const auto& [k, v] : lines)
        if (k == key)
            return v;
    return "<missing " + key + ">";
}

class FeedbackView : public RecorderView {
public:
    std::vector<QString> Info, Errors, Warnings;
    void SetProgressText(const QString&) override {}
    void SetInfoText(const QString& t) override { Info.push_back(t); }
    void RecordingStarted() override {}
    void RecordingEnded() override {}
    void ShowLastCapture(double, double, int) override {}
    void ReportError(const QString& m) override { Errors.push_back(m); }
    void ReportWarning(const QString& m) override { Warnings.push_back(m); }
};

// 2026-12-10 21:00:00.000 local time as a day count.
constexpr double kFirstStamp = 46'366.875;
constexpr double kMsPerDay = 86'400'000.0;
constexpr int kExposureMs = 40;
constexpr int kWidth = 16, kHeight = 8;

class RecordingFilesTest : public ::testing::Test, protected test::RecorderRig<FeedbackView> {
protected:
    void SetUp() override {
        capture.CaptureWidth = kWidth;
        capture.CaptureHeight = kHeight;
        capture.Gain = 23;
        recorder.FreeDiskSpace = [this](const std::string& folder) {
            asked.push_back(folder);
            return freeBytes;
        };
        recorder.Setup.Model = "QHY5V Camera";
        recorder.Setup.DigitalGain = "2x";
        recorder.Setup.AdcReference = "1.3V";
        recorder.Setup.VerticalFlip = true;
    }
    QString Name() const { return dir.path() + "/CAPTURE"; }
    Status Start(int format, const QString& count, bool seconds = false) {
        control.SetRecordFormat(format);
        const CountSetting setting{count, seconds};
        return format == kFormatSER || format == kFormatAVI
                   ? control.StartVideo(Name(), kExposureMs, setting)
                   : control.StartStills(Name(), kExposureMs, setting);
    }
    // One frame every 100 ms of capture time and of tick time.
    void Step() {
        auto f = NewFrame(kWidth, kHeight, "", false);
        std::fill_n(f->Data.get(), kWidth * kHeight, static_cast<std::uint8_t>(next * 9));
        f->TimeStamp = kFirstStamp + next * 100 / kMsPerDay;
        ++next;
        queue.AppendFrame(std::move(f));
        clock.Advance(100);
        recorder.RecordStep();
    }
    std::int64_t UtcMsOfFrame(int i) const {
        return UtcMsFromLocalDayCount(kFirstStamp + i * 100 / kMsPerDay, UtcOffset100ns());
    }

    std::optional<std::uint64_t> freeBytes = 100'000'000'000ull;
    std::vector<std::string> asked;
    int next = 0;
};

struct FormatCase {
    int Format;
    const char* Name;
    const char* FirstFile; // what the log sits beside
};

class CaptureLogOfEveryFormat : public RecordingFilesTest,
                                public ::testing::WithParamInterface<FormatCase> {};

TEST_P(CaptureLogOfEveryFormat, HoldsEveryKeyAndTheTimesOfItsFrames) {
    const FormatCase& c = GetParam();
    ASSERT_TRUE(test::Succeeded(Start(c.Format, "3")));
    for (int i = 0; i < 4; ++i)
        Step();
    ASSERT_FALSE(recorder.IsRecording());
    ASSERT_EQ(recorder.FilesWritten().front(), (Name() + c.FirstFile).toStdString());

    const Lines log = ReadLog(Name() + "_00000.txt");
    std::vector<std::string> keys;
    for (const auto& line : log)
        keys.push_back(line.first);
    const std::vector<std::string> expected = {
        "program",       "version",      "driver",        "camera",
        "resolution",    "depth",        "colour",        "exposure_ms",
        "gain",          "digital_gain", "adc_reference", "flip_horizontal",
        "flip_vertical", "format",       "frames",        "start_utc",
        "mid_utc",       "end_utc",      "duration_s",    "fps",
        "queue_peak",    "ended"};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(Value(log, "program"), "Orbicap");
    EXPECT_EQ(Value(log, "camera"), "QHY5V Camera");
    EXPECT_EQ(Value(log, "resolution"), "16x8");
    EXPECT_EQ(Value(log, "depth"), "8");
    EXPECT_EQ(Value(log, "colour"), "no");
    EXPECT_EQ(Value(log, "exposure_ms"), "40");
    EXPECT_EQ(Value(log, "gain"), "23");
    EXPECT_EQ(Value(log, "digital_gain"), "2x");
    EXPECT_EQ(Value(log, "adc_reference"), "1.3V");
    EXPECT_EQ(Value(log, "flip_horizontal"), "no");
    EXPECT_EQ(Value(log, "flip_vertical"), "yes");
    EXPECT_EQ(Value(log, "format"), c.Name);
    EXPECT_EQ(Value(log, "frames"), "3");
    EXPECT_EQ(Value(log, "queue_peak"), "1");
    EXPECT_EQ(Value(log, "ended"), "limit reached");
    // From the start of the first frame's exposure to the end of the third's:
    // 200 ms between their starts and one exposure of 40 ms.
    const std::int64_t start = UtcMsOfFrame(0);
    EXPECT_EQ(Value(log, "start_utc"), IsoUtc(start, true));
    EXPECT_EQ(Value(log, "end_utc"), IsoUtc(start + 240, true));
    EXPECT_EQ(Value(log, "mid_utc"), IsoUtc(start + 120, true));
    EXPECT_EQ(Value(log, "duration_s"), "0.240");
    EXPECT_EQ(Value(log, "fps"), "12.50");
    EXPECT_EQ(Value(log, "start_utc").size(), 24u); // 2026-12-10T20:00:00.000Z
    EXPECT_EQ(Value(log, "start_utc").back(), 'Z');
}

INSTANTIATE_TEST_SUITE_P(Formats, CaptureLogOfEveryFormat,
                         ::testing::Values(FormatCase{kFormatSER, "SER", "_00000.SER"},
                                           FormatCase{kFormatAVI, "AVI", "_00000-PART1.AVI"},
                                           FormatCase{kFormatFIT, "FIT", "_00000.FIT"},
                                           FormatCase{kFormatBMP, "BMP", "_00000.BMP"}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(RecordingFilesTest, TheGainNamedIsTheOneTheCameraKeptWhileRecording) {
    // The camera is not reprogrammed while recording, so a slider moved
    // meanwhile changes nothing the frames were taken with.
    recorder.FitsObservationKeywords = true;
    ASSERT_TRUE(test::Succeeded(Start(kFormatFIT, "2")));
    Step();
    capture.Gain = 80;
    Step();
    Step(); // the step after the last frame ends the recording
    ASSERT_FALSE(recorder.IsRecording());
    EXPECT_EQ(Value(ReadLog(Name() + "_00000.txt"), "gain"), "23");
    ASSERT_EQ(recorder.FilesWritten().size(), 2u);
    QFile second(QString::fromStdString(recorder.FilesWritten().back()));
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    const QByteArray header = second.read(2880);
    const qsizetype card = header.indexOf("GAIN    =");
    ASSERT_GE(card, 0);
    EXPECT_EQ(header.mid(card + 10, 20).trimmed(), "23");
}

TEST_F(RecordingFilesTest, AFileThatCannotBeFinishedAtTheProgramsEndIsReported) {
    ASSERT_TRUE(test::Succeeded(Start(kFormatSER, "0")));
    Step();
    ASSERT_TRUE(QFile::remove(Name() + "_00000.SER"));
    recorder.FinishRecording();
    EXPECT_FALSE(recorder.IsRecording());
    ASSERT_EQ(view.Errors.size(), 1u);
    EXPECT_TRUE(view.Errors[0].contains("was removed while recording"))
        << view.Errors[0].toStdString();
}

TEST_F(RecordingFilesTest, CancelAndErrorsAreWhatTheLogSaysEndedIt) {
    ASSERT_TRUE(test::Succeeded(Start(kFormatSER, "0")));
    Step();
    Step();
    control.Cancel();
    Step();
    ASSERT_FALSE(recorder.IsRecording());
    EXPECT_EQ(Value(ReadLog(Name() + "_00000.txt"), "ended"), "cancelled");
    EXPECT_EQ(Value(ReadLog(Name() + "_00000.txt"), "frames"), "2");

    // The next recording is not a cancelled one any more, and an error's
    // message is what ended it.
    ASSERT_TRUE(test::Succeeded(Start(kFormatSER, "5")));
    Step();
    recorder.Abort("The camera stopped delivering frames.");
    const Lines log = ReadLog(Name() + "_00001.txt");
    EXPECT_EQ(Value(log, "ended"), "The camera stopped delivering frames.");
    EXPECT_EQ(Value(log, "frames"), "1");

    // The program ending in the middle (window closed, a signal) cancels it.
    ASSERT_TRUE(test::Succeeded(Start(kFormatSER, "5")));
    Step();
    recorder.FinishRecording();
    EXPECT_EQ(Value(ReadLog(Name() + "_00002.txt"), "ended"), "cancelled");
}

TEST_F(RecordingFilesTest, AWriteErrorEndsTheRecordingWithAWholeLog) {
    // The SER file may grow to its header and eight frames, as on a full
    // disk; the log is smaller than that and still fits.
    const std::uint64_t limit = 178 + 8 * kWidth * kHeight;
    const test::LimitedRun run = test::RunWithFileSizeLimit(limit, [&] {
        if (Start(kFormatSER, "10").Failed())
            return std::string("no start");
        for (int i = 0; i < 12 && recorder.IsRecording(); ++i)
            Step();
        const Lines log = ReadLog(Name() + "_00000.txt");
        return Value(log, "frames") + "|" + Value(log, "ended");
    });
    ASSERT_TRUE(run.Exited) << run.Report;
    EXPECT_EQ(run.Report, "8|Cannot write " + Name().toStdString() + "_00000.SER: File too large");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) // the SER file and its log
        << QDir(dir.path()).entryList(QDir::Files).join(' ').toStdString();
}

TEST_F(RecordingFilesTest, NoLogWhenSwitchedOff) {
    recorder.WriteCaptureLog = false;
    ASSERT_TRUE(test::Succeeded(Start(kFormatSER, "1")));
    Step();
    Step();
    ASSERT_FALSE(recorder.IsRecording());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"CAPTURE_00000.SER"});
}

TEST_F(RecordingFilesTest, LogsCountForNoNumberAndReplaceNoOtherLog) {
    for (const char* name : {"/CAPTURE_00000.txt", "/CAPTURE_00001.txt"}) {
        QFile f(dir.path() + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("someone else's\n");
    }
    ASSERT_TRUE(test::Succeeded(Start(kFormatSER, "1")));
    Step();
    Step();
    EXPECT_EQ(recorder.FilesWritten().front(), (Name() + "_00000.SER").toStdString());
    ASSERT_TRUE(test::Succeeded(Start(kFormatFIT, "1")));
    Step();
    Step();
    EXPECT_EQ(recorder.FilesWritten().front(), (Name() + "_00000.FIT").toStdString());
    QFile kept(dir.path() + "/CAPTURE_00000.txt");
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "someone else's\n");
    EXPECT_EQ(Value(ReadLog(Name() + "_00000-2.txt"), "format"), "SER");
    EXPECT_EQ(Value(ReadLog(Name() + "_00000-3.txt"), "format"), "FIT");
}

TEST(CaptureLogFile, NamesAndAFailedWriteLeavesNothing) {
    const test::TempFolder folder;
    EXPECT_EQ(CaptureLogPath(folder.File("JUP_00003-PART1.AVI")), folder.File("JUP_00003.txt"));
    EXPECT_EQ(CaptureLogPath(folder.File("JUP_00003.SER")), folder.File("JUP_00003.txt"));
    EXPECT_EQ(CaptureLogPath(folder.File("MY-PARTY_00017.FIT")), folder.File("MY-PARTY_00017.txt"));

    const std::string missing = folder.File("gone/JUP_00003.txt");
    const Status refused = WriteCaptureLogFile(missing, "a=b\n");
    EXPECT_TRUE(refused.Failed());
    EXPECT_NE(refused.Message().find(missing), std::string::npos) << refused.Message();
    const Status written = WriteCaptureLogFile(folder.File("JUP_00004.txt"), "a=b\n");
    EXPECT_TRUE(written.Ok()) << written.Message();
    // Written under a temporary name and renamed: nothing else is left.
    EXPECT_EQ(QDir(QString::fromStdString(folder.Path())).entryList(QDir::Files | QDir::Hidden),
              QStringList{"JUP_00004.txt"});
}

TEST(DiskSpace, TextsAndFrameSizes) {
    EXPECT_EQ(DiskSpaceText(41'234'000'000ull, 38.9 * 60), "Disk: 41.2 GB free, 38 min");
    EXPECT_EQ(DiskSpaceText(850'400'000ull, std::nullopt), "Disk: 850 MB free");
    EXPECT_EQ(DiskSpaceText(2'000'000ull, 59.9), "Disk: 2 MB free, under 1 min");
    EXPECT_EQ(CaptureFolder("/data/obs/CAPTURE"), "/data/obs");
    EXPECT_EQ(CaptureFolder("/CAPTURE"), "/");
}

// The estimates the disk checks rest on, against the files the writers make:
// a one-frame recording is the first frame's need (AVI: within it, with the
// room the AVI layer keeps for closing still free), and a second frame adds
// one frame's bytes.
TEST_F(RecordingFilesTest, FrameSizesAreThoseOfTheFilesWritten) {
    struct Case {
        int Format;
        bool GreyAvi;
    };
    const auto sizeOf = [this](int format, const char* count) {
        EXPECT_TRUE(test::Succeeded(Start(format, count)));
        while (recorder.IsRecording())
            Step();
        return static_cast<std::uint64_t>(
            QFileInfo(QString::fromStdString(recorder.FilesWritten().front())).size());
    };
    for (const Case c : {Case{kFormatSER, false}, Case{kFormatAVI, false}, Case{kFormatAVI, true},
                         Case{kFormatFIT, false}, Case{kFormatBMP, false}}) {
        SCOPED_TRACE(testing::Message() << "format " << c.Format << (c.GreyAvi ? " grey" : ""));
        if (c.GreyAvi && !recorder.Avi().Layer().RawGreyAvailable())
            continue;
        recorder.Avi().Layer().UseAGRY(c.GreyAvi ? 1 : 0);
        const std::uint64_t first =
            FirstFrameBytes(c.Format, kWidth, kHeight, false, false, c.GreyAvi);
        const std::uint64_t one = sizeOf(c.Format, "1");
        if (c.Format == kFormatAVI) {
            EXPECT_GE(first, one + AviLayer::kCloseReserveBytes);
        } else {
            EXPECT_EQ(one, first);
        }
        if (c.Format == kFormatSER || c.Format == kFormatAVI) {
            EXPECT_EQ(sizeOf(c.Format, "2") - one,
                      FrameBytes(c.Format, kWidth, kHeight, false, false, c.GreyAvi));
        }
    }
}

TEST_F(RecordingFilesTest, AStartIsRefusedWhenTheFolderCannotHoldOneFrame) {
    const std::uint64_t serFirst = 178 + kWidth * kHeight + 8;
    freeBytes = serFirst - 1;
    const Status refused = Start(kFormatSER, "3");
    ASSERT_TRUE(refused.Failed());
    EXPECT_EQ(QString::fromStdString(refused.Message()),
              "Not enough free space in " + dir.path() + ": " + QString::number(serFirst - 1) +
                  " bytes free, one frame needs " + QString::number(serFirst) + " bytes.");
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_FALSE(capture.Recording);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_EQ(asked.back(), dir.path().toStdString());

    freeBytes = 2880 + 2880 - 1; // a FITS frame is a header block and a data block
    EXPECT_TRUE(Start(kFormatFIT, "3").Failed());
    freeBytes = serFirst;
    EXPECT_TRUE(test::Succeeded(Start(kFormatSER, "1")));
    EXPECT_TRUE(recorder.IsRecording());
}

TEST_F(RecordingFilesTest, TheInfoPanelShowsFreeSpaceAndMinutesAndWarnsOnce) {
    ASSERT_TRUE(test::Succeeded(Start(kFormatSER, "0")));
    // 136 bytes a frame, ten frames a second: 1,360 bytes a second.
    freeBytes = 1'360ull * 60 * 38 + 500;
    for (int i = 0; i < 12; ++i)
        Step();
    ASSERT_FALSE(view.Info.empty());
    EXPECT_TRUE(view.Info.back().startsWith("Disk: 3 MB free, 38 min; Queue: "))
        << view.Info.back().toStdString();
    EXPECT_EQ(recorder.DiskText(), "Disk: 3 MB free, 38 min");
    EXPECT_TRUE(view.Warnings.empty());

    freeBytes = 1'360ull * 59;
    for (int i = 0; i < 12; ++i)
        Step();
    ASSERT_EQ(view.Warnings.size(), 1u);
    EXPECT_EQ(view.Warnings[0], "Less than a minute of recording fits in " + dir.path() +
                                    ": 0 MB free, under 1 min.");
    EXPECT_TRUE(view.Errors.empty());
    EXPECT_TRUE(recorder.IsRecording()); // a warning, not the end
}

} // namespace
} // namespace orbicap

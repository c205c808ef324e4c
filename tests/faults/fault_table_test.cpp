// The fault table: orbicap-record on the simulator, a fault injected while it
// records, and the result read back with the readers the format tests use.
// Every case asserts that the frames stored before the fault are in the file
// with consecutive stamps, that the file is well-formed (its own count equals
// the frames in it, and FFmpeg or fitsverify read it without a complaint),
// and the message and exit code.
#include "tests/support/DecodedPictures.h"
#include "tests/support/SerFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

namespace orbicap {
namespace {

constexpr int kMonoFrameBytes = 752 * 480;

enum class Fault {
    Signal,        // the signal in Case::signal, once frames are stored
    FileSizeLimit, // ulimit -f 3000: the disk fills after a few frames
    SmallTmpfs,    // a real 4 MB file system that fills up
    NoRoomAtStart, // a full tmpfs (ulimit -f 0 where none can be mounted)
    FolderMoved,   // the folder is renamed away mid-recording
    FolderDeleted, // the folder is deleted with what it holds mid-recording
    FileDeleted,   // the SER or AVI file is deleted mid-recording
    FolderReadOnly,
    StallAtStart,     // the camera never delivers a frame
    StallAfterFrames, // the camera stops after 30 frames
    QueueBudget,      // the unpaced camera outruns the disk past --queue-limit 1
};

struct Case {
    const char* name;
    const char* format;
    Fault fault;
    int signal = 0;
    int exit = 0;           // -1: killed
    const char* message;    // expected in stderr; empty: nothing in particular
    bool framesKept = true; // frames stored before the fault must be readable
};

// What a recording left in its folder, read back by the real readers.
struct Stored {
    int FramesInFile = 0; // as a reader finds them
    int HeaderCount = 0;  // as the file's own header (or the file count) says
    std::vector<std::uint32_t> Stamps;
    QStringList Problems; // reader complaints, malformed structure
    QStringList Files;
};

QString Tool(const QStringList& command, QString* errors = nullptr) {
    QProcess p;
    p.start(command.first(), command.mid(1));
    p.waitForFinished(60000);
    if (errors)
        *errors = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

std::uint32_t U32(const QByteArray& b, qsizetype at) {
    std::uint32_t v = 0;
    if (at + 4 <= b.size())
        std::memcpy(&v, b.constData() + at, 4);
    return v;
}

void ReadSer(const QString& path, bool headerMayLag, Stored& s) {
    const test::SerFile ser(path.toStdString());
    if (!ser.Ok) {
        s.Problems << "not a readable SER file";
        return;
    }
    s.HeaderCount = ser.FrameCount;
    s.Stamps = ser.Stamps;
    const std::uint64_t frames = (ser.Size - 178) / kMonoFrameBytes;
    s.FramesInFile = int(frames);
    if (!headerMayLag && ser.Size != 178u + ser.FrameCount * (kMonoFrameBytes + 8u))
        s.Problems << QStringLiteral("size %1 is not header, %2 frames and their trailer")
                          .arg(ser.Size)
                          .arg(ser.FrameCount);
    if (!headerMayLag && !ser.TimesRise())
        s.Problems << "trailer times do not rise";
}

void ReadAvi(const QString& path, Stored& s) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray b = f.readAll();
    if (!b.startsWith("RIFF") || b.mid(24, 4) != "avih") {
        s.Problems << "no AVI header";
        return;
    }
    if (U32(b, 4) + 8u != std::uint32_t(b.size()))
        s.Problems
            << QStringLiteral("RIFF size %1 for a file of %2 bytes").arg(U32(b, 4)).arg(b.size());
    s.HeaderCount = int(U32(b, 48)); // avih dwTotalFrames
    // The index is the top-level chunk after the movi list.
    bool index = false;
    for (qsizetype at = 12; at + 8 <= b.size();) {
        const std::uint32_t size = U32(b, at + 4);
        if (b.mid(at, 4) == "idx1") {
            index = true;
            if (size != 16u * std::uint32_t(s.HeaderCount))
                s.Problems << QStringLiteral("index of %1 entries").arg(size / 16);
        }
        at += 8 + qsizetype(size) + (size & 1);
    }
    if (!index)
        s.Problems << "no index";
    QString errors;
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    if (!ffmpeg.isEmpty()) {
        Tool({ffmpeg, "-v", "error", "-i", path, "-f", "null", "-"}, &errors);
        if (!errors.isEmpty())
            s.Problems << "FFmpeg: " + errors;
    }
    const std::vector<QImage> pictures = test::DecodePictures(path, 752, 480);
    s.FramesInFile = int(pictures.size());
    for (const QImage& p : pictures)
        s.Stamps.push_back(test::PictureStamp(p));
}

void ReadFit(const QString& path, Stored& s) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray b = f.readAll();
    if (b.size() != 2880 + kMonoFrameBytes + 1920) {
        s.Problems << QStringLiteral("%1 has %2 bytes").arg(path).arg(b.size());
        return;
    }
    const QString fitsverify = QStandardPaths::findExecutable("fitsverify");
    if (!fitsverify.isEmpty()) {
        const QString report = Tool({fitsverify, path});
        if (!report.contains("found 0 warning(s) and 0 error(s)"))
            s.Problems << "fitsverify: " + report;
    }
    ++s.FramesInFile;
    s.Stamps.push_back(
        test::FrameStamp(reinterpret_cast<const std::uint8_t*>(b.constData()) + 2880, false));
}

void ReadBmp(const QString& path, Stored& s) {
    const QImage picture(path);
    if (picture.size() != QSize(752, 480) || QFileInfo(path).size() != 54 + 3 * kMonoFrameBytes) {
        s.Problems << path + " is not a 752 x 480 BMP";
        return;
    }
    ++s.FramesInFile;
    s.Stamps.push_back(test::PictureStamp(picture));
}

Stored ReadBack(const QString& folder, const QString& format, bool headerMayLag) {
    Stored s;
    const QString pattern = "*." + format.toUpper();
    s.Files = QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
    for (const QString& name : s.Files) {
        const QString path = folder + "/" + name;
        if (format == "ser")
            ReadSer(path, headerMayLag, s);
        else if (format == "avi")
            ReadAvi(path, s);
        else if (format == "fit")
            ReadFit(path, s);
        else
            ReadBmp(path, s);
    }
    if (format == "fit" || format == "bmp")
        s.HeaderCount = int(s.Files.size());
    return s;
}

// A tmpfs of the given size on a folder, unmounted on every path out.
class TmpfsMount {
public:
    TmpfsMount(const QString& folder, const char* options) : folder_(folder.toStdString()) {
        mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, options) == 0;
    }
    ~TmpfsMount() {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }
    // Fails while a file on it is open for writing; the caller retries.
    bool RemountReadOnly(const char* options) {
        return ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, options) == 0;
    }

private:
    std::string folder_;
    bool mounted_ = false;
};

const char* const kFileSizeMessage = "File too large";
const char* const kNoSpaceMessage = "No space left on device";

// Test names and failure messages show the case by its name.
void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class FaultTable : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override { ASSERT_TRUE(tmp.isValid()); }

    QString Folder() const { return tmp.path() + "/rec"; }

    // Frames in the folder as far as size or file count tell, while recording.
    int FramesSoFar(const QString& format) const {
        const QDir folder(Folder());
        const QStringList files =
            folder.entryList({"*." + format.toUpper()}, QDir::Files, QDir::Name);
        if (format == "fit" || format == "bmp")
            return int(files.size());
        if (files.isEmpty())
            return 0;
        const qint64 size = QFileInfo(folder.filePath(files.first())).size();
        return int(size / (format == "ser" ? kMonoFrameBytes : 3 * kMonoFrameBytes));
    }

    QTemporaryDir tmp;
};

TEST_P(FaultTable, EndsWithAWellFormedFileAndAMessage) {
    const Case& c = GetParam();
    ASSERT_TRUE(QDir().mkpath(Folder()));
    std::unique_ptr<TmpfsMount> tmpfs;
    if (c.fault == Fault::SmallTmpfs || c.fault == Fault::FolderReadOnly ||
        c.fault == Fault::NoRoomAtStart) {
        tmpfs = std::make_unique<TmpfsMount>(
            Folder(), c.fault == Fault::FolderReadOnly ? "size=64m" : "size=4m");
        if (!tmpfs->Mounted() && c.fault == Fault::SmallTmpfs)
            GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    const bool fullTmpfs = c.fault == Fault::NoRoomAtStart && tmpfs->Mounted();
    if (fullTmpfs) {
        // Filled before the start, so that not even a header fits.
        QFile filler(Folder() + "/filler");
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ORBICAP_SIM_STAMP", "1");
    env.insert("ORBICAP_SIM_MODEL", "qhy5v");
    env.remove("ORBICAP_SIM_NO_CAMERA");
    env.remove("ORBICAP_SIM_STALL_AFTER");
    env.insert("ORBICAP_SIM_UNPACED", c.fault == Fault::QueueBudget ? "1" : "0");
    if (c.fault == Fault::StallAtStart)
        env.insert("ORBICAP_SIM_STALL_AFTER", "0");
    if (c.fault == Fault::StallAfterFrames)
        env.insert("ORBICAP_SIM_STALL_AFTER", "30");

    QStringList args{"--out",      Folder() + "/CAPTURE",
                     "--format",   c.format,
                     "--frames",   "0",
                     "--exposure", c.fault == Fault::Signal && c.signal == SIGKILL ? "20" : "5"};
    if (c.fault == Fault::QueueBudget)
        args << "--queue-limit"
             << "1"; // about three frames waiting
    QString limit;
    if (c.fault == Fault::FileSizeLimit)
        limit = "ulimit -f 3000; ";
    if (c.fault == Fault::NoRoomAtStart && !fullTmpfs)
        limit = "ulimit -f 0; ";
    QStringList quoted;
    for (const QString& a : args)
        quoted << "'" + a + "'";
    QProcess p;
    p.setProcessEnvironment(env);
    p.start("/bin/sh",
            {"-c", limit + "exec '" ORBICAP_BIN_DIR "/orbicap-record' " + quoted.join(' ')});
    ASSERT_TRUE(p.waitForStarted());

    const bool injectMidway = c.fault == Fault::Signal || c.fault == Fault::FolderMoved ||
                              c.fault == Fault::FolderDeleted || c.fault == Fault::FileDeleted ||
                              c.fault == Fault::FolderReadOnly;
    QString readFrom = Folder();
    if (injectMidway) {
        // Some frames first, then the fault.
        QElapsedTimer waited;
        waited.start();
        while (FramesSoFar(c.format) < 6 && p.state() == QProcess::Running &&
               waited.elapsed() < 30000)
            p.waitForFinished(20);
        ASSERT_EQ(p.state(), QProcess::Running) << p.readAllStandardError().toStdString();
        switch (c.fault) {
        case Fault::Signal:
            ::kill(pid_t(p.processId()), c.signal);
            break;
        case Fault::FolderMoved:
            readFrom = tmp.path() + "/moved";
            ASSERT_TRUE(QDir().rename(Folder(), readFrom));
            break;
        case Fault::FolderDeleted: {
            // Out of the recorder's way first: deleted in place, the folder
            // could get a new frame file between emptying it and removing it.
            const QString doomed = tmp.path() + "/doomed";
            ASSERT_TRUE(QDir().rename(Folder(), doomed));
            ASSERT_TRUE(QDir(doomed).removeRecursively());
            break;
        }
        case Fault::FileDeleted:
            for (const QString& f :
                 QDir(Folder()).entryList({"*." + QString(c.format).toUpper()}, QDir::Files))
                ASSERT_TRUE(QFile::remove(Folder() + "/" + f));
            break;
        case Fault::FolderReadOnly:
            if (tmpfs && tmpfs->Mounted()) {
                while (!tmpfs->RemountReadOnly("size=64m") && p.state() == QProcess::Running)
                    QThread::msleep(2);
            } else {
                ASSERT_TRUE(QFile::setPermissions(Folder(), QFile::ReadOwner | QFile::ExeOwner));
            }
            break;
        default:
            break;
        }
        const bool keepsWriting = (c.fault == Fault::FolderMoved || c.fault == Fault::FileDeleted ||
                                   c.fault == Fault::FolderDeleted) &&
                                  (QString(c.format) == "ser" || QString(c.format) == "avi");
        if (keepsWriting && !p.waitForFinished(300) && p.processId() > 0) {
            // An open file takes its frames wherever it went; the recording
            // only learns of it when it ends.
            ::kill(pid_t(p.processId()), SIGINT);
        }
    }
    ASSERT_TRUE(p.waitForFinished(30000))
        << "no end within 30 s: " << p.readAllStandardError().toStdString();
    const int exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    SCOPED_TRACE(("stderr: " + err + "\nstdout: " + out).toStdString());

    EXPECT_EQ(exit, c.exit);
    const bool chmodded = c.fault == Fault::FolderReadOnly && !(tmpfs && tmpfs->Mounted());
    QString expected = QString::fromUtf8(chmodded ? "Permission denied" : c.message);
    if (c.fault == Fault::NoRoomAtStart && !fullTmpfs)
        expected.replace(kNoSpaceMessage, kFileSizeMessage); // the limit stands in for the disk
    if (fullTmpfs) // a folder that cannot hold one frame is refused before any file is made
        expected = "Not enough free space in " + Folder() + ": ";
    EXPECT_TRUE(err.contains(expected));
    if (chmodded)
        QFile::setPermissions(Folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const Stored s = ReadBack(readFrom, c.format, c.signal == SIGKILL);
    EXPECT_TRUE(s.Problems.isEmpty()) << s.Problems.join('\n').toStdString();
    if (c.signal == SIGKILL) {
        // The count on disk is patched once a second; 20 ms exposures give
        // at most 50 frames a second.
        EXPECT_LE(s.HeaderCount, s.FramesInFile);
        EXPECT_LE(s.FramesInFile - s.HeaderCount, 60);
    } else {
        EXPECT_EQ(s.HeaderCount, s.FramesInFile);
    }
    if (c.framesKept) {
        EXPECT_GT(s.FramesInFile, 0);
        for (std::size_t i = 1; i < s.Stamps.size(); ++i) {
            ASSERT_EQ(s.Stamps[i], s.Stamps[i - 1] + 1) << "frame " << i;
        }
        if (exit >= 0) {
            EXPECT_TRUE(out.contains(QStringLiteral("Frames: %1").arg(s.FramesInFile)));
        }
    } else {
        // Nothing usable was written, so nothing may be left behind.
        EXPECT_TRUE(s.Files.isEmpty()) << s.Files.join(' ').toStdString();
    }
    if (c.fault == Fault::StallAfterFrames) {
        EXPECT_LE(s.FramesInFile, 30);
    }
}

const char* const kInterrupted = "Interrupted: the recording ends with the next frame.";
const char* const kRemoved = "was removed while recording";

const Case kCases[] = {
    {"SigkillMidSer", "ser", Fault::Signal, SIGKILL, -1, ""},
    {"SighupSer", "ser", Fault::Signal, SIGHUP, 0, kInterrupted},
    {"SighupAvi", "avi", Fault::Signal, SIGHUP, 0, kInterrupted},
    {"SighupFit", "fit", Fault::Signal, SIGHUP, 0, kInterrupted},
    {"SighupBmp", "bmp", Fault::Signal, SIGHUP, 0, kInterrupted},
    {"SigtermSer", "ser", Fault::Signal, SIGTERM, 0, kInterrupted},
    {"SigtermAvi", "avi", Fault::Signal, SIGTERM, 0, kInterrupted},
    {"SigtermFit", "fit", Fault::Signal, SIGTERM, 0, kInterrupted},
    {"SigtermBmp", "bmp", Fault::Signal, SIGTERM, 0, kInterrupted},
    {"SigintSer", "ser", Fault::Signal, SIGINT, 0, kInterrupted},
    {"SigintAvi", "avi", Fault::Signal, SIGINT, 0, kInterrupted},
    {"SigintFit", "fit", Fault::Signal, SIGINT, 0, kInterrupted},
    {"SigintBmp", "bmp", Fault::Signal, SIGINT, 0, kInterrupted},
    {"FileSizeLimitSer", "ser", Fault::FileSizeLimit, 0, 1, kFileSizeMessage},
    {"FileSizeLimitAvi", "avi", Fault::FileSizeLimit, 0, 1, kFileSizeMessage},
    {"FullTmpfsSer", "ser", Fault::SmallTmpfs, 0, 1, kNoSpaceMessage},
    {"FullTmpfsAvi", "avi", Fault::SmallTmpfs, 0, 1, kNoSpaceMessage},
    {"FullTmpfsFit", "fit", Fault::SmallTmpfs, 0, 1, kNoSpaceMessage},
    {"FullTmpfsBmp", "bmp", Fault::SmallTmpfs, 0, 1, kNoSpaceMessage},
    {"NoRoomAtStartSer", "ser", Fault::NoRoomAtStart, 0, 1, "Error opening AVI/SER file", false},
    {"NoRoomAtStartAvi", "avi", Fault::NoRoomAtStart, 0, 1, "Error opening AVI/SER file", false},
    {"NoRoomAtStartFit", "fit", Fault::NoRoomAtStart, 0, 1, kNoSpaceMessage, false},
    {"NoRoomAtStartBmp", "bmp", Fault::NoRoomAtStart, 0, 1, kNoSpaceMessage, false},
    {"FolderMovedSer", "ser", Fault::FolderMoved, 0, 1, kRemoved},
    {"FolderMovedAvi", "avi", Fault::FolderMoved, 0, 1, kRemoved},
    {"FolderMovedFit", "fit", Fault::FolderMoved, 0, 1, "No such file or directory"},
    {"FolderMovedBmp", "bmp", Fault::FolderMoved, 0, 1, "No such file or directory"},
    {"FolderDeletedSer", "ser", Fault::FolderDeleted, 0, 1, kRemoved, false},
    {"FolderDeletedFit", "fit", Fault::FolderDeleted, 0, 1, "No such file or directory", false},
    {"FileDeletedSer", "ser", Fault::FileDeleted, 0, 1, kRemoved, false},
    {"FileDeletedAvi", "avi", Fault::FileDeleted, 0, 1, kRemoved, false},
    {"FolderReadOnlyFit", "fit", Fault::FolderReadOnly, 0, 1, "Read-only file system"},
    {"FolderReadOnlyBmp", "bmp", Fault::FolderReadOnly, 0, 1, "Read-only file system"},
    {"CameraStalledAtStart", "ser", Fault::StallAtStart, 0, 1, "The camera delivers no frames",
     false},
    {"CameraStalledAfterFramesSer", "ser", Fault::StallAfterFrames, 0, 1,
     "The camera stopped delivering frames"},
    {"CameraStalledAfterFramesAvi", "avi", Fault::StallAfterFrames, 0, 1,
     "The camera stopped delivering frames"},
    {"QueueBudgetSer", "ser", Fault::QueueBudget, 0, 1, "queue limit of 1 MB"},
    {"QueueBudgetAvi", "avi", Fault::QueueBudget, 0, 1, "queue limit of 1 MB"},
};

INSTANTIATE_TEST_SUITE_P(Faults, FaultTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace orbicap

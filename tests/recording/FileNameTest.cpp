#include "WriterTestSupport.h"

#include "recording/FileName.h"

#include <gtest/gtest.h>

namespace orbicap {
namespace {

using test::TempFolder;

TEST(FileName, Pad5WritesAtLeastFiveDigits) {
    const std::pair<int, const char*> cases[] = {
        {0, "00000"}, {3, "00003"}, {99'999, "99999"}, {100'000, "100000"}, {1'234'567, "1234567"}};
    for (const auto& [n, text] : cases) {
        EXPECT_EQ(Pad5(n), text);
    }
}

TEST(FileName, AviPartNamesReplaceTheExtension) {
    EXPECT_EQ(AviPartFileName("/obs/CAPTURE_00003.AVI", 1), "/obs/CAPTURE_00003-PART1.AVI");
    EXPECT_EQ(AviPartFileName("/obs/CAPTURE_00003.AVI", 12), "/obs/CAPTURE_00003-PART12.AVI");
}

// Files present in the folder decide the numbers.
class Numbering : public ::testing::Test {
protected:
    std::string Capture() const { return folder_.File("CAPTURE"); }
    TempFolder folder_;
};

TEST_F(Numbering, SerAndAviRecordingsNeverReuseEachOthersFiles) {
    EXPECT_EQ(NextRecordingNumber(Capture() + ".SER"), 0);
    folder_.Touch("CAPTURE_00000.SER");
    EXPECT_EQ(NextRecordingNumber(Capture() + ".SER"), 1);

    // A SER recording skips numbers that AVI parts carry; an AVI recording
    // only looks at AVI names and may take a SER file's number.
    folder_.Touch("CAPTURE_00001-PART1.AVI");
    EXPECT_EQ(NextRecordingNumber(Capture() + ".SER"), 2);
    EXPECT_EQ(NextRecordingNumber(Capture() + ".AVI"), 0);
    EXPECT_EQ(RecordingFileName(Capture(), 0, ".AVI"), folder_.File("CAPTURE_00000.AVI"));

    // The extension is compared in upper case whatever the caller passes.
    EXPECT_EQ(NextRecordingNumber(Capture() + ".ser"), 2);
}

TEST_F(Numbering, AviPartsZeroToNinetyNineCount) {
    const std::string name = folder_.File("CAPTURE_00000.AVI");
    EXPECT_FALSE(AviPartsExist(name));
    folder_.Touch("CAPTURE_00000-PART100.AVI");
    EXPECT_FALSE(AviPartsExist(name));
    folder_.Touch("CAPTURE_00000-PART99.AVI");
    EXPECT_TRUE(AviPartsExist(name));
    EXPECT_EQ(NextRecordingNumber(Capture() + ".AVI"), 1);
}

TEST_F(Numbering, GapsAreReused) {
    folder_.Touch("CAPTURE_00000.SER");
    folder_.Touch("CAPTURE_00002.SER");
    EXPECT_EQ(NextRecordingNumber(Capture() + ".SER"), 1);
}

TEST_F(Numbering, FitAndBmpShareOneCounterThatOnlyMovesOn) {
    int counter = 0;
    const std::string fit = Capture() + ".FIT";
    for (const char* expected : {"CAPTURE_00000.FIT", "CAPTURE_00001.FIT", "CAPTURE_00002.FIT"}) {
        const std::string name = NextFrameFileName(fit, counter);
        EXPECT_EQ(name, folder_.File(expected));
        folder_.Touch(expected); // the writer creates it right after
    }
    EXPECT_EQ(counter, 2);
    // A second FIT recording continues; a BMP recording starts at the shared
    // counter because no BMP of that number exists.
    EXPECT_EQ(NextFrameFileName(fit, counter), folder_.File("CAPTURE_00003.FIT"));
    int bmpCounter = 2;
    EXPECT_EQ(NextFrameFileName(Capture() + ".BMP", bmpCounter), folder_.File("CAPTURE_00002.BMP"));
    EXPECT_EQ(NextFrameFileName(Capture() + ".bmp", bmpCounter), folder_.File("CAPTURE_00002.BMP"));
}

TEST_F(Numbering, NumbersPastFiveDigitsAreWrittenInFull) {
    folder_.Touch("CAPTURE_99999.FIT");
    int counter = 99'999;
    EXPECT_EQ(NextFrameFileName(Capture() + ".FIT", counter), folder_.File("CAPTURE_100000.FIT"));
    EXPECT_EQ(counter, 100'000);
}

TEST(CaptureNaming, SplitsTheStoredNameAtTheLastSlash) {
    struct Case {
        const char* Stored;
        const char* Folder;
        const char* Base;
        const char* Applied; // nullptr: nothing to apply
    };
    const Case cases[] = {
        {"/obs/CAPTURE", "/obs", "CAPTURE", "/obs/CAPTURE"},
        {"  /obs/night one/M 42 \t", "/obs/night one", "M 42", "/obs/night one/M 42"},
        {"/CAPTURE", "/", "CAPTURE", "/CAPTURE"},
        {"/obs//CAPTURE", "/obs", "CAPTURE", "/obs/CAPTURE"},
        {"/obs/", "/obs", "", nullptr},
        {"CAPTURE", "", "CAPTURE", nullptr},
    };
    for (const Case& c : cases) {
        CaptureNaming naming;
        naming.PrepareNameWindow(c.Stored);
        EXPECT_EQ(naming.CaptureFolder, c.Folder) << c.Stored;
        EXPECT_EQ(naming.BaseName, c.Base) << c.Stored;
        const auto applied = naming.ApplyCaptureName();
        EXPECT_EQ(applied.has_value(), c.Applied != nullptr) << c.Stored;
        if (applied && c.Applied) {
            EXPECT_EQ(*applied, c.Applied) << c.Stored;
        }
    }
}

TEST(CaptureNaming, AnEmptyStoredNameChangesNothing) {
    CaptureNaming naming{"/obs", "CAPTURE"};
    naming.PrepareNameWindow("   ");
    EXPECT_EQ(naming.CaptureFolder, "/obs");
    EXPECT_EQ(naming.BaseName, "CAPTURE");
}

TEST(CaptureNaming, TheRootFolderGivesValidNames) {
    CaptureNaming naming;
    naming.BaseName = "CAPTURE";
    const auto name = naming.SetCaptureLocation("/");
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(naming.CaptureFolder, "/");
    EXPECT_EQ(*name, "/CAPTURE");
    EXPECT_EQ(RecordingFileName(*name, 0, ".SER"), "/CAPTURE_00000.SER");
    EXPECT_EQ(naming.ApplyCaptureName(), std::optional<std::string>("/CAPTURE"));
}

TEST(CaptureNaming, LocationAndBaseNameMayComeInEitherOrder) {
    CaptureNaming naming;
    EXPECT_FALSE(naming.SetCaptureLocation("/data/").has_value()); // no base name yet
    EXPECT_EQ(naming.CaptureFolder, "/data");
    EXPECT_FALSE(naming.ApplyCaptureName().has_value());
    naming.BaseName = "CAPTURE";
    EXPECT_EQ(naming.ApplyCaptureName(), std::optional<std::string>("/data/CAPTURE"));

    // A cancelled chooser gives an empty path and keeps the folder.
    EXPECT_FALSE(naming.SetCaptureLocation("").has_value());
    EXPECT_EQ(naming.CaptureFolder, "/data");
    EXPECT_EQ(naming.SetCaptureLocation("/mnt/usb"),
              std::optional<std::string>("/mnt/usb/CAPTURE"));
}

} // namespace
} // namespace orbicap

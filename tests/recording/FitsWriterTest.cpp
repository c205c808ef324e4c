#include "WriterTestSupport.h"

#include "recording/Fits.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>

#include <fstream>
#include <ostream>
#include <unistd.h>

namespace orbicap {
namespace {

using test::ReadFileBytes;
using test::TempFolder;

std::string Card(const std::string& keyword, const std::string& value) {
    std::string card = keyword + std::string(8 - keyword.size(), ' ') + "= ";
    card += std::string(20 - value.size(), ' ') + value;
    return card + std::string(50, ' ');
}

// A frame with a value pattern that differs in every sample and row.
ImageLst MakeFrame(int width, int height, bool is16Bit) {
    ImageLst frame;
    frame.Reshape(width, height, is16Bit);
    const std::size_t samples = static_cast<std::size_t>(width) * height;
    for (std::size_t i = 0; i < samples; ++i) {
        if (is16Bit) {
            const std::uint16_t v = static_cast<std::uint16_t>((i * 37 + i / width) & 0x3FF);
            std::memcpy(frame.Data.get() + 2 * i, &v, 2);
        } else {
            frame.Data[i] = static_cast<std::uint8_t>(i * 13 + i / width);
        }
    }
    return frame;
}

// What the camera library's demosaicing leaves in the buffer: three planes.
void FillPlanes(std::vector<std::uint8_t>& buffer, std::size_t samples, bool is16Bit) {
    for (std::size_t i = 0; i < samples; ++i) {
        if (is16Bit) {
            const std::uint16_t v = static_cast<std::uint16_t>((i * 11 + i / 997) & 0x3FF);
            std::memcpy(buffer.data() + 2 * i, &v, 2);
        } else {
            buffer[i] = static_cast<std::uint8_t>(i * 5 + i / 751);
        }
    }
}

struct GeometryCase {
    const char* Name;
    bool Color;
    bool Is16Bit;
    std::size_t DataBytes;
    std::size_t FillBytes;
    // SHA-256 of the file the writer made of this case before the
    // observation keywords existed: with them off, not a byte may change.
    const char* Sha256;
};

void PrintTo(const GeometryCase& c, std::ostream* out) {
    *out << c.Name;
}

class FitsGeometry : public ::testing::TestWithParam<GeometryCase> {
protected:
    // Writes the case's 752 x 480 frame; Expected gets the samples as the
    // frame (or the planes) held them before writing, little-endian.
    std::string Write(const FitsObservation* observation = nullptr) {
        const GeometryCase& c = GetParam();
        frame_ = MakeFrame(752, 480, c.Is16Bit);
        buffer_.assign(kFitsBufferBytes, 0xEE);
        if (c.Color) {
            FillPlanes(buffer_, 752 * 479 * 3, c.Is16Bit);
            expected_.assign(buffer_.begin(), buffer_.begin() + c.DataBytes);
        } else {
            expected_.assign(frame_.Data.get(), frame_.Data.get() + frame_.ByteCount());
        }
        const std::string path =
            folder_.File(std::string(c.Name) + (observation ? "-keys.FIT" : ".FIT"));
        const Status written = WriteFitsFile(path, frame_, c.Color, buffer_.data(), observation);
        EXPECT_TRUE(written.Ok()) << written.Message();
        return path;
    }

    TempFolder folder_;
    ImageLst frame_;
    std::vector<std::uint8_t> buffer_;
    std::vector<std::uint8_t> expected_;
};

TEST_P(FitsGeometry, HeaderCardsDataAndFillAreExact) {
    const GeometryCase& c = GetParam();
    const auto bytes = ReadFileBytes(Write());
    ASSERT_EQ(bytes.size(), 2880 + c.DataBytes + c.FillBytes);

    std::vector<std::string> cards = {Card("SIMPLE", "T"), Card("BITPIX", c.Is16Bit ? "16" : "8"),
                                      Card("NAXIS", c.Color ? "3" : "2"), Card("NAXIS1", "752"),
                                      Card("NAXIS2", c.Color ? "479" : "480")};
    if (c.Color) {
        cards.push_back(Card("NAXIS3", "3"));
    }
    cards.push_back(Card("BZERO", c.Is16Bit ? "32768" : "0"));
    cards.push_back(Card("BSCALE", "1.0"));
    cards.push_back("END" + std::string(77, ' '));
    std::string header;
    for (const std::string& card : cards) {
        header += card;
    }
    header += std::string((c.Color ? 27 : 28) * 80, ' ');
    ASSERT_EQ(header.size(), 2880u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 2880), header);

    for (std::size_t i = 0; i < c.DataBytes; i += c.Is16Bit ? 2 : 1) {
        const std::uint8_t* got = bytes.data() + 2880 + i;
        if (c.Is16Bit) {
            const unsigned v = expected_[i] | expected_[i + 1] << 8;
            ASSERT_EQ(got[0], (v >> 8) ^ 0x80) << i;
            ASSERT_EQ(got[1], v & 0xFF) << i;
        } else {
            ASSERT_EQ(got[0], expected_[i]) << i;
        }
    }
    for (std::size_t i = 2880 + c.DataBytes; i < bytes.size(); ++i) {
        ASSERT_EQ(bytes[i], 0) << i;
    }
}

FitsObservation SampleObservation() {
    FitsObservation o;
    o.DateObs = "2026-12-10T21:04:05.678";
    o.ExposureSeconds = 0.025;
    o.Gain = 37;
    o.Instrument = "QHY5V Camera";
    o.Software = "Orbicap 1.3";
    return o;
}

TEST_P(FitsGeometry, WithoutKeywordsTheFileIsTodaysToTheByte) {
    const auto bytes = ReadFileBytes(Write());
    const QByteArray digest =
        QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                 QCryptographicHash::Sha256);
    EXPECT_EQ(digest.toHex().toStdString(), GetParam().Sha256);
}

// The five cards go between BSCALE and END; END and the blank cards move down
// by five, everything else stays where it was.
TEST_P(FitsGeometry, KeywordsTakeThePlaceOfBlankCards) {
    const FitsObservation observation = SampleObservation();
    const auto plain = ReadFileBytes(Write());
    const auto keyed = ReadFileBytes(Write(&observation));
    ASSERT_EQ(keyed.size(), plain.size());
    const std::size_t end = (GetParam().Color ? 8 : 7) * 80; // where END stands without them
    const std::string cards =
        std::string("DATE-OBS= '2026-12-10T21:04:05.678' / UTC start of the "
                    "exposure") +
        std::string(17, ' ') + "EXPTIME =                0.025 / [s] exposure time" +
        std::string(30, ' ') + "GAIN    =                   37 / camera gain setting, 0 to 100" +
        std::string(18, ' ') + "INSTRUME= 'QHY5V Camera'       / camera" + std::string(41, ' ') +
        "SWCREATE= 'Orbicap 1.3'        / program that wrote the file" + std::string(20, ' ');
    ASSERT_EQ(cards.size(), 400u);
    std::vector<std::uint8_t> expected(plain.begin(), plain.begin() + end);
    expected.insert(expected.end(), cards.begin(), cards.end());
    expected.insert(expected.end(), plain.begin() + end, plain.begin() + 2880 - 400);
    expected.insert(expected.end(), plain.begin() + 2880, plain.end());
    EXPECT_EQ(std::string(keyed.begin(), keyed.begin() + 2880),
              std::string(expected.begin(), expected.begin() + 2880));
    EXPECT_TRUE(keyed == expected);
}

TEST_P(FitsGeometry, FitsverifyFindsNoErrorsOrWarnings) {
    if (!test::ToolAvailable("fitsverify")) {
        GTEST_SKIP() << "fitsverify is not installed";
    }
    const FitsObservation observation = SampleObservation();
    for (const FitsObservation* keys :
         {static_cast<const FitsObservation*>(nullptr), &observation}) {
        const test::ToolRun run = test::RunTool("fitsverify '" + Write(keys) + "'");
        EXPECT_EQ(run.ExitCode, 0) << run.Output;
        EXPECT_NE(run.Output.find("Verification found 0 warning(s) and 0 error(s)"),
                  std::string::npos)
            << run.Output;
    }
}

// astropy applies BZERO, so it must give back exactly the values written.
TEST_P(FitsGeometry, AstropyReadsBackTheSameValues) {
    const std::string python = test::PythonWithAstropy();
    if (python.empty()) {
        GTEST_SKIP() << "astropy is not installed";
    }
    const GeometryCase& c = GetParam();
    const FitsObservation observation = SampleObservation();
    const std::string path = Write();
    const std::string keyed = Write(&observation);
    const std::string raw = folder_.File("expected.raw");
    std::ofstream(raw, std::ios::binary)
        .write(reinterpret_cast<const char*>(expected_.data()),
               static_cast<std::streamsize>(expected_.size()));
    const std::string shape = c.Color ? "(3, 479, 752)" : "(480, 752)";
    const std::string script =
        "import sys, numpy as np\n"
        "from astropy.io import fits\n"
        "d = fits.getdata('" +
        path +
        "')\n"
        "e = np.fromfile('" +
        raw + "', dtype='" + (c.Is16Bit ? "<u2" : "u1") + "').reshape(" + shape +
        ")\n"
        "print(d.dtype, d.shape)\n"
        "ok = d.shape == e.shape and np.array_equal(d.astype('i8'), e.astype('i8'))\n"
        "k, h = fits.getdata('" +
        keyed +
        "', header=True)\n"
        "ok = ok and np.array_equal(k, d)\n"
        "got = (h['DATE-OBS'], h['EXPTIME'], h['GAIN'], h['INSTRUME'], h['SWCREATE'])\n"
        "print(got)\n"
        "ok = ok and got == ('2026-12-10T21:04:05.678', 0.025, 37, 'QHY5V Camera', 'Orbicap 1.3')\n"
        "ok = ok and 'DATE-OBS' not in fits.getheader('" +
        path +
        "')\n"
        "sys.exit(0 if ok else 1)\n";
    const std::string scriptPath = folder_.File("check.py");
    std::ofstream(scriptPath) << script;
    const test::ToolRun run = test::RunTool(python + " '" + scriptPath + "'");
    EXPECT_EQ(run.ExitCode, 0) << run.Output;
}

INSTANTIATE_TEST_SUITE_P(
    Frames, FitsGeometry,
    ::testing::Values(GeometryCase{"Mono8", false, false, 360'960, 1'920,
                                   "eed23320829bc3ac4c5810df535d8c87ba9c5d4adf8b9f01d6d6ad10"
                                   "886eee3f"},
                      GeometryCase{"Mono16", false, true, 721'920, 960,
                                   "dd140aec7bb380fb319b120692d36178b32898039e11077bcf61a66f"
                                   "91ec5f29"},
                      GeometryCase{"Color8", true, false, 1'080'624, 2'256,
                                   "77fbc84c2ccc5b9ca2184552a77e56dd6df4ff3c09754df0ed3f68dd"
                                   "7fcb546e"},
                      GeometryCase{"Color16", true, true, 2'161'248, 1'632,
                                   "50b3064afa2f55fd9f641448b8e5b116215d22209e113c993618655d"
                                   "d3c90b08"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(FitsKeywords, TextIsQuotedCutToItsCardAndTimeIsUtc) {
    ImageLst frame;
    frame.TimeStamp = 36'526.5 + 0.25 / 86'400;       // local 2000-01-01 12:00:00.250
    const std::int64_t oneHourEast = -36'000'000'000; // UTC is an hour behind local time
    FitsObservation o = ObservationOf(frame, 1500, 5, "Bob's \001cam", oneHourEast);
    EXPECT_EQ(o.DateObs, "2000-01-01T11:00:00.250");
    EXPECT_EQ(o.ExposureSeconds, 1.5);
    EXPECT_EQ(o.Software, "Orbicap " ORBICAP_TEST_VERSION);

    std::string cards(5 * 80, ' ');
    PutObservationCards(cards.data(), o);
    EXPECT_EQ(cards.substr(3 * 80, 80),
              "INSTRUME= 'Bob''s ?cam'        / camera" + std::string(41, ' '));
    o.Instrument = std::string(100, 'x');
    PutObservationCards(cards.assign(5 * 80, ' ').data(), o);
    // 68 characters fill the card up to the closing quote; no room for a comment.
    EXPECT_EQ(cards.substr(3 * 80, 80), "INSTRUME= '" + std::string(68, 'x') + "'");
}

TEST(FitsWriter, NaxisCardOfAMonoFrameIsExact) {
    TempFolder folder;
    const std::string path = folder.File("A.FIT");
    const ImageLst frame = MakeFrame(752, 480, false);
    const Status written = WriteFitsFile(path, frame, false, nullptr);
    ASSERT_TRUE(written.Ok()) << written.Message();
    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 365'760u);
    EXPECT_EQ(std::string(bytes.begin() + 240, bytes.begin() + 320),
              "NAXIS1  = " + std::string(17, ' ') + "752" + std::string(50, ' '));
}

TEST(FitsWriter, SixteenBitSamplesAreOffsetAndBigEndian) {
    struct Case {
        std::uint16_t Value;
        std::uint8_t High;
        std::uint8_t Low;
    };
    const Case cases[] = {
        {0, 0x80, 0x00}, {1023, 0x83, 0xFF}, {32768, 0x00, 0x00}, {65535, 0x7F, 0xFF}};
    ImageLst frame;
    frame.Reshape(4, 1, true);
    for (int i = 0; i < 4; ++i) {
        std::memcpy(frame.Data.get() + 2 * i, &cases[i].Value, 2);
    }
    TempFolder folder;
    const std::string path = folder.File("B.FIT");
    std::vector<std::uint8_t> buffer(kFitsBufferBytes);
    const Status written = WriteFitsFile(path, frame, false, buffer.data());
    ASSERT_TRUE(written.Ok()) << written.Message();
    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 5760u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bytes[2880 + 2 * i], cases[i].High) << cases[i].Value;
        EXPECT_EQ(bytes[2881 + 2 * i], cases[i].Low) << cases[i].Value;
    }
}

TEST(FitsWriter, AFailedFileIsRemovedAndTheErrorNamesIt) {
    TempFolder folder;
    const ImageLst frame = MakeFrame(752, 480, true);
    std::vector<std::uint8_t> buffer(kFitsBufferBytes);

    const std::string missing = folder.File("gone/C.FIT");
    const Status refused = WriteFitsFile(missing, frame, false, buffer.data());
    EXPECT_TRUE(refused.Failed());
    EXPECT_EQ(refused.Message(), "Cannot create " + missing + ": No such file or directory");

    // The disk fills in the middle of the data.
    const std::string path = folder.File("CAPTURE_00007.FIT");
    const test::LimitedRun run = test::RunWithFileSizeLimit(100'000, [&] {
        const Status written = WriteFitsFile(path, frame, false, buffer.data());
        return (written.Ok() ? "ok|" : "failed|") + written.Message();
    });
    ASSERT_TRUE(run.Exited) << run.Report;
    EXPECT_EQ(run.Report, "failed|Cannot write " + path + ": File too large");
    EXPECT_NE(::access(path.c_str(), F_OK), 0) << "a partial FITS file was left behind";
}

} // namespace
} // namespace orbicap

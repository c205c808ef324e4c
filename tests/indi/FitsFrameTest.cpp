// Reading the image of a FITS transfer from memory. The fixtures are written
// card by card here, independent of the library that reads them.
#include "FitsFrame.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace orbicap::indi {
namespace {

std::vector<std::uint8_t> Fits(const std::vector<std::string>& cards,
                               const std::vector<std::uint8_t>& data) {
    std::string header;
    for (const std::string& card : cards) {
        std::string padded = card;
        padded.resize(80, ' ');
        header += padded;
    }
    header += std::string("END").append(77, ' ');
    header.resize((header.size() + 2879) / 2880 * 2880, ' ');
    std::vector<std::uint8_t> file(header.begin(), header.end());
    file.insert(file.end(), data.begin(), data.end());
    file.resize((file.size() + 2879) / 2880 * 2880, 0);
    return file;
}

std::string Card(const char* key, const std::string& value) {
    char card[81];
    std::snprintf(card, sizeof card, "%-8s= %20s", key, value.c_str());
    return card;
}

TEST(FitsFrame, ReadsUnsignedWordsAndBytesInFileOrder) {
    // Unsigned 16-bit samples are stored as signed words offset by BZERO.
    const std::vector<std::uint16_t> values{0, 1, 1023, 32768, 65000, 65535};
    std::vector<std::uint8_t> words;
    for (const std::uint16_t v : values) {
        const auto stored = static_cast<std::uint16_t>(v - 32768);
        words.push_back(static_cast<std::uint8_t>(stored >> 8)); // big-endian
        words.push_back(static_cast<std::uint8_t>(stored & 0xff));
    }
    const auto file16 =
        Fits({Card("SIMPLE", "T"), Card("BITPIX", "16"), Card("NAXIS", "2"), Card("NAXIS1", "3"),
              Card("NAXIS2", "2"), Card("BZERO", "32768"), Card("BSCALE", "1")},
             words);
    FitsFrame frame;
    std::string error;
    ASSERT_TRUE(DecodeFits(file16.data(), file16.size(), frame, error)) << error;
    EXPECT_EQ(frame.width, 3);
    EXPECT_EQ(frame.height, 2);
    EXPECT_EQ(frame.bitpix, 16);
    EXPECT_EQ(frame.samples, values);

    const auto file8 = Fits({Card("SIMPLE", "T"), Card("BITPIX", "8"), Card("NAXIS", "2"),
                             Card("NAXIS1", "2"), Card("NAXIS2", "2")},
                            {9, 0, 255, 128});
    ASSERT_TRUE(DecodeFits(file8.data(), file8.size(), frame, error)) << error;
    EXPECT_EQ(frame.bitpix, 8);
    EXPECT_EQ(frame.samples, (std::vector<std::uint16_t>{9, 0, 255, 128}));
}

TEST(FitsFrame, RefusesWhatIsNotAPlaneOfSamples) {
    const auto cube = Fits({Card("SIMPLE", "T"), Card("BITPIX", "8"), Card("NAXIS", "3"),
                            Card("NAXIS1", "2"), Card("NAXIS2", "2"), Card("NAXIS3", "3")},
                           std::vector<std::uint8_t>(12, 1));
    const auto floats = Fits({Card("SIMPLE", "T"), Card("BITPIX", "-32"), Card("NAXIS", "2"),
                              Card("NAXIS1", "1"), Card("NAXIS2", "1")},
                             std::vector<std::uint8_t>(4, 0));
    const std::vector<std::uint8_t> garbage(3000, 'x');
    for (const auto* file : {&cube, &floats, &garbage}) {
        FitsFrame frame;
        std::string error;
        EXPECT_FALSE(DecodeFits(file->data(), file->size(), frame, error));
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
} // namespace orbicap::indi

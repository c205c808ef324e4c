#include "WriterTestSupport.h"

#include "recording/CheckedFile.h"

#include <gtest/gtest.h>

#include <numeric>
#include <sys/stat.h>
#include <unistd.h>

namespace orbicap {
namespace {

using test::ReadFileBytes;
using test::TempFolder;

std::vector<std::uint8_t> Pattern(std::size_t n, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(n);
    std::iota(bytes.begin(), bytes.end(), seed);
    return bytes;
}

// Small pieces are gathered and large blocks bypass the gathering: the file
// must still hold every byte in call order, and patches land where asked.
TEST(CheckedFile, KeepsOrderAcrossGatheredAndDirectWritesAndPatchesInPlace) {
    TempFolder folder;
    const std::string path = folder.File("mixed.bin");
    const auto small = Pattern(100, 1);
    const auto large = Pattern(100'000, 7);
    const auto tail = Pattern(30, 200);

    CheckedFile file;
    ASSERT_TRUE(file.Create(path));
    ASSERT_TRUE(file.Write(small.data(), small.size()));
    ASSERT_TRUE(file.Write(large.data(), large.size()));
    ASSERT_TRUE(file.Write(tail.data(), tail.size()));
    EXPECT_EQ(file.Position(), 100'130u);
    ASSERT_TRUE(file.Flush());
    const std::uint8_t patch[2] = {0xAA, 0xBB};
    ASSERT_TRUE(file.WriteAt(10, patch, 2));
    ASSERT_TRUE(file.Write(small.data(), 5)); // the write position did not move
    ASSERT_TRUE(file.Close());

    std::vector<std::uint8_t> expected = small;
    expected.insert(expected.end(), large.begin(), large.end());
    expected.insert(expected.end(), tail.begin(), tail.end());
    expected.insert(expected.end(), small.begin(), small.begin() + 5);
    expected[10] = 0xAA;
    expected[11] = 0xBB;
    EXPECT_EQ(ReadFileBytes(path), expected);
    struct stat info;
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0600, 0600u);
}

TEST(CheckedFile, TruncateCutsTheFileAndMovesTheWritePosition) {
    TempFolder folder;
    const std::string path = folder.File("cut.bin");
    const auto bytes = Pattern(50'000, 3);
    CheckedFile file;
    ASSERT_TRUE(file.Create(path));
    ASSERT_TRUE(file.Write(bytes.data(), bytes.size()));
    ASSERT_TRUE(file.Truncate(1000));
    ASSERT_TRUE(file.Write("xyz", 3));
    ASSERT_TRUE(file.Close());

    std::vector<std::uint8_t> expected(bytes.begin(), bytes.begin() + 1000);
    expected.insert(expected.end(), {'x', 'y', 'z'});
    EXPECT_EQ(ReadFileBytes(path), expected);
}

// /dev/full refuses every write with ENOSPC: the error must be reported by
// the call that met it, stay set, and name the file and the cause.
TEST(CheckedFile, AFailedWriteStaysReportedUntilTheNextCreate) {
    const auto block = Pattern(64'000, 0);
    CheckedFile file;
    ASSERT_TRUE(file.Create("/dev/full"));
    EXPECT_FALSE(file.Write(block.data(), block.size()));
    EXPECT_TRUE(file.Failed());
    EXPECT_EQ(file.ErrorText(), "Cannot write /dev/full: No space left on device");
    EXPECT_TRUE(file.Write("a", 1)); // gathered, so not yet tried
    EXPECT_FALSE(file.Close());
    EXPECT_TRUE(file.Failed());

    // Gathered bytes that cannot be written fail at Close.
    ASSERT_TRUE(file.Create("/dev/full"));
    EXPECT_FALSE(file.Failed());
    EXPECT_TRUE(file.Write("abc", 3));
    EXPECT_FALSE(file.Close());
    EXPECT_EQ(file.ErrorText(), "Cannot write /dev/full: No space left on device");
}

TEST(CheckedFile, CreateInAMissingFolderFailsWithTheReasonAndDiscardLeavesNothing) {
    TempFolder folder;
    const std::string path = folder.File("missing/x.bin");
    CheckedFile file;
    EXPECT_FALSE(file.Create(path));
    EXPECT_EQ(file.ErrorText(), "Cannot create " + path + ": No such file or directory");

    const std::string made = folder.File("made.bin");
    ASSERT_TRUE(file.Create(made));
    file.Write("abc", 3);
    file.Discard();
    EXPECT_NE(::access(made.c_str(), F_OK), 0);
}

} // namespace
} // namespace orbicap

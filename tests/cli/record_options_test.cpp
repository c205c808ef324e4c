#include "cli/RecordOptions.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace orbicap {
namespace {

TEST(RecordOptions, ReadsEveryOption) {
    const ParseResult r = ParseRecordOptions(
        {"--out", "/tmp/x/CAPTURE", "--format", "FIT", "--seconds", "30", "--exposure", "20",
         "--gain", "40", "--resolution", "400x400", "--ten-bit", "--color", "--overlay", "--driver",
         "/opt/lib.so", "--queue-limit", "512"});
    ASSERT_TRUE(r.Options) << r.Error;
    const RecordOptions& o = *r.Options;
    EXPECT_EQ(o.Out, "/tmp/x/CAPTURE");
    EXPECT_EQ(o.Format, "fit");
    EXPECT_EQ(o.Seconds, 30);
    EXPECT_EQ(o.ExposureMs, 20);
    EXPECT_EQ(o.Gain, 40);
    EXPECT_EQ(o.Width, 400);
    EXPECT_EQ(o.Height, 400);
    EXPECT_TRUE(o.TenBit && o.Color && o.Overlay);
    EXPECT_EQ(o.Driver, "/opt/lib.so");
    EXPECT_EQ(o.QueueLimitMb, 512);
}

TEST(RecordOptions, DefaultsToOneSerFrame) {
    const ParseResult r = ParseRecordOptions({"--out", "A/B"});
    ASSERT_TRUE(r.Options);
    EXPECT_EQ(r.Options->Format, "ser");
    EXPECT_EQ(r.Options->Frames, 1);
    EXPECT_FALSE(r.Options->Seconds);
    EXPECT_FALSE(r.Options->FramesAhead);
    EXPECT_FALSE(r.Options->NoLog || r.Options->FitsKeywords);
    const ParseResult files = ParseRecordOptions({"--out", "A/B", "--no-log", "--fits-keywords"});
    ASSERT_TRUE(files.Options) << files.Error;
    EXPECT_TRUE(files.Options->NoLog && files.Options->FitsKeywords);
    const ParseResult ahead = ParseRecordOptions({"--out", "A/B", "--frames-ahead", "64"});
    ASSERT_TRUE(ahead.Options) << ahead.Error;
    EXPECT_EQ(ahead.Options->FramesAhead, 64);
}

TEST(RecordOptions, RefusesBadArguments) {
    const QStringList bad[] = {
        {},
        {"--frames", "5"},
        {"--out", "A/B", "--format", "tiff"},
        {"--out", "A/B", "--frames", "-1"},
        {"--out", "A/B", "--frames", "x"},
        {"--out", "A/B", "--exposure", "0"},
        {"--out", "A/B", "--gain", "101"},
        {"--out", "A/B", "--resolution", "640x480"},
        {"--out", "A/B", "--frames", "3", "--seconds", "2"},
        {"--out"},
        {"--out", "A/B", "--bogus"},
        {"--out", "A/B", "--queue-limit", "0"},
        {"--out", "A/B", "--queue-limit", "many"},
        {"--out", "A/B", "--frames-ahead", "0"},
    };
    for (const QStringList& args : bad) {
        const ParseResult r = ParseRecordOptions(args);
        EXPECT_FALSE(r.Options) << args.join(' ').toStdString();
        EXPECT_FALSE(r.Error.empty()) << args.join(' ').toStdString();
    }
}

// Each refusal names the option as it was typed, and what is wrong with it.
TEST(RecordOptions, ExplainsRefusalsInTheUsersOwnWords) {
    QTemporaryDir folder;
    const QString longName(300, 'a');
    const struct {
        QStringList args;
        const char* error;
    } cases[] = {
        {{"--out", "/tmp/x/CAPTURE", "extra"}, "unknown option 'extra'"},
        {{"--out", "/tmp/x/CAPTURE", "--gain=5=6"}, "--gain takes a number from 0 to 100"},
        {{"--out=", "x"}, "--out needs a value"},
        {{"--out", "A/B", "--bogus=3"}, "unknown option '--bogus=3'"},
        {{"--out", "/"}, "--out needs a base name after the folder: FOLDER/NAME"},
        {{"--out", "/tmp/x/"}, "--out needs a base name after the folder: FOLDER/NAME"},
        {{"--out", folder.path()}, "--out needs a base name after the folder: FOLDER/NAME"},
        {{"--out", "/tmp/x/.."}, "--out needs a base name after the folder: FOLDER/NAME"},
        {{"--out", "/tmp/x/CAP\nTURE"}, "--out: the base name must not contain control characters"},
        {{"--out", "/tmp/x/" + longName}, "--out: the name is longer than the system allows"},
        {{"--out", "/tmp/" + QStringList(400, "abcdefghij").join('/') + "/C"},
         "--out: the name is longer than the system allows"},
    };
    for (const auto& c : cases) {
        const ParseResult r = ParseRecordOptions(c.args);
        EXPECT_FALSE(r.Options) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.Error, c.error) << c.args.join(' ').toStdString();
    }
}

TEST(RecordOptions, TakesValuesAfterAnEqualsSign) {
    const ParseResult r = ParseRecordOptions({"--out=/tmp/x/CAPTURE", "--frames=7"});
    ASSERT_TRUE(r.Options) << r.Error;
    EXPECT_EQ(r.Options->Out, "/tmp/x/CAPTURE");
    EXPECT_EQ(r.Options->Frames, 7);
}

} // namespace
} // namespace orbicap

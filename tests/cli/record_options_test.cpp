#include "cli/RecordOptions.h"

#include <gtest/gtest.h>

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
    };
    for (const QStringList& args : bad) {
        const ParseResult r = ParseRecordOptions(args);
        EXPECT_FALSE(r.Options) << args.join(' ').toStdString();
        EXPECT_FALSE(r.Error.empty()) << args.join(' ').toStdString();
    }
}

} // namespace
} // namespace orbicap

// Reading where the camera is: the driver's ORBICAP_INDI_SERVER and the
// programs' --indi HOST[:PORT][/DEVICE].
#include "ServerAddress.h"
#include "capture/IndiOption.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace orbicap {
namespace {

TEST(IndiAddress, ServerVariable) {
    struct Case {
        const char* text;
        bool valid;
        const char* host;
        int port;
    };
    const Case cases[] = {
        {"", true, "localhost", 7624},
        {"pi.local", true, "pi.local", 7624},
        {"pi.local:7625", true, "pi.local", 7625},
        {"127.0.0.1:1", true, "127.0.0.1", 1},
        {":7624", false, "", 0},
        {"host:", false, "", 0},
        {"host:0", false, "", 0},
        {"host:65536", false, "", 0},
        {"host:76x", false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto address = indi::ParseServerAddress(c.text);
        ASSERT_EQ(address.has_value(), c.valid);
        if (c.valid) {
            EXPECT_EQ(address->host, c.host);
            EXPECT_EQ(address->port, c.port);
        }
    }
}

TEST(IndiAddress, CommandLineTarget) {
    struct Case {
        const char* text;
        bool valid;
        const char* server;
        const char* device;
    };
    const Case cases[] = {
        {"localhost", true, "localhost", ""},
        {"localhost:7625", true, "localhost:7625", ""},
        {"telescope.local/Mono Camera 2", true, "telescope.local", "Mono Camera 2"},
        {"pi:7624/Cam/with/slashes", true, "pi:7624", "Cam/with/slashes"},
        {"", false, "", ""},
        {"/CCD Simulator", false, "", ""},
        {":7624", false, "", ""},
        {"pi:99999/CCD", false, "", ""},
        {"pi:port", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto target = ParseIndiTarget(c.text);
        ASSERT_EQ(target.has_value(), c.valid);
        if (c.valid) {
            EXPECT_EQ(target->Server, c.server);
            EXPECT_EQ(target->Device, c.device);
        }
    }
}

TEST(IndiAddress, UsingATargetSetsTheDriverAndItsVariables) {
    setenv("ORBICAP_INDI_DEVICE", "left over", 1);
    EXPECT_EQ(UseIndiTarget({"pi:7625", ""}, "/opt/orbicap/bin"),
              "/opt/orbicap/bin/../lib/libqhy5v-indi.so");
    EXPECT_STREQ(std::getenv("ORBICAP_INDI_SERVER"), "pi:7625");
    EXPECT_EQ(std::getenv("ORBICAP_INDI_DEVICE"), nullptr);

    UseIndiTarget({"localhost", "CCD Simulator"}, "/x");
    const indi::CameraLocation location = indi::ReadCameraLocation();
    ASSERT_TRUE(location.server.has_value());
    EXPECT_EQ(location.server->Text(), "localhost:7624");
    EXPECT_EQ(location.device, "CCD Simulator");
    unsetenv("ORBICAP_INDI_SERVER");
    unsetenv("ORBICAP_INDI_DEVICE");
}

} // namespace
} // namespace orbicap

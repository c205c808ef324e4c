#include "SimDriverFixture.h"

#include <cstdio>
#include <set>
#include <string>

namespace orbicap::test {
namespace {

std::set<std::string> BoundSlots(const DriverFunctions& f) {
    std::set<std::string> bound;
#define ORBICAP_COLLECT(fn)                                                                        \
    if (f.fn)                                                                                      \
        bound.insert(#fn);
    ORBICAP_DRIVER_FUNCTIONS(ORBICAP_COLLECT)
#undef ORBICAP_COLLECT
    return bound;
}

std::set<std::string> AbiNames() {
    return {
#define ORBICAP_NAME(fn) #fn,
        ORBICAP_DRIVER_FUNCTIONS(ORBICAP_NAME)
#undef ORBICAP_NAME
    };
}

// The required functions and the optional ones the simulator answers too.
std::set<std::string> SimulatorExports() {
    std::set<std::string> names = AbiNames();
#define ORBICAP_NAME(fn) names.insert(#fn);
    ORBICAP_OPTIONAL_DRIVER_FUNCTIONS(ORBICAP_NAME)
#undef ORBICAP_NAME
    return names;
}

TEST(SimBinding, BindsEveryFunction) {
    CMOSDLL32 driver;
    ASSERT_TRUE(driver.LoadCameraLibrary(kSimLibrary)) << driver.Error();
    EXPECT_TRUE(driver.IsLoaded());
    EXPECT_TRUE(driver.Error().empty());
    EXPECT_EQ(BoundSlots(driver).size(), static_cast<std::size_t>(kDriverFunctionCount));
    EXPECT_EQ(driver.Description(), "simulated camera");
}

// The library's dynamic symbol table holds the ABI (required and optional
// functions) and nothing of its own insides, so no other driver or program
// can bind to them by accident.
TEST(SimBinding, ExportsExactlyTheAbi) {
    const std::string command =
        std::string("nm -D --defined-only --format=posix ") + kSimLibrary + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        GTEST_SKIP() << "nm is not available";
    std::set<std::string> exported;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string name(line);
        name = name.substr(0, name.find(' '));
        exported.insert(name.substr(0, name.find('@'))); // drop any symbol version
    }
    if (pclose(pipe) != 0 && exported.empty())
        GTEST_SKIP() << "nm could not read the library";
    exported.erase("");
    EXPECT_EQ(exported, SimulatorExports());
}

TEST(SimBinding, RefusesLibraryWithoutAFunction) {
    CMOSDLL32 driver;
    EXPECT_FALSE(driver.LoadCameraLibrary(ORBICAP_LIB_DIR "/libqhy5v-incomplete.so"));
    EXPECT_FALSE(driver.IsLoaded());
    EXPECT_NE(driver.Error().find("bufferCopy"), std::string::npos) << driver.Error();
    // No slot survives a refused load, so no call can reach the library.
    EXPECT_TRUE(BoundSlots(driver).empty());
}

TEST(SimBinding, RefusesMissingFileWithLoaderReason) {
    CMOSDLL32 driver;
    ASSERT_TRUE(driver.LoadCameraLibrary(kSimLibrary)) << driver.Error();
    const std::string missing = ORBICAP_LIB_DIR "/libqhy5v-absent.so";
    EXPECT_FALSE(driver.LoadCameraLibrary(missing));
    EXPECT_FALSE(driver.IsLoaded());
    EXPECT_NE(driver.Error().find("libqhy5v-absent.so"), std::string::npos) << driver.Error();
    EXPECT_NE(driver.Error().find("No such file"), std::string::npos) << driver.Error();
    EXPECT_TRUE(BoundSlots(driver).empty());
}

} // namespace
} // namespace orbicap::test

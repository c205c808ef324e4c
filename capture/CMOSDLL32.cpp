#include "CMOSDLL32.h"

#include "DriverLocation.h"

#include <cstdlib>
#include <string>

namespace orbicap {

bool CMOSDLL32::LoadCameraLibrary(const std::string& path) {
    static_cast<DriverFunctions&>(*this) = DriverFunctions{};
    describe_ = nullptr;
    path_.clear();
    if (!library_.Open(path)) {
        error_ = library_.Error();
        return false;
    }
    std::string missing;
#define ORBICAP_BIND_SLOT(fn)                                                                      \
    fn = reinterpret_cast<decltype(fn)>(library_.Symbol(#fn));                                     \
    if (!fn && missing.empty())                                                                    \
        missing = #fn;
    ORBICAP_DRIVER_FUNCTIONS(ORBICAP_BIND_SLOT)
#undef ORBICAP_BIND_SLOT
    if (!missing.empty()) {
        error_ = path + ": the driver does not export " + missing;
        static_cast<DriverFunctions&>(*this) = DriverFunctions{};
        library_.Close();
        return false;
    }
    describe_ = reinterpret_cast<decltype(describe_)>(library_.Symbol("DriverDescription"));
    path_ = path;
    error_.clear();
    return true;
}

std::string CMOSDLL32::Description() const {
    if (describe_) {
        if (const char* text = describe_(); text && *text)
            return text;
    }
    const auto slash = path_.find_last_of('/');
    return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

void CMOSDLL32::KeepLentBlock(FrameBlock block) {
    std::lock_guard guard(lentLock_);
    lentBlocks_.push_back(std::move(block));
}

std::string ChooseDriverPath(const std::string& commandLinePath, const std::string& executableDir) {
    if (!commandLinePath.empty())
        return commandLinePath;
    if (const char* env = std::getenv("ORBICAP_DRIVER"); env && *env)
        return env;
    return DriverLibraryPath(executableDir, "libqhy5v-sim.so");
}

} // namespace orbicap

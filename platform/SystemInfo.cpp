#include "SystemInfo.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace orbicap {

std::uint64_t FreePhysicalMemory() {
    if (std::FILE* f = std::fopen("/proc/meminfo", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f)) {
            unsigned long long kb = 0;
            if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1) {
                std::fclose(f);
                return static_cast<std::uint64_t>(kb) * 1024u;
            }
        }
        std::fclose(f);
    }
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long size = sysconf(_SC_PAGESIZE);
    return pages > 0 && size > 0 ? static_cast<std::uint64_t>(pages) * size : 0;
}

std::uint64_t TotalPhysicalMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long size = sysconf(_SC_PAGESIZE);
    return pages > 0 && size > 0 ? static_cast<std::uint64_t>(pages) * size : 0;
}

namespace {

std::uint64_t StatusField(const char* field) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return 0;
    char line[256];
    std::uint64_t bytes = 0;
    const std::size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            unsigned long long kb = 0;
            if (std::sscanf(line + length + 1, "%llu", &kb) == 1)
                bytes = static_cast<std::uint64_t>(kb) * 1024u;
            break;
        }
    }
    std::fclose(f);
    return bytes;
}

} // namespace

std::uint64_t ResidentMemory() {
    return StatusField("VmRSS");
}

std::uint64_t PeakResidentMemory() {
    return StatusField("VmHWM");
}

void ResetPeakResidentMemory() {
    // Writing 5 to clear_refs resets the peak resident size (VmHWM).
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

std::int64_t UtcOffset100ns() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    // tm_gmtoff is local minus UTC in seconds, daylight time included.
    return -static_cast<std::int64_t>(local.tm_gmtoff) * 10'000'000;
}

double NowAsDayCount() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    // Microseconds, so that frames taken within one millisecond still get
    // distinct, rising times (a double day count resolves about 1 us).
    const std::int64_t utcUs = duration_cast<microseconds>(now.time_since_epoch()).count();
    const std::int64_t localUs = utcUs + static_cast<std::int64_t>(local.tm_gmtoff) * 1'000'000;
    // 25569 days lie between 1899-12-30 and 1970-01-01.
    return 25569.0 + static_cast<double>(localUs) / 86'400'000'000.0;
}

} // namespace orbicap

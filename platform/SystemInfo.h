#pragma once

#include <cstdint>

namespace orbicap {

// Physical memory the system can still hand out without swapping, in bytes
// (MemAvailable; free pages where that is missing).
std::uint64_t FreePhysicalMemory();

// Physical memory of the machine, in bytes (0 where the system does not say).
std::uint64_t TotalPhysicalMemory();

// Resident memory of this process now, and its peak since the start or the
// last ResetPeakResidentMemory, in bytes (0 where the system does not say).
std::uint64_t ResidentMemory();
std::uint64_t PeakResidentMemory();
void ResetPeakResidentMemory();

// UTC minus local time at this moment, in 100-nanosecond units.
std::int64_t UtcOffset100ns();

// Local date and time as days since 1899-12-30 00:00 with the time of day as
// fraction, to the microsecond.
double NowAsDayCount();

} // namespace orbicap

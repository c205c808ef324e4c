#pragma once

#include <cstdint>
#include <string>

namespace orbicap {

// Milliseconds since 1899-12-30 00:00 UTC of a local day count (the frames'
// TimeStamp), given UTC minus local time in 100-nanosecond units.
std::int64_t UtcMsFromLocalDayCount(double localDayCount, std::int64_t utcOffset100ns);

// ISO 8601 with milliseconds, "2026-12-10T13:55:01.234"; with zone, a "Z"
// follows. FITS wants it without the zone letter, the capture log with it.
std::string IsoUtc(std::int64_t utcMs, bool withZone);

} // namespace orbicap

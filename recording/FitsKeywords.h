#pragma once

#include "capture/ImageList.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace orbicap {

// What the observation keywords of one frame's FITS header say. They are
// optional cards after the structural ones and before END, in the room the
// blank cards of the one header block leave, so a file keeps its size.
struct FitsObservation {
    std::string DateObs; // UTC start of the exposure, "2026-12-10T13:55:01.234"
    double ExposureSeconds = 0.0;
    int Gain = 0;
    std::string Instrument;
    std::string Software;
};

inline constexpr std::size_t kFitsObservationCards = 5;

// The observation of a frame (its TimeStamp is local time).
FitsObservation ObservationOf(const ImageLst& frame, int exposureMs, int gain,
                              const std::string& instrument, std::int64_t utcOffset100ns);

// Writes DATE-OBS, EXPTIME, GAIN, INSTRUME and SWCREATE into the
// kFitsObservationCards cards of 80 characters from cards on, which must be
// blank. Text is cut to what a card holds and kept to printable ASCII.
void PutObservationCards(char* cards, const FitsObservation& observation);

} // namespace orbicap

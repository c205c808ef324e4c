#pragma once

#include "capture/ImageList.h"
#include "platform/Status.h"
#include "recording/FitsKeywords.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace orbicap {

// The recorder's conversion buffer: three planes of 752 x 479 samples of
// 16 bits, the largest frame a FITS file gets.
inline constexpr std::size_t kFitsBufferBytes = 2'880'004;

// Writes one frame as a FITS file: one 2880-byte header block, then the
// samples (8-bit unchanged, 16-bit offset by 32768 and big-endian), zero
// filled to a whole block. Mono frames are 2-D from the frame's own data;
// colour frames are 3-D (width x (height - 1) x 3) from fitsBuffer, which the
// caller has already filled with the demosaiced planes. 16-bit samples are
// converted into fitsBuffer (in place for colour); nothing is allocated.
// With an observation its cards follow BSCALE in place of blank cards.
// On failure no file is left behind.
Status WriteFitsFile(const std::string& fileName, const ImageLst& frame, bool colorCamera,
                     std::uint8_t* fitsBuffer, const FitsObservation* observation = nullptr);

} // namespace orbicap

#pragma once

namespace orbicap {

// Whether the processor runs the 512-bit byte-permute kernels (AVX-512 BW,
// VL and VBMI). Decided once; the portable kernels serve everywhere else.
bool HasByteShuffle512();

} // namespace orbicap

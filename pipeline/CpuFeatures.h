#pragma once

namespace orbicap {

// Which vector kernels the processor runs. Each is decided once; where one is
// missing, or ORBICAP_PORTABLE_KERNELS=1 is set (for comparison runs), the
// portable code serves instead.

// 16-byte byte shuffles (SSSE3).
bool HasByteShuffle128();
// 32-byte integer operations and byte shuffles (AVX2).
bool HasByteShuffle256();
// The 512-bit byte-permute kernels (AVX-512 BW, VL and VBMI).
bool HasByteShuffle512();

} // namespace orbicap

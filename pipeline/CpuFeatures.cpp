#include "pipeline/CpuFeatures.h"

#include <cstdlib>

namespace orbicap {

bool HasByteShuffle512() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    static const bool supported = [] {
        // ORBICAP_PORTABLE_KERNELS=1 forces the portable code (for comparison runs).
        const char* forced = std::getenv("ORBICAP_PORTABLE_KERNELS");
        if (forced && forced[0] == '1')
            return false;
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
               __builtin_cpu_supports("avx512vbmi");
    }();
    return supported;
#else
    return false;
#endif
}

} // namespace orbicap

#include "pipeline/CpuFeatures.h"

#include <cstdlib>

namespace orbicap {

namespace {

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
bool PortableForced() {
    const char* forced = std::getenv("ORBICAP_PORTABLE_KERNELS");
    return forced && forced[0] == '1';
}

template <typename Check> bool Decide(Check check) {
    if (PortableForced())
        return false;
    __builtin_cpu_init();
    return check();
}
#endif

} // namespace

bool HasByteShuffle128() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    static const bool supported = Decide([] { return __builtin_cpu_supports("ssse3") != 0; });
    return supported;
#else
    return false;
#endif
}

bool HasByteShuffle256() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    static const bool supported = Decide([] { return __builtin_cpu_supports("avx2") != 0; });
    return supported;
#else
    return false;
#endif
}

bool HasByteShuffle512() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    static const bool supported = Decide([] {
        return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
               __builtin_cpu_supports("avx512vbmi");
    });
    return supported;
#else
    return false;
#endif
}

} // namespace orbicap

#include "ReverbKernel.h"

namespace {

// Asked once: the answer cannot change while the process runs. The compiler's CPU probe
// also checks that the system saves the wide registers on a task switch. The AVX2 kernel also
// uses fused multiply-adds, which every CPU with AVX2 we know of has.
bool CpuHasAvx2AndFma()
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool hasBoth = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("fma") != 0;
    }();
    return hasBoth;
#else
    return false;
#endif
}

} // namespace

bool IsKernelSupported(ReverbKernel kernel)
{
    switch (kernel) {
    case ReverbKernel::kReference:
    case ReverbKernel::kSse2:
        return true;
    case ReverbKernel::kAvx2:
        return CpuHasAvx2AndFma();
    }
    return false;
}

ReverbKernel BestSupportedKernel()
{
    return CpuHasAvx2AndFma() ? ReverbKernel::kAvx2 : ReverbKernel::kSse2;
}

const char* KernelName(ReverbKernel kernel)
{
    switch (kernel) {
    case ReverbKernel::kReference: return "reference";
    case ReverbKernel::kSse2: return "sse2";
    case ReverbKernel::kAvx2: return "avx2";
    }
    return "unknown";
}

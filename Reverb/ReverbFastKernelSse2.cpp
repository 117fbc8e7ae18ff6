// The vector kernel for every x86-64 CPU (SSE2, the baseline of the architecture).
#include "ReverbFastKernel.inl"

template class ReverbFastKernel<ReverbKernel::kSse2>;

// The vector kernel for CPUs with AVX2 and FMA. Compiled with -mavx2 -mfma; products are never
// contracted into fused multiply-adds (-ffp-contract=off, for every file), so sample values
// round as the reference's do. Only the stage gains' steps ask for fused ones (MultiplyAdd).
// The engine runs this kernel only where the CPU supports both.
#if !defined(__AVX2__) || !defined(__FMA__)
#error "compile this file with -mavx2 -mfma"
#endif

#include "ReverbFastKernel.inl"

template class ReverbFastKernel<ReverbKernel::kAvx2>;

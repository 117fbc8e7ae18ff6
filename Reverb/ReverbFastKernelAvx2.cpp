// The vector kernel for CPUs with AVX2. Compiled with -mavx2 (and without -mfma: contracting
// products into fused multiply-adds would change the rounding); the engine runs it only where
// the CPU supports it.
#if !defined(__AVX2__)
#error "compile this file with -mavx2"
#endif
#if defined(__FMA__)
#error "fused multiply-add would change results; compile without -mfma"
#endif

#include "ReverbFastKernel.inl"

template class ReverbFastKernel<ReverbKernel::kAvx2>;

// The implementations of the engine's per-sample processing. All of them produce the same
// sound: the vector kernels match the scalar reference bit for bit with Turbulence Off, and with
// Turbulence On too except where the runtime's pow, which the reference uses for the stage
// gains, errs by more than 0.51 units in the last place; the sound then differs by rounding
// only (within 1e-12 of every sample above a thousandth of the peak).
#pragma once

enum class ReverbKernel {
    kReference, // the algorithm written out sample by sample, in scalar code
    kSse2,      // left and right side as two-lane vectors; runs on every x86-64 CPU
    kAvx2,      // the same with four-lane vectors; needs a CPU (and system) with AVX2 and FMA
};

// Whether this CPU and system can run the kernel.
bool IsKernelSupported(ReverbKernel kernel);

// The fastest kernel this CPU can run; what every engine uses unless told otherwise.
ReverbKernel BestSupportedKernel();

// "reference", "sse2" or "avx2".
const char* KernelName(ReverbKernel kernel);

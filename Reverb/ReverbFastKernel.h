// The vector kernels behind ReverbEngine::Process, one instantiation per instruction set. Each
// is compiled in its own translation unit with its own target flags (ReverbFastKernelSse2.cpp,
// ReverbFastKernelAvx2.cpp); the engine picks one at run time. Only the engine calls them.
#pragma once

#include "ReverbKernel.h"

class ReverbEngine;

template <ReverbKernel kKernel>
class ReverbFastKernel {
public:
    // Renders like ReverbEngine::ProcessReference for an engine that is ready, has frames > 0
    // and two output channels, and runs 8 lines with Turbulence On or 6 lines with it Off
    // (FastKernelRunsThisSetup). The caller sets the floating-point mode.
    static void Process(ReverbEngine& engine, const double* const* inputs, double* const* outputs, int frames);
};

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
    // (FastKernelRunsThisSetup). The caller sets the floating-point mode. Returns whether every
    // value written into the lines and wet histories was +0.0.
    static bool Process(ReverbEngine& engine, const double* const* inputs, double* const* outputs, int frames);

    // The generators' part of `frames` frames, for the idle path: the walks and offsets move
    // and turn as in Process, with the same draws. Nothing else changes.
    static void AdvanceGenerators(ReverbEngine& engine, int frames);

    // The deviations and stage gains Process leaves for the frame the walks stand at.
    static void StoreLastGains(ReverbEngine& engine);

    // Whether all `frames` samples are +0.0; a null channel counts as silent.
    static bool IsSilent(const double* samples, int frames);
    // Whether all `frames` samples are finite.
    static bool AllFinite(const double* samples, int frames);

private:
    // Between the engine's arrays and the kernel's vectors (Carried, a type of the kernel's own
    // file): the turbulence walks and the modulation offsets with their steps.
    template <class Carried>
    static void LoadWalks(const ReverbEngine& engine, Carried& c);
    template <class Carried>
    static void StoreWalks(ReverbEngine& engine, const Carried& c);
    template <class Carried>
    static void LoadOffsets(const ReverbEngine& engine, Carried& c);
    template <class Carried>
    static void StoreOffsets(ReverbEngine& engine, const Carried& c);
};

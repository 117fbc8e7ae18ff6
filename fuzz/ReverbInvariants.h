#pragma once

#include "IEffectBase.h"
#include "ReverbEngine.h"

// Checks that hold for the reverb after any restore, whichever host adapter it is built with.

// The engine's copy of every sound parameter equals the parameter's value.
void CheckEngineCopies(const IEffectBase& effect, const ReverbEngine& engine, const char* what);

// A loud block of noise through the instance comes out finite. The instance must be prepared
// for processing (sample rate and block size set).
void CheckBlockFinite(IEffectBase& effect, const char* what);

// The checks every restore ends with: values, engine copies, a finite block, and a state that
// survives write -> read -> write.
void CheckReverbAfterRestore(IEffectBase& effect, const ReverbEngine& engine, const char* what);

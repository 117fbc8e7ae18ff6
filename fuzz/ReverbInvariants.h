#pragma once

#include "IEffectBase.h"
#include "ReverbEngine.h"

// Checks that hold for the reverb after any restore, whichever host adapter it is built with.

// The checks every restore ends with: values, the engine's copy of every sound parameter, a
// loud block that comes out finite, and a state that survives write -> read -> write. The
// instance must be prepared for processing blocks of kFuzzBlockFrames.
void CheckReverbAfterRestore(IEffectBase& effect, const ReverbEngine& engine, const char* what);

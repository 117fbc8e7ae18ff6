#pragma once

#include "IEffectBase.h"

// What every harness sets an instance up with before the input arrives.
constexpr double kFuzzSampleRate = 48000.0;
constexpr int32_t kFuzzBlockFrames = 256;

// Moves every parameter to a value of its own, none of them the default, through the path a
// host's automation takes, so that a restore that wrongly resets a value cannot pass unseen.
void SetAwayFromDefaults(IEffectBase& effect);

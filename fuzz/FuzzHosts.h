#pragma once

#include "IEffectBase.h"

#include <cstddef>
#include <cstdint>

// What every harness sets an instance up with before the input arrives.
constexpr double kFuzzSampleRate = 48000.0;
constexpr int32_t kFuzzBlockFrames = 256;

// Brings a long-lived instance to the same starting point before every input, so that each
// input runs alike however many came before: every preset slot holds a stored preset, every
// parameter a value of its own (none the default, none the stored one), bypass is off and the
// engine is reset. A restore that wrongly resets a value or recalls the preset cannot pass
// unseen from there.
void SetBaseline(IEffectBase& effect);

// An input of a harness that serves several entry points: its first byte chooses the entry
// point (modulo `modes`), the rest is that entry point's input. False for an empty input.
struct ModeInput
{
    int mode = 0;
    const uint8_t* bytes = nullptr;
    size_t size = 0;
};
bool SplitMode(const uint8_t* data, size_t size, int modes, ModeInput& out);

#pragma once

#include "IEffectBase.h"

#include <cstdint>
#include <string>
#include <vector>

// What a restore may change in an instance: every parameter value and every preset slot. Taken
// before a restore, it says what a failed one must leave alone and what a good one must set.
struct EffectSnapshot
{
    struct Slot
    {
        bool initialised;
        std::string name;
        std::vector<uint8_t> state;
        bool operator==(const Slot& other) const;
    };

    std::vector<double> values;
    std::vector<Slot> slots;
    int32_t currentPreset = 0;

    static EffectSnapshot Of(const IEffectBase& effect);

    // The values after reading the state at `start` of `bytes` as far as it goes: each value
    // held whole takes its place, clamped into the parameter's range; the others stay.
    std::vector<double> ValuesAfterReading(const IEffectBase& effect, const uint8_t* bytes, int64_t size,
                                           int64_t start) const;
};

// The bytes a chunk holds.
std::vector<uint8_t> BytesOf(const IStateChunk& chunk);

// The number of bytes of a whole state of the instance (8 per parameter).
int64_t StateBytes(const IEffectBase& effect);

// Every parameter finite and inside its range, and the same values, bit for bit, as `expected`
// (when given); the preset slots as they were in `before`. `what` names the input's path.
void CheckValues(const IEffectBase& effect, const std::vector<double>* expected, const char* what);
void CheckSlots(const EffectSnapshot& before, const IEffectBase& effect, const char* what);

// Write -> read -> write gives identical bytes, and the read changes no value.
void CheckStateRoundTrip(IEffectBase& effect, const char* what);

#pragma once

#include "IStateChunk.h"

#include <cstddef>

// One named preset: a copy of the plug-in state, stored without header.
struct IPresetSlot
{
    static constexpr size_t kNameCapacity = 64;

    bool initialised = false;
    char name[kNameCapacity] = "empty";
    IStateChunk state;
};

#pragma once
// Rectangle in bitmap pixels. Right and bottom are exclusive. The field order matches the
// editor's own rectangle record, so the editor can convert field by field.

#include <cstdint>

struct GFX_Rect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

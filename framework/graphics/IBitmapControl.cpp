#include "IBitmapControl.h"

#include "IGraphics.h"
#include "IParamEntry.h"

#include <algorithm>

namespace {

IRect FrameRect(int32_t x, int32_t y, const IBitmapRef& bitmap)
{
    return IRect(x, y, SaturateToInt32(int64_t(x) + bitmap.FrameWidth()),
                 SaturateToInt32(int64_t(y) + bitmap.FrameHeight()));
}

} // namespace

IBitmapControl::IBitmapControl(IEffectBase* owner, const IBitmapRef& b)
    : IControl(owner, FrameRect(0, 0, b), -1, IBlend(kBlendReplace, 1.0f)), bitmap(b)
{
}

IBitmapControl::IBitmapControl(IEffectBase* owner, int32_t x, int32_t y, int32_t param, const IBitmapRef& b,
                               IBlend blendMode)
    : IControl(owner, FrameRect(x, y, b), param, blendMode), bitmap(b)
{
}

bool IBitmapControl::Paint(IGraphics* graphics)
{
    if (!graphics)
        return false;
    // Frames are numbered from 1; the value picks one by rounding, limited to the frames
    // that exist whatever the value.
    const int32_t frames = bitmap.FrameCount();
    int64_t frame = 1;
    if (frames >= 2)
        frame = std::clamp<int64_t>(int64_t(TruncToInt32((frames - 1) * value + 0.5)) + 1, 1, frames);

    int32_t sourceX = 0;
    int32_t sourceY = 0;
    if (frame >= 2)
    {
        const double position = double(frame - 1) / frames;
        if (bitmap.framesSideBySide)
            sourceX = TruncToInt32(bitmap.width * position + 0.5);
        else
            sourceY = TruncToInt32(bitmap.height * position + 0.5);
    }
    return graphics->DrawBitmapRegion(bitmap, rect, sourceX, sourceY, &blend);
}

#include "IFaderControl.h"

#include "IGraphics.h"
#include "IParamEntry.h"

#include <algorithm>

namespace {

IRect TrackRect(int32_t x, int32_t y, int32_t trackLength, const IBitmapRef& handle,
                IFaderControl::Direction direction)
{
    if (direction == IFaderControl::kHorizontal)
        return IRect(x, y, SaturateToInt32(int64_t(x) + trackLength), SaturateToInt32(int64_t(y) + handle.height));
    return IRect(x, y, SaturateToInt32(int64_t(x) + handle.width), SaturateToInt32(int64_t(y) + trackLength));
}

} // namespace

IFaderControl::IFaderControl(IEffectBase* owner, int32_t x, int32_t y, int32_t length, int32_t param,
                             const IBitmapRef& handle, Direction dir, bool onlyHandle)
    : IControl(owner, TrackRect(x, y, length, handle, dir), param, IBlend(kBlendDefault, 1.0f)),
      trackLength(length),
      handleLength(dir == kHorizontal ? handle.width : handle.height),
      handleBitmap(handle),
      direction(dir),
      onlyHandleHits(onlyHandle)
{
}

IRect IFaderControl::HandleRect(double v) const
{
    if (v < 0.0)
        v = value;
    // The handle never leaves its track, whatever value a caller stored.
    v = v >= 0.0 ? std::min(v, 1.0) : 0.0;
    IRect handle(rect.left, rect.top, SaturateToInt32(int64_t(rect.left) + handleBitmap.width),
                 SaturateToInt32(int64_t(rect.top) + handleBitmap.height));
    const double travel = double(Travel());
    if (direction == kHorizontal)
    {
        const int64_t offset = TruncToInt32(travel * v);
        handle.left = SaturateToInt32(handle.left + offset);
        handle.right = SaturateToInt32(handle.right + offset);
    }
    else
    {
        const int64_t offset = TruncToInt32(travel * (1.0 - v));
        handle.top = SaturateToInt32(handle.top + offset);
        handle.bottom = SaturateToInt32(handle.bottom + offset);
    }
    return handle;
}

void IFaderControl::MoveHandleTo(int32_t x, int32_t y)
{
    // A handle that fills its track has nowhere to go: the value stays.
    const int64_t travel = Travel();
    if (travel > 0)
    {
        const int64_t half = handleLength / 2;
        if (direction == kHorizontal)
            value = double(int64_t(x) - rect.left - half) / double(travel);
        else
            value = 1.0 - double(int64_t(y) - rect.top - half) / double(travel);
    }
    MarkChanged(true);
}

void IFaderControl::MouseDown(int32_t x, int32_t y, const IMouseMods& mods)
{
    if (mods.right)
    {
        AskUserForValue();
        return;
    }
    MoveHandleTo(x, y);
}

void IFaderControl::MouseDrag(int32_t x, int32_t y, int32_t, int32_t, const IMouseMods&)
{
    MoveHandleTo(x, y);
}

void IFaderControl::MouseWheel(int32_t, int32_t, const IMouseMods& mods, int32_t steps)
{
    value += steps * ((mods.control || mods.shift) ? kFineWheelStep : kWheelStep);
    MarkChanged(true);
}

bool IFaderControl::HitTest(int32_t x, int32_t y)
{
    if (onlyHandleHits)
        return HandleRect().Contains(x, y);
    return IControl::HitTest(x, y);
}

bool IFaderControl::Paint(IGraphics* graphics)
{
    if (!graphics)
        return false;
    return graphics->DrawBitmapRegion(handleBitmap, HandleRect(), 0, 0, &blend);
}

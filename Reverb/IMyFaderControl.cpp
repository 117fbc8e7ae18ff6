#include "IMyFaderControl.h"

#include "GFX_Compositing.h"
#include "IGraphics.h"
#include "IReverbEffect.h"

#include <algorithm>

IMyFaderControl::IMyFaderControl(IReverbEffect* owner, int32_t y, int32_t param, const IBitmapRef& handle)
    : IFaderControl(owner, kTrackX, y, kTrackLength, param, handle, kHorizontal, false)
{
}

IMyFaderControl::~IMyFaderControl() = default;

IRect IMyFaderControl::BarRect() const
{
    // The bar ends where the track position of the value truncates to, whatever value a
    // caller stored.
    const double v = value >= 0.0 ? std::min(value, 1.0) : 0.0;
    const int32_t barEnd = TruncToInt32(kTrackLength * v + rect.left);
    const int32_t top = SaturateToInt32(int64_t(rect.top) + kBarOffsetY);
    return IRect(rect.left, top, barEnd, SaturateToInt32(int64_t(top) + kBarHeight));
}

bool IMyFaderControl::Paint(IGraphics* graphics)
{
    if (!graphics)
        return false;
    PaintBar(*graphics);
    return IFaderControl::Paint(graphics);
}

// Clipped to the paint rectangle like every bitmap the editor draws: a partial repaint must
// not lay the bar over the part of the handle that it does not redraw.
void IMyFaderControl::PaintBar(IGraphics& graphics) const
{
    const IRect bar = BarRect();
    const IRect& clip = graphics.PaintRect();
    if (bar.Width() <= 0 || !graphics.Surface() || !bar.Meets(clip))
        return;
    const int32_t left = std::max(bar.left, clip.left);
    const int32_t top = std::max(bar.top, clip.top);
    const int32_t right = std::min(bar.right, clip.right);
    const int32_t bottom = std::min(bar.bottom, clip.bottom);
    if (right <= left || bottom <= top)
        return;
    FillArea(graphics.Surface(), left, top, right - left, bottom - top, kBarColour, 1.0f, kBlitUseSourceAlpha);
}

#include "IRadioButtonsControl.h"

#include "IGraphics.h"
#include "IParamEntry.h"

#include <algorithm>

IRadioButtonsControl::IRadioButtonsControl(IEffectBase* owner, const IRect& r, int32_t param, int32_t buttonCount,
                                           const IBitmapRef& b)
    : IControl(owner, r, param, IBlend(kBlendDefault, 1.0f)), bitmap(b)
{
    const int64_t count = std::max(buttonCount, 0);
    const int64_t width = bitmap.width;
    const int64_t height = bitmap.height / bitmap.FrameCount();
    // The space left between the buttons, shared evenly; a single button has no gap.
    int64_t gap = 0;
    if (count > 1)
        gap = TruncToInt32(double(int64_t(r.right) - count * width - r.left) / double(count - 1));

    buttons.reserve(static_cast<size_t>(count));
    int64_t x = r.left;
    for (int64_t i = 0; i < count; ++i)
    {
        buttons.emplace_back(SaturateToInt32(x), r.top, SaturateToInt32(x + width), SaturateToInt32(r.top + height));
        x += width + gap;
    }
}

IRect IRadioButtonsControl::ButtonRect(int32_t index) const
{
    if (index < 0 || index >= ButtonCount())
        return IRect();
    return buttons[static_cast<size_t>(index)];
}

int32_t IRadioButtonsControl::ActiveButton() const
{
    const int32_t count = ButtonCount();
    if (count == 0)
        return -1;
    return std::clamp(TruncToInt32((count - 1) * value + 0.5), 0, count - 1);
}

void IRadioButtonsControl::MouseDown(int32_t x, int32_t y, const IMouseMods& mods)
{
    if (mods.right)
    {
        AskUserForValue();
        return;
    }
    const int32_t count = ButtonCount();
    for (int32_t i = 0; i < count; ++i)
    {
        if (buttons[static_cast<size_t>(i)].Contains(x, y))
        {
            value = count > 1 ? double(i) / double(count - 1) : 0.0;
            break;
        }
    }
    MarkChanged(true);
}

bool IRadioButtonsControl::Paint(IGraphics* graphics)
{
    if (!graphics)
        return false;
    const int32_t active = ActiveButton();
    const int32_t frames = bitmap.FrameCount();
    for (int32_t i = 0; i < ButtonCount(); ++i)
    {
        int32_t sourceX = 0;
        int32_t sourceY = 0;
        if (i == active && frames > 1)
        {
            // The second frame holds the on state.
            if (bitmap.framesSideBySide)
                sourceX = TruncToInt32(double(bitmap.width) / frames + 0.5);
            else
                sourceY = TruncToInt32(double(bitmap.height) / frames + 0.5);
        }
        graphics->DrawBitmapRegion(bitmap, buttons[static_cast<size_t>(i)], sourceX, sourceY, &blend);
    }
    return true;
}

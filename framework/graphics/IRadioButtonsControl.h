#pragma once
// A row of buttons of which one is on; the value spreads the buttons evenly over 0..1.
// The bitmap holds the off state in frame 0 and the on state in frame 1.

#include "IControl.h"

#include <vector>

class IRadioButtonsControl : public IControl
{
public:
    // Lays out `buttonCount` buttons in a row across `rect`, the first at its left edge and
    // the last ending near its right edge, each the bitmap's width wide and one frame tall.
    IRadioButtonsControl(IEffectBase* plug, const IRect& rect, int32_t paramIndex, int32_t buttonCount,
                         const IBitmapRef& bitmap);

    // Chooses the button under the pointer and pushes the value, even when the press lands
    // between buttons.
    void MouseDown(int32_t x, int32_t y, const IMouseMods& mods) override;
    bool Paint(IGraphics* graphics) override;

    int32_t ButtonCount() const { return static_cast<int32_t>(buttons.size()); }
    // The button's rectangle; the empty rectangle for an index outside the group.
    IRect ButtonRect(int32_t index) const;
    // The button shown as on for the current value.
    int32_t ActiveButton() const;

protected:
    std::vector<IRect> buttons;
    IBitmapRef bitmap;
};

#pragma once
// An invisible push button over a button face painted on the background. Every click, with
// any mouse button, runs the reverb's action for the button and flips the button's parameter
// between 0 and 1, so that the host sees each press.

#include "IControl.h"

class IReverbEffect;

class IMyButton : public IControl
{
public:
    IMyButton(IReverbEffect* plug, const IRect& rect, int32_t paramIndex);
    ~IMyButton() override;

    void MouseDown(int32_t x, int32_t y, const IMouseMods& mods) override;
    // The face belongs to the background: nothing to draw.
    bool Paint(IGraphics* graphics) override;

private:
    IReverbEffect* reverb;
};

#pragma once
// A radio group that tells the reverb after every click, so that a switch which restarts the
// engine (Air) acts even when the click lands on the position already chosen.

#include "IRadioButtonsControl.h"

class IReverbEffect;

class IMyRadioButtonsControl : public IRadioButtonsControl
{
public:
    IMyRadioButtonsControl(IReverbEffect* plug, const IRect& rect, int32_t paramIndex, int32_t buttonCount,
                           const IBitmapRef& bitmap);
    ~IMyRadioButtonsControl() override;

    // A left click chooses and pushes like the standard group, then runs the reverb's action
    // for the parameter, which by then holds the new value. A right click only asks for a
    // value (which this editor never does).
    void MouseDown(int32_t x, int32_t y, const IMouseMods& mods) override;

private:
    IReverbEffect* reverb;
};

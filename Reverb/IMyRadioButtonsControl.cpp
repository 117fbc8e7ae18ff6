#include "IMyRadioButtonsControl.h"

#include "IReverbEffect.h"

IMyRadioButtonsControl::IMyRadioButtonsControl(IReverbEffect* owner, const IRect& r, int32_t param,
                                               int32_t buttonCount, const IBitmapRef& b)
    : IRadioButtonsControl(owner, r, param, buttonCount, b), reverb(owner)
{
}

IMyRadioButtonsControl::~IMyRadioButtonsControl() = default;

void IMyRadioButtonsControl::MouseDown(int32_t x, int32_t y, const IMouseMods& mods)
{
    if (mods.right)
    {
        AskUserForValue();
        return;
    }
    IRadioButtonsControl::MouseDown(x, y, mods);
    if (reverb)
        reverb->OnEditorAction(paramIndex);
    SetPendingRedraw();
}

#include "IMyButton.h"

#include "IReverbEffect.h"

IMyButton::IMyButton(IReverbEffect* owner, const IRect& r, int32_t param)
    : IControl(owner, r, param, IBlend(kBlendReplace, 1.0f)), reverb(owner)
{
}

IMyButton::~IMyButton() = default;

void IMyButton::MouseDown(int32_t, int32_t, const IMouseMods&)
{
    // The action comes first: it must not depend on which way the value flips.
    if (reverb)
        reverb->OnEditorAction(paramIndex);
    value = value < 0.5 ? 1.0 : 0.0;
    MarkChanged(true);
}

bool IMyButton::Paint(IGraphics*)
{
    return true;
}

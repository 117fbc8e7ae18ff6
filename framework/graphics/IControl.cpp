#include "IControl.h"

#include "IEffectBase.h"
#include "IGraphics.h"
#include "IParamEntry.h"
#include "ITextControl.h"

#include <cstdio>

namespace {

constexpr int32_t kPromptHalfWidth = 20;   // the entry field offered for a number: 40 x 16 pixels
constexpr int32_t kPromptHalfHeight = 8;

} // namespace

IControl::IControl(IEffectBase* owner, const IRect& r, int32_t param, IBlend b)
    : plug(owner), rect(r), targetRect(r), paramIndex(param), blend(b)
{
}

IControl::~IControl() = default;

void IControl::MouseDown(int32_t, int32_t, const IMouseMods& mods)
{
    if (mods.right)
        AskUserForValue();
}

void IControl::MouseUp(int32_t, int32_t, const IMouseMods&)
{
}

void IControl::MouseDrag(int32_t, int32_t, int32_t, int32_t, const IMouseMods&)
{
}

void IControl::MouseDoubleClick(int32_t, int32_t, const IMouseMods&)
{
    if (defaultValue >= 0.0)
    {
        value = defaultValue;
        MarkChanged(true);
    }
}

void IControl::MouseWheel(int32_t, int32_t, const IMouseMods&, int32_t)
{
}

bool IControl::KeyDown(int32_t, int32_t, int32_t)
{
    return false;
}

void IControl::MouseEnter(int32_t, int32_t, const IMouseMods&)
{
}

void IControl::MouseLeave()
{
}

void IControl::ApplyPluginValue(double normalized)
{
    if (defaultValue < 0.0)
    {
        defaultValue = normalized;
        value = normalized;
    }
    if (normalized != value)
    {
        value = normalized;
        MarkChanged(false);
        pendingRedraw = true;
    }
}

void IControl::ApplyUserValue(double normalized)
{
    if (normalized != value)
    {
        value = normalized;
        MarkChanged(true);
        pendingRedraw = true;
    }
}

void IControl::AcceptEnteredText(const char*)
{
}

void IControl::SetHidden(bool hide)
{
    hidden = hide;
    pendingRedraw = true;
    MarkChanged(false);
}

void IControl::SetGreyed(bool grey)
{
    greyed = grey;
    blend.weight = grey ? kGreyedWeight : 1.0f;
    MarkChanged(false);
}

bool IControl::HitTest(int32_t x, int32_t y)
{
    return targetRect.Contains(x, y);
}

void IControl::MarkChanged(bool pushToPlug)
{
    // A NaN fails every comparison; it is taken as the lower bound so that nothing downstream
    // turns it into a frame or button index.
    if (!(value >= lowerClamp))
        value = lowerClamp;
    else if (value > upperClamp)
        value = upperClamp;
    dirty = true;

    if (!pushToPlug || !plug || paramIndex < 0)
        return;
    // Under the instance lock, so that a host value still waiting for the window thread,
    // which is older than this edit, is dropped before it could overwrite the edit.
    ILockGuard lock(plug->Mutex());
    if (graphics)
        graphics->ForgetPendingValue(paramIndex);
    plug->SetParameterFromEditor(paramIndex, value);
    if (const IParamEntry* param = Param())
        UpdateReadouts(*param);
}

// Value readout: the display text (at most 32 characters), a space, and the unit label (at
// most 32 characters), which is left out while a display text names the value.
void IControl::UpdateReadouts(const IParamEntry& param)
{
    if (valueText)
    {
        char display[IParamEntry::kTextCapacity + 1];
        param.FormatValueText(param.Value(), false, display, sizeof display, true);
        char text[sizeof display + 1 + IParamEntry::kTextCapacity + 1];
        snprintf(text, sizeof text, "%s %.32s", display, param.LabelForHost());
        valueText->ReplaceText(text);
    }
    if (nameText)
        nameText->ReplaceText(param.Name());
}

void IControl::CommitRedraw()
{
    dirty = pendingRedraw;
    pendingRedraw = false;
}

bool IControl::NeedsRedraw()
{
    return dirty;
}

void IControl::ApplyLinkedPluginValue(int32_t position, double normalized)
{
    if (position < 0 || position >= static_cast<int32_t>(linkedParams.size()))
        return;
    ILinkedParam& linked = linkedParams[static_cast<size_t>(position)];
    if (linked.value != normalized)
    {
        linked.value = normalized;
        MarkChanged(false);
        pendingRedraw = true;
    }
}

void IControl::AskUserForValue()
{
    if (paramIndex < 0 || valuePromptDisabled || !graphics)
        return;
    IParamEntry* param = Param();
    if (!param)
        return;
    IRect prompt = rect;
    if (param->DisplayTextCount() == 0)
    {
        // A small field centred on the control for typing a number.
        const int64_t cx = TruncToInt32((double(rect.left) + double(rect.right)) * 0.5);
        const int64_t cy = TruncToInt32((double(rect.top) + double(rect.bottom)) * 0.5);
        prompt = IRect(SaturateToInt32(cx - kPromptHalfWidth), SaturateToInt32(cy - kPromptHalfHeight),
                       SaturateToInt32(cx + kPromptHalfWidth), SaturateToInt32(cy + kPromptHalfHeight));
    }
    graphics->AskValueForControl(this, param, prompt);
    pendingRedraw = true;
}

IParamEntry* IControl::Param() const
{
    if (!plug || paramIndex < 0)
        return nullptr;
    return plug->Parameter(paramIndex);
}

void IControl::SetClamp(double lower, double upper)
{
    lowerClamp = lower;
    upperClamp = upper;
}

void IControl::AddLinkedParam(int32_t linkedParamIndex)
{
    linkedParams.push_back(ILinkedParam{0.0, linkedParamIndex});
}

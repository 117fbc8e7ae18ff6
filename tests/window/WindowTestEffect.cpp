#include "WindowTestEffect.h"

#include "IGraphicsWin.h"
#include "platform/IGraphicsPlatform.h"

namespace {

const IEffectConfig kConfig = {
    "Tessivane Window Test", "", "Tessivane Audio", FourCharCode('T', 's', 'v', 'W'), FourCharCode('T', 's', 'v', 'n'),
    0x00010208, "1-1 2-2", WindowTestEffect::kParamCount, 1, WindowTestEffect::kWidth, WindowTestEffect::kHeight,
    false, false, true};

} // namespace

const IEffectConfig& PluginConfig()
{
    return kConfig;
}

IEffectAdapter* CreatePluginInstance(IEffectAdapter::HostCallback host)
{
    return new WindowTestEffect(host);
}

// ---- ProbeControl -------------------------------------------------------------------------------

ProbeControl::ProbeControl(IEffectBase* owner, const IRect& r, int32_t param) : IControl(owner, r, param)
{
}

void ProbeControl::MouseDown(int32_t, int32_t, const IMouseMods&)
{
    ++presses;
}

void ProbeControl::MouseDoubleClick(int32_t x, int32_t y, const IMouseMods& mods)
{
    ++doubleClicks;
    IControl::MouseDoubleClick(x, y, mods);
}

void ProbeControl::MouseWheel(int32_t, int32_t, const IMouseMods&, int32_t steps)
{
    wheelSteps.push_back(steps);
}

bool ProbeControl::KeyDown(int32_t, int32_t, int32_t key)
{
    keys.push_back(key);
    return true;
}

void ProbeControl::MouseEnter(int32_t, int32_t, const IMouseMods&)
{
    ++enters;
}

void ProbeControl::MouseLeave()
{
    ++leaves;
}

void ProbeControl::AcceptEnteredText(const char* text)
{
    enteredText = text;
}

bool ProbeControl::Paint(IGraphics*)
{
    ++paints;
    return true;
}

bool ProbeControl::NeedsRedraw()
{
    ++ticks;
    return IControl::NeedsRedraw();
}

// ---- WindowTestEffect ---------------------------------------------------------------------------

WindowTestEffect::WindowTestEffect(HostCallback host) : IEffectAdapter(host, kConfig)
{
    Parameter(kLevel)->InitContinuous("Level", 0.3, 0.0, 1.0, 0.0001, "");
    Parameter(kMode)->SetKind(kParamEnum);
    Parameter(kMode)->InitContinuous("Mode", 0.0, 0.0, 2.0, 1.0, "");
    Parameter(kMode)->AddDisplayText(0, "Room");
    Parameter(kMode)->AddDisplayText(1, "Hall");
    Parameter(kMode)->AddDisplayText(2, "Plate");
    Parameter(kCount)->SetKind(kParamInt);
    Parameter(kCount)->InitContinuous("Count", 3.0, 0.0, 10.0, 1.0, "");
    Parameter(kSwitch)->SetKind(kParamBool);
    Parameter(kSwitch)->InitContinuous("Switch", 1.0, 0.0, 1.0, 1.0, "");
    Parameter(kSwitch)->AddDisplayText(0, "Off");
    Parameter(kSwitch)->AddDisplayText(1, "On");
    Parameter(kTrim)->InitContinuous("Trim", -6.0, -12.0, 0.0, 0.1, "dB");
    Parameter(kTrim)->SetNegateDisplay(true);
    Parameter(kFlag)->SetKind(kParamBool);
    Parameter(kFlag)->InitContinuous("Flag", 0.0, 0.0, 1.0, 1.0, "");

    graphics = static_cast<IGraphicsWin*>(IGraphicsPlatform::CreateEditor(this, kWidth, kHeight, 25));
    background = new Counted<IBitmapControl>(this, graphics->LoadBitmapResource(kBackgroundPng, "background.png"));
    graphics->AddControl(background);
    fader = new Counted<IFaderControl>(this, 20, 10, 110, kLevel, graphics->LoadBitmapResource(kHandlePng, "fader.png"));
    fader->SetValuePromptDisabled(false);
    graphics->AddControl(fader);
    buttons = new Counted<IRadioButtonsControl>(this, IRect(20, 40, 130, 50), kMode, 3,
                                                graphics->LoadBitmapResource(kButtonPng, "radio.png", 2));
    buttons->SetValuePromptDisabled(false);
    graphics->AddControl(buttons);
    probe = new ProbeControl(this, IRect(150, 10, 190, 30));
    probe->SetTooltip("Probe tip");
    graphics->AddControl(probe);
    entryProbe = new ProbeControl(this, IRect(150, 60, 190, 80));
    graphics->AddControl(entryProbe);
    keyCatcher = new ProbeControl(this, IRect());
    graphics->SetKeyCatcher(keyCatcher);
    AttachEditor(graphics);
}

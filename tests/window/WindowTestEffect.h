#pragma once
// A small plug-in with an editor, for driving the editor's window under Wine. Its sources are
// compiled once with each host adapter; its bitmaps come from the module's PNG resources
// (WindowTestResources.rc), so both its module and the in-process tests find them as a
// host's module would.

#include "IEffectAdapter.h"

#include "IBitmapControl.h"
#include "IControl.h"
#include "IFaderControl.h"
#include "IRadioButtonsControl.h"

#include <cstdint>
#include <string>
#include <vector>

class IGraphicsWin;

// A control that counts what reaches it. Its NeedsRedraw runs once per redraw tick, so its
// count of those calls measures the window's timer.
class ProbeControl : public IControl
{
public:
    ProbeControl(IEffectBase* plug, const IRect& rect, int32_t paramIndex = -1);

    void MouseDown(int32_t x, int32_t y, const IMouseMods& mods) override;
    void MouseDoubleClick(int32_t x, int32_t y, const IMouseMods& mods) override;
    void MouseWheel(int32_t x, int32_t y, const IMouseMods& mods, int32_t steps) override;
    bool KeyDown(int32_t x, int32_t y, int32_t key) override;
    void MouseEnter(int32_t x, int32_t y, const IMouseMods& mods) override;
    void MouseLeave() override;
    void AcceptEnteredText(const char* text) override;
    bool Paint(IGraphics* graphics) override;
    bool NeedsRedraw() override;

    // Points the control at another parameter, for the entry field's tests.
    void Bind(int32_t param) { paramIndex = param; }

    int paints = 0;
    int ticks = 0;
    int presses = 0;
    int doubleClicks = 0;
    int enters = 0;
    int leaves = 0;
    std::vector<int32_t> wheelSteps;
    std::vector<int32_t> keys;
    std::string enteredText;
};

// A standard control whose paints are counted.
template <class Control>
class Counted : public Control
{
public:
    using Control::Control;
    bool Paint(IGraphics* graphics) override
    {
        ++paints;
        return Control::Paint(graphics);
    }
    int paints = 0;
};

class WindowTestEffect : public IEffectAdapter
{
public:
    enum Param : int32_t
    {
        kLevel,   // continuous 0..1
        kMode,    // enumerated: "Room", "Hall", "Plate"
        kCount,   // integer 0..10
        kSwitch,  // boolean: "Off", "On"
        kTrim,    // continuous -12..0, shown negated
        kFlag,    // boolean without display texts
        kParamCount
    };
    enum Resource : int32_t
    {
        kBackgroundPng = 101,
        kHandlePng = 102,
        kButtonPng = 103,
        kShortPng = 104,
        kBrokenPng = 105,
    };
    static constexpr int32_t kWidth = 200;
    static constexpr int32_t kHeight = 120;
    // Colours of the bitmaps, as GDI reads them back (0x00BBGGRR).
    static constexpr uint32_t kBackgroundColour = 0x00A05028;
    static constexpr uint32_t kHandleColour = 0x001E1EDC;
    static constexpr uint32_t kButtonOnColour = 0x003CC81E;
    static constexpr int32_t kHandleSize = 10;

    explicit WindowTestEffect(HostCallback host);

    IGraphicsWin& Graphics() const { return *graphics; }

    IGraphicsWin* graphics;
    Counted<IBitmapControl>* background;
    Counted<IFaderControl>* fader;              // kLevel, track (20, 10) .. (130, 20)
    Counted<IRadioButtonsControl>* buttons;     // kMode, three buttons in (20, 40) .. (130, 50)
    ProbeControl* probe;                        // no parameter, (150, 10) .. (190, 30)
    ProbeControl* entryProbe;                   // (150, 60) .. (190, 80), bound as a test needs
    ProbeControl* keyCatcher;
};

#pragma once
// The reverb's fader: a horizontal fader whose track is filled with a coloured value bar from
// its left end up to the handle, so that every setting reads at a glance.

#include "IFaderControl.h"

class IReverbEffect;

class IMyFaderControl : public IFaderControl
{
public:
    static constexpr int32_t kTrackX = 84;         // left end of every track, editor pixels
    static constexpr int32_t kTrackLength = 118;   // pixels
    static constexpr int32_t kBarOffsetY = 5;      // the bar's first row below the control's top
    static constexpr int32_t kBarHeight = 2;       // rows
    static constexpr uint32_t kBarColour = 0xff00b8c2;   // opaque, alpha in the top byte

    // A fader on the row whose top is `y`; its height is the handle's.
    IMyFaderControl(IReverbEffect* plug, int32_t y, int32_t paramIndex, const IBitmapRef& handleBitmap);
    ~IMyFaderControl() override;

    // The bar first, then the handle over the bar's end.
    bool Paint(IGraphics* graphics) override;

    // Where the bar lies for the current value; its width is 0 at value 0.
    IRect BarRect() const;

private:
    void PaintBar(IGraphics& graphics) const;
};

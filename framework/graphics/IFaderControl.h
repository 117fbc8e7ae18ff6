#pragma once
// A fader: a handle bitmap that travels along a track. Clicking moves the handle's centre
// under the pointer, dragging follows it, the wheel nudges it.

#include "IControl.h"

class IFaderControl : public IControl
{
public:
    enum Direction : int32_t
    {
        kVertical = 0,
        kHorizontal = 1,
    };

    static constexpr double kWheelStep = 0.01;      // per notch
    static constexpr double kFineWheelStep = 0.001; // per notch with control or shift held

    // Horizontal: the track runs right from (x, y) over trackLength pixels and the handle is
    // as long as its bitmap is wide. Vertical: the track runs down from (x, y) and the handle
    // is as long as its bitmap is tall; value 1 is at the top.
    IFaderControl(IEffectBase* plug, int32_t x, int32_t y, int32_t trackLength, int32_t paramIndex,
                  const IBitmapRef& handleBitmap, Direction direction = kHorizontal, bool onlyHandleHits = false);

    void MouseDown(int32_t x, int32_t y, const IMouseMods& mods) override;
    void MouseDrag(int32_t x, int32_t y, int32_t dx, int32_t dy, const IMouseMods& mods) override;
    void MouseWheel(int32_t x, int32_t y, const IMouseMods& mods, int32_t steps) override;
    bool Paint(IGraphics* graphics) override;
    bool HitTest(int32_t x, int32_t y) override;
    // Puts the handle's centre at the pointer and pushes the resulting value.
    virtual void MoveHandleTo(int32_t x, int32_t y);

    // Where the handle is drawn for value v (0..1); a negative v means the current value.
    IRect HandleRect(double v = -1.0) const;

    int32_t TrackLength() const { return trackLength; }
    int32_t HandleLength() const { return handleLength; }
    Direction FaderDirection() const { return direction; }
    const IBitmapRef& HandleBitmap() const { return handleBitmap; }

protected:
    int32_t trackLength;
    int32_t handleLength;
    IBitmapRef handleBitmap;
    Direction direction;
    bool onlyHandleHits;

private:
    // Pixels the handle can move: the track less the handle.
    int64_t Travel() const { return int64_t(trackLength) - handleLength; }
};

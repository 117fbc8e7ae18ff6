#pragma once
// A control that shows one frame of a bitmap, chosen by its value: the editor's background,
// switches and pictures.

#include "IControl.h"

class IBitmapControl : public IControl
{
public:
    // The background form: the first frame at (0, 0), drawn as a plain copy, no parameter.
    IBitmapControl(IEffectBase* plug, const IBitmapRef& bitmap);
    // One frame of `bitmap` at (x, y), chosen by the value of the parameter (if any).
    IBitmapControl(IEffectBase* plug, int32_t x, int32_t y, int32_t paramIndex, const IBitmapRef& bitmap,
                   IBlend blend = IBlend());

    bool Paint(IGraphics* graphics) override;

    const IBitmapRef& Bitmap() const { return bitmap; }

protected:
    IBitmapRef bitmap;
};

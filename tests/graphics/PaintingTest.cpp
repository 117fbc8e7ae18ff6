#include "GraphicsTestSupport.h"

#include "IBitmapControl.h"
#include "IFaderControl.h"
#include "IRadioButtonsControl.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// An editor of 40 x 20 with a blue background and a fader whose 8 x 6 red handle has a
// transparent first column, on a track of 30 pixels from (5, 10).
struct PaintedRig : EditorRig
{
    PaintedRig() : EditorRig(40, 20)
    {
        editor->InsertBackground(
            new IBitmapControl(&plug, LoadTestImage(*editor, StackedFramesPng(40, 20, {kOpaqueBlue}))));
        fader = Add(new IFaderControl(&plug, 5, 10, 30, kGain, LoadTestImage(*editor, SolidPngWithClearEdge(8, 6, kOpaqueRed))));
        Attach();   // Gain starts at 5 of 0..10: the handle sits half way
    }
    GFX_IBitmap* Surface() { return editor->Surface(); }
    IFaderControl* fader;
};

TEST(Painting, BackgroundAndFaderHandleLandWhereExpected)
{
    PaintedRig rig;
    ASSERT_EQ(rig.fader->HandleRect(), IRect(16, 10, 24, 16));
    EXPECT_TRUE(PaintAll(*rig.editor));

    for (int y = 0; y < 20; ++y)
    {
        for (int x = 0; x < 40; ++x)
        {
            const bool inHandle = x >= 17 && x < 24 && y >= 10 && y < 16;
            EXPECT_EQ(PixelAt(rig.Surface(), x, y), inHandle ? kOpaqueRed : kOpaqueBlue) << x << ", " << y;
        }
    }
}

TEST(Painting, MovingTheHandleRepaintsTheTrack)
{
    PaintedRig rig;
    PaintAll(*rig.editor);
    rig.fader->MouseDown(9, 12, IMouseMods(true, false));   // to the left end
    ASSERT_EQ(rig.fader->Value(), 0.0);
    EXPECT_TRUE(rig.fader->NeedsRedraw());
    rig.editor->PaintRegion(rig.fader->Rect());

    EXPECT_EQ(PixelAt(rig.Surface(), 6, 12), kOpaqueRed);
    EXPECT_EQ(PixelAt(rig.Surface(), 5, 12), kOpaqueBlue);
    EXPECT_EQ(PixelAt(rig.Surface(), 20, 12), kOpaqueBlue) << "the old handle is painted over";
    EXPECT_FALSE(rig.fader->NeedsRedraw());
}

TEST(Painting, DrawingIsClippedToThePaintedRegion)
{
    PaintedRig rig;
    FillSurface(rig.Surface(), kOpaqueWhite);
    rig.editor->PaintRegion(IRect(18, 12, 22, 14));
    for (int y = 0; y < 20; ++y)
    {
        for (int x = 0; x < 40; ++x)
        {
            const bool inRegion = x >= 18 && x < 22 && y >= 12 && y < 14;
            EXPECT_EQ(PixelAt(rig.Surface(), x, y), inRegion ? kOpaqueRed : kOpaqueWhite) << x << ", " << y;
        }
    }
}

TEST(Painting, RegionsBeyondTheSurfaceAreClipped)
{
    PaintedRig rig;
    FillSurface(rig.Surface(), kOpaqueWhite);
    EXPECT_TRUE(rig.editor->PaintRegion(IRect(-100, -100, 1000, 1000)));
    EXPECT_EQ(CountPixelsNot(rig.Surface(), kOpaqueBlue), 7 * 6);
    EXPECT_TRUE(rig.editor->PaintRegion(IRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX)));
    EXPECT_EQ(CountPixelsNot(rig.Surface(), kOpaqueBlue), 7 * 6);
}

TEST(Painting, AGreyedHandleDrawsAtAQuarterWeight)
{
    PaintedRig rig;
    rig.fader->SetGreyed(true);
    PaintAll(*rig.editor);
    // Source-alpha blending at weight 0.25 moves each channel a quarter of the way:
    // k = 64, colour = s + (c - s) * (256 - k) / 256 with the red handle as s over blue.
    const uint32_t pixel = PixelAt(rig.Surface(), 20, 12);
    EXPECT_EQ((pixel >> 16) & 0xFF, uint32_t(255 + (0 - 255) * 192 / 256));
    EXPECT_EQ(pixel & 0xFF, uint32_t(0 + (255 - 0) * 192 / 256));
}

TEST(Painting, DirectDrawsOutsideAPaintPassDrawNothing)
{
    PaintedRig rig;
    FillSurface(rig.Surface(), kOpaqueWhite);
    IBitmapRef handle = rig.fader->HandleBitmap();
    EXPECT_TRUE(rig.editor->DrawBitmapRegion(handle, IRect(0, 0, 8, 6), 0, 0, nullptr));
    EXPECT_EQ(CountPixelsNot(rig.Surface(), kOpaqueWhite), 0) << "no paint pass, empty clip";
}

TEST(Painting, BlendModesMapToTheCompositingModes)
{
    EditorRig rig(4, 1);
    rig.editor->CreateSurfaces();
    const uint32_t halfRed = 0x80FF0000u;
    const IBitmapRef bitmap = LoadTestImage(*rig.editor, StackedFramesPng(1, 1, {halfRed}));
    rig.Add(new IBitmapControl(&rig.plug, 0, 0, -1, bitmap, IBlend(kBlendReplace)));
    rig.Add(new IBitmapControl(&rig.plug, 1, 0, -1, bitmap, IBlend(kBlendDefault)));
    rig.Add(new IBitmapControl(&rig.plug, 2, 0, -1, bitmap, IBlend(kBlendAdditive)));
    rig.Add(new IBitmapControl(&rig.plug, 3, 0, -1, bitmap, IBlend(kBlendColourDodge)));
    FillSurface(rig.editor->Surface(), kOpaqueGrey);
    PaintAll(*rig.editor);
    GFX_IBitmap* surface = rig.editor->Surface();
    EXPECT_EQ(PixelAt(surface, 0, 0), halfRed);
    // Source over grey with alpha 128: red = 255 + (128 - 255) * 127 / 256 = 192 (truncated).
    EXPECT_EQ((PixelAt(surface, 1, 0) >> 16) & 0xFF, 192u);
    // Additive: red = 128 + 255 * k / 256 with k = 256 * 129 / 256 = 129, clamped to 255.
    EXPECT_EQ((PixelAt(surface, 2, 0) >> 16) & 0xFF, 255u);
    EXPECT_EQ(PixelAt(surface, 2, 0) & 0xFF, 128u);
    // Dodge leaves black channels of the source alone: blue stays 128.
    EXPECT_EQ(PixelAt(surface, 3, 0) & 0xFF, 128u);
    EXPECT_GT((PixelAt(surface, 3, 0) >> 16) & 0xFF, 128u);
}

// Controls placed at the ends of the coordinate range, or far outside the editor, draw
// nothing outside the surface and read nothing outside their bitmaps.
TEST(Painting, ControlsAtAbsurdPositionsStayInsideEveryBitmap)
{
    EditorRig rig(16, 16);
    rig.editor->CreateSurfaces();
    const IBitmapRef frames = LoadTestImage(*rig.editor, StackedFramesPng(8, 8, {kOpaqueRed, kOpaqueGreen}), 2);
    auto* farFader = rig.Add(new IFaderControl(&rig.plug, INT32_MAX - 5, INT32_MAX - 5, INT32_MAX, kGain, frames));
    auto* nearFader = rig.Add(new IFaderControl(&rig.plug, INT32_MIN, -4, INT32_MAX, kGain, frames));
    auto* radio = rig.Add(new IRadioButtonsControl(&rig.plug, IRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX),
                                                   kGain, 3, frames));
    auto* picture = rig.Add(new IBitmapControl(&rig.plug, -6, 12, kGain, frames));
    for (double value : {0.0, 0.5, 1.0, 1e300, -1e300})
    {
        for (IControl* control : {static_cast<IControl*>(farFader), static_cast<IControl*>(nearFader),
                                  static_cast<IControl*>(radio), static_cast<IControl*>(picture)})
            control->SetValue(value);
        EXPECT_TRUE(rig.editor->PaintRegion(IRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX)));
        EXPECT_TRUE(PaintAll(*rig.editor));
    }
    for (int32_t x : {INT32_MIN, -1, 0, 7, INT32_MAX})
    {
        rig.editor->DispatchMouseDown(x, x, IMouseMods(true, false));
        rig.editor->DispatchMouseUp(x, x, IMouseMods(true, false));
        farFader->MouseDrag(x, x, 0, 0, IMouseMods(true, false));
        nearFader->MouseWheel(x, x, IMouseMods(), INT32_MAX);
        radio->MouseDown(x, x, IMouseMods(true, false));
    }
    EXPECT_GE(nearFader->Value(), 0.0);
    EXPECT_LE(nearFader->Value(), 1.0);
}

} // namespace

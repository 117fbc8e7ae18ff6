#include "GraphicsTestSupport.h"

#include "IBitmapControl.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

const std::vector<uint32_t> kThreeColours{kOpaqueRed, kOpaqueGreen, kOpaqueBlue};

TEST(BitmapControl, BackgroundCoversOneFrameAndIsCopied)
{
    EditorRig rig(20, 30);
    const IBitmapRef bitmap = LoadTestImage(*rig.editor, StackedFramesPng(20, 10, kThreeColours), 3);
    IBitmapControl background(&rig.plug, bitmap);
    EXPECT_EQ(background.Rect(), IRect(0, 0, 20, 10));
    EXPECT_EQ(background.ParamIndex(), -1);
    EXPECT_EQ(background.Blend().mode, kBlendReplace);

    IBitmapRef sideBySide = bitmap;
    sideBySide.framesSideBySide = true;
    IBitmapControl wide(&rig.plug, sideBySide);
    EXPECT_EQ(wide.Rect(), IRect(0, 0, 6, 30));
}

struct FrameCase
{
    double value;
    uint32_t colour;
};

class BitmapControlFrames : public ::testing::TestWithParam<bool>
{
};

// The value picks a frame by rounding; values outside 0..1 (stored without MarkChanged) and
// NaN stay on the first or last frame.
TEST_P(BitmapControlFrames, ValuePicksTheNearestFrame)
{
    const bool sideBySide = GetParam();
    EditorRig rig(4, 4);
    rig.editor->CreateSurfaces();
    IBitmapRef bitmap = sideBySide ? LoadTestImage(*rig.editor, SideBySideFramesPng(4, 4, kThreeColours), 3)
                                   : LoadTestImage(*rig.editor, StackedFramesPng(4, 4, kThreeColours), 3);
    bitmap.framesSideBySide = sideBySide;
    auto* control = rig.Add(new IBitmapControl(&rig.plug, 0, 0, -1, bitmap));
    ASSERT_EQ(control->Rect(), IRect(0, 0, 4, 4));

    const FrameCase cases[] = {{0.0, kOpaqueRed},   {0.24, kOpaqueRed},  {0.25, kOpaqueGreen},
                               {0.5, kOpaqueGreen}, {0.75, kOpaqueBlue}, {1.0, kOpaqueBlue},
                               {7.0, kOpaqueBlue},  {-3.0, kOpaqueRed},
                               {std::numeric_limits<double>::quiet_NaN(), kOpaqueRed}};
    for (const FrameCase& c : cases)
    {
        FillSurface(rig.editor->Surface(), kOpaqueWhite);
        control->SetValue(c.value);
        PaintAll(*rig.editor);
        EXPECT_EQ(PixelAt(rig.editor->Surface(), 0, 0), c.colour) << "value " << c.value;
        EXPECT_EQ(CountPixelsNot(rig.editor->Surface(), c.colour), 0) << "value " << c.value;
    }
}

INSTANTIATE_TEST_SUITE_P(StackedAndSideBySide, BitmapControlFrames, ::testing::Bool());

TEST(BitmapControl, MissingBitmapDrawsNothing)
{
    EditorRig rig(8, 8);
    rig.editor->CreateSurfaces();
    const IBitmapRef missing = rig.editor->LoadBitmapResource(RegisterTestImage({1, 2, 3}), "broken.png", 2);
    EXPECT_EQ(missing.bitmap, nullptr);
    EXPECT_EQ(missing.width, 0);
    rig.Add(new IBitmapControl(&rig.plug, missing));
    rig.Add(new IBitmapControl(&rig.plug, 2, 2, -1, missing));
    FillSurface(rig.editor->Surface(), kOpaqueWhite);
    EXPECT_TRUE(PaintAll(*rig.editor));
    EXPECT_EQ(CountPixelsNot(rig.editor->Surface(), kOpaqueWhite), 0);
}

TEST(BitmapControl, ReplaceCopiesTransparencyWhileTheDefaultBlendKeepsWhatIsBelow)
{
    EditorRig rig(6, 2);
    rig.editor->CreateSurfaces();
    const IBitmapRef edge = LoadTestImage(*rig.editor, SolidPngWithClearEdge(3, 2, kOpaqueRed));
    rig.Add(new IBitmapControl(&rig.plug, 0, 0, -1, edge, IBlend(kBlendReplace)));
    rig.Add(new IBitmapControl(&rig.plug, 3, 0, -1, edge));
    FillSurface(rig.editor->Surface(), kOpaqueWhite);
    PaintAll(*rig.editor);
    GFX_IBitmap* surface = rig.editor->Surface();
    EXPECT_EQ(PixelAt(surface, 0, 0), 0u);           // copied, alpha and all
    EXPECT_EQ(PixelAt(surface, 1, 0), kOpaqueRed);
    EXPECT_EQ(PixelAt(surface, 3, 1), kOpaqueWhite); // blended: nothing of a clear pixel
    EXPECT_EQ(PixelAt(surface, 4, 1), kOpaqueRed);
}

} // namespace

#include "GraphicsTestSupport.h"

#include "IFaderControl.h"
#include "IParamEntry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <climits>

namespace {

// A handle reference of the given size; faders only need its size to lay themselves out.
IBitmapRef Handle(int32_t width, int32_t height)
{
    IBitmapRef ref;
    ref.width = width;
    ref.height = height;
    return ref;
}

// Horizontal: track from x = 10 over 100 pixels, handle 20 x 10, so 80 pixels of travel.
struct FaderRig : EditorRig
{
    FaderRig() { fader = Add(new IFaderControl(&plug, 10, 5, 100, kGain, Handle(20, 10))); }
    IFaderControl* fader;
};

TEST(Fader, HorizontalTrackAndHandleRectangles)
{
    FaderRig rig;
    IFaderControl& fader = *rig.fader;
    EXPECT_EQ(fader.Rect(), IRect(10, 5, 110, 15));
    EXPECT_EQ(fader.HandleLength(), 20);
    EXPECT_EQ(fader.HandleRect(0.0), IRect(10, 5, 30, 15));
    EXPECT_EQ(fader.HandleRect(0.5), IRect(50, 5, 70, 15));
    EXPECT_EQ(fader.HandleRect(1.0), IRect(90, 5, 110, 15));
    EXPECT_EQ(fader.HandleRect(0.33), IRect(36, 5, 56, 15)) << "offsets are truncated";

    fader.SetValue(0.5);
    EXPECT_EQ(fader.HandleRect(), fader.HandleRect(0.5)) << "a negative value means the current one";
    // A value stored out of range keeps the handle on its track.
    fader.SetValue(3.0);
    EXPECT_EQ(fader.HandleRect(), fader.HandleRect(1.0));
    fader.SetValue(NAN);
    EXPECT_EQ(fader.HandleRect(), fader.HandleRect(0.0));
}

TEST(Fader, ClickCentresTheHandleUnderThePointerAndPushes)
{
    FaderRig rig;
    rig.fader->MouseDown(60, 10, IMouseMods(true, false));
    EXPECT_EQ(rig.fader->Value(), 0.5);
    EXPECT_EQ(rig.plug.log, std::vector<std::string>{"edit 0 0.5000"});
    EXPECT_DOUBLE_EQ(rig.plug.Parameter(kGain)->Value(), 5.0);

    rig.fader->MouseDrag(40, 10, -20, 0, IMouseMods(true, false));
    EXPECT_EQ(rig.fader->Value(), 0.25);
}

TEST(Fader, ClicksBeyondTheTravelClampToTheEnds)
{
    FaderRig rig;
    rig.fader->MouseDown(11, 10, IMouseMods(true, false));
    EXPECT_EQ(rig.fader->Value(), 0.0);
    rig.fader->MouseDown(109, 10, IMouseMods(true, false));
    EXPECT_EQ(rig.fader->Value(), 1.0);
    rig.fader->MouseDrag(INT32_MIN, 0, 0, 0, IMouseMods(true, false));
    EXPECT_EQ(rig.fader->Value(), 0.0);
    rig.fader->MouseDrag(INT32_MAX, 0, 0, 0, IMouseMods(true, false));
    EXPECT_EQ(rig.fader->Value(), 1.0);
}

TEST(Fader, WheelNotchesMoveByAHundredthOrAThousandthWithAModifier)
{
    FaderRig rig;
    rig.fader->SetValue(0.5);
    rig.fader->MouseWheel(0, 0, IMouseMods(), 1);
    EXPECT_NEAR(rig.fader->Value(), 0.51, 1e-12);
    rig.fader->MouseWheel(0, 0, IMouseMods(false, false, false, true), 1);
    EXPECT_NEAR(rig.fader->Value(), 0.511, 1e-12);
    rig.fader->MouseWheel(0, 0, IMouseMods(false, false, true, false), -3);
    EXPECT_NEAR(rig.fader->Value(), 0.508, 1e-12);
    rig.fader->MouseWheel(0, 0, IMouseMods(), -2);
    EXPECT_NEAR(rig.fader->Value(), 0.488, 1e-12);
    EXPECT_EQ(rig.plug.log.size(), 4u);

    rig.fader->MouseWheel(0, 0, IMouseMods(), 1000);
    EXPECT_EQ(rig.fader->Value(), 1.0);
}

TEST(Fader, RightPressWithThePromptDisabledDoesNothing)
{
    FaderRig rig;
    rig.fader->SetValue(0.25);
    rig.fader->MouseDown(100, 10, IMouseMods(false, true));
    EXPECT_EQ(rig.fader->Value(), 0.25);
    EXPECT_TRUE(rig.plug.log.empty());
    EXPECT_EQ(rig.editor->Recorded().entryCount, 0);
}

TEST(Fader, RightPressWithThePromptEnabledAsksForANumber)
{
    FaderRig rig;
    rig.fader->SetValuePromptDisabled(false);
    rig.fader->SetValue(0.25);
    rig.fader->MouseDown(100, 10, IMouseMods(false, true));
    EXPECT_EQ(rig.fader->Value(), 0.25);
    EXPECT_EQ(rig.editor->Recorded().entryCount, 1);
    EXPECT_EQ(rig.editor->Recorded().entryRect, IRect(40, 2, 80, 18));
}

TEST(Fader, AHandleThatFillsItsTrackCannotMove)
{
    EditorRig rig;
    auto* exact = rig.Add(new IFaderControl(&rig.plug, 0, 0, 20, kGain, Handle(20, 10)));
    auto* longer = rig.Add(new IFaderControl(&rig.plug, 0, 0, 20, kGain, Handle(30, 10)));
    for (IFaderControl* fader : {exact, longer})
    {
        fader->SetValue(0.4);
        fader->MouseDown(5, 5, IMouseMods(true, false));
        EXPECT_EQ(fader->Value(), 0.4);
    }
    EXPECT_EQ(exact->HandleRect(), IRect(0, 0, 20, 10));
}

TEST(Fader, VerticalTrackRunsDownwardsWithOneAtTheTop)
{
    EditorRig rig;
    auto* fader = rig.Add(new IFaderControl(&rig.plug, 10, 5, 100, kGain, Handle(10, 20), IFaderControl::kVertical));
    EXPECT_EQ(fader->Rect(), IRect(10, 5, 20, 105));
    EXPECT_EQ(fader->HandleRect(1.0), IRect(10, 5, 20, 25));
    EXPECT_EQ(fader->HandleRect(0.0), IRect(10, 85, 20, 105));
    fader->MouseDown(15, 15, IMouseMods(true, false));
    EXPECT_EQ(fader->Value(), 1.0);
    fader->MouseDown(15, 55, IMouseMods(true, false));
    EXPECT_EQ(fader->Value(), 0.5);
}

TEST(Fader, OnlyTheHandleHitsWhenAsked)
{
    EditorRig rig;
    auto* whole = rig.Add(new IFaderControl(&rig.plug, 10, 5, 100, kGain, Handle(20, 10)));
    auto* handleOnly = rig.Add(
        new IFaderControl(&rig.plug, 10, 5, 100, kGain, Handle(20, 10), IFaderControl::kHorizontal, true));
    EXPECT_TRUE(whole->HitTest(100, 10));
    EXPECT_FALSE(handleOnly->HitTest(100, 10));
    EXPECT_TRUE(handleOnly->HitTest(10, 10));
    EXPECT_FALSE(handleOnly->HitTest(30, 10));
    handleOnly->SetValue(1.0);
    EXPECT_TRUE(handleOnly->HitTest(100, 10));
}

} // namespace

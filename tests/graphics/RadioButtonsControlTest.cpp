#include "GraphicsTestSupport.h"

#include "IRadioButtonsControl.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const std::vector<uint32_t> kOffOn{kOpaqueGrey, kOpaqueGreen};

// A bitmap of two 16 x 16 frames stacked, off then on.
IBitmapRef OffOnBitmap(IGraphics& graphics)
{
    return LoadTestImage(graphics, StackedFramesPng(16, 16, kOffOn), 2);
}

TEST(RadioButtons, ButtonsAreSpreadAcrossTheRectangle)
{
    EditorRig rig;
    IRadioButtonsControl radio(&rig.plug, IRect(82, 37, 206, 53), kGain, 4, OffOnBitmap(*rig.editor));
    ASSERT_EQ(radio.ButtonCount(), 4);
    const int32_t lefts[] = {82, 118, 154, 190};
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(radio.ButtonRect(i), IRect(lefts[i], 37, lefts[i] + 16, 53)) << "button " << i;
}

TEST(RadioButtons, GapIsTruncated)
{
    EditorRig rig;
    // (100 - 3 * 16 - 0) / 2 = 26 exactly; one pixel less gives 25.5, truncated to 25.
    IRadioButtonsControl even(&rig.plug, IRect(0, 0, 100, 16), kGain, 3, OffOnBitmap(*rig.editor));
    IRadioButtonsControl odd(&rig.plug, IRect(0, 0, 99, 16), kGain, 3, OffOnBitmap(*rig.editor));
    EXPECT_EQ(even.ButtonRect(2).left, 84);
    EXPECT_EQ(odd.ButtonRect(2).left, 82);
}

TEST(RadioButtons, ClickChoosesTheButtonAndPushes)
{
    EditorRig rig;
    auto* radio = rig.Add(new IRadioButtonsControl(&rig.plug, IRect(82, 37, 206, 53), kGain, 4,
                                                   OffOnBitmap(*rig.editor)));
    radio->MouseDown(120, 40, IMouseMods(true, false));
    EXPECT_DOUBLE_EQ(radio->Value(), 1.0 / 3.0);
    radio->MouseDown(205, 52, IMouseMods(true, false));
    EXPECT_EQ(radio->Value(), 1.0);
    EXPECT_EQ(rig.plug.log, (std::vector<std::string>{"edit 0 0.3333", "edit 0 1.0000"}));
}

TEST(RadioButtons, ClickBetweenButtonsKeepsTheValueButStillPushes)
{
    EditorRig rig;
    auto* radio = rig.Add(new IRadioButtonsControl(&rig.plug, IRect(82, 37, 206, 53), kGain, 4,
                                                   OffOnBitmap(*rig.editor)));
    radio->SetValue(2.0 / 3.0);
    radio->CommitRedraw();
    radio->MouseDown(100, 40, IMouseMods(true, false));
    EXPECT_DOUBLE_EQ(radio->Value(), 2.0 / 3.0);
    EXPECT_EQ(rig.plug.log, std::vector<std::string>{"edit 0 0.6667"});
    EXPECT_TRUE(radio->NeedsRedraw());
}

TEST(RadioButtons, RightPressAsksForAValueInsteadOfChoosing)
{
    EditorRig rig;
    auto* radio =
        rig.Add(new IRadioButtonsControl(&rig.plug, IRect(0, 0, 100, 16), kMode, 3, OffOnBitmap(*rig.editor)));
    radio->MouseDown(2, 2, IMouseMods(false, true));
    EXPECT_TRUE(rig.plug.log.empty()) << "the prompt is disabled: nothing at all";

    radio->SetValuePromptDisabled(false);
    rig.editor->SetPopupChoice(0);
    radio->SetValue(1.0);
    radio->MouseDown(2, 2, IMouseMods(false, true));
    EXPECT_EQ(rig.editor->Recorded().popupCount, 1);
    EXPECT_EQ(radio->Value(), 0.0);
}

TEST(RadioButtons, HalfwayValueShowsTheSecondOfTwoButtons)
{
    EditorRig rig(40, 16);
    rig.editor->CreateSurfaces();
    auto* radio =
        rig.Add(new IRadioButtonsControl(&rig.plug, IRect(0, 0, 40, 16), kSwitch, 2, OffOnBitmap(*rig.editor)));
    ASSERT_EQ(radio->ButtonRect(1).left, 24);

    radio->SetValue(0.49);
    EXPECT_EQ(radio->ActiveButton(), 0);
    PaintAll(*rig.editor);
    EXPECT_EQ(PixelAt(rig.editor->Surface(), 0, 0), kOpaqueGreen);
    EXPECT_EQ(PixelAt(rig.editor->Surface(), 24, 0), kOpaqueGrey);

    radio->SetValue(0.5);
    EXPECT_EQ(radio->ActiveButton(), 1);
    PaintAll(*rig.editor);
    EXPECT_EQ(PixelAt(rig.editor->Surface(), 0, 15), kOpaqueGrey);
    EXPECT_EQ(PixelAt(rig.editor->Surface(), 24, 15), kOpaqueGreen);
}

TEST(RadioButtons, OutOfRangeValuesShowTheEndButtons)
{
    EditorRig rig;
    IRadioButtonsControl radio(&rig.plug, IRect(0, 0, 100, 16), kGain, 3, OffOnBitmap(*rig.editor));
    radio.SetValue(-4.0);
    EXPECT_EQ(radio.ActiveButton(), 0);
    radio.SetValue(9.0);
    EXPECT_EQ(radio.ActiveButton(), 2);
    radio.SetValue(NAN);
    EXPECT_EQ(radio.ActiveButton(), 0);
}

TEST(RadioButtons, GroupsOfFewerThanTwoButtonsStaySafe)
{
    EditorRig rig(40, 16);
    rig.editor->CreateSurfaces();
    auto* single =
        rig.Add(new IRadioButtonsControl(&rig.plug, IRect(4, 0, 40, 16), kGain, 1, OffOnBitmap(*rig.editor)));
    auto* none =
        rig.Add(new IRadioButtonsControl(&rig.plug, IRect(0, 0, 40, 16), kGain, 0, OffOnBitmap(*rig.editor)));
    auto* negative =
        rig.Add(new IRadioButtonsControl(&rig.plug, IRect(0, 0, 40, 16), kGain, -3, OffOnBitmap(*rig.editor)));
    ASSERT_EQ(single->ButtonCount(), 1);
    EXPECT_EQ(single->ButtonRect(0), IRect(4, 0, 20, 16));
    EXPECT_EQ(none->ButtonCount(), 0);
    EXPECT_EQ(negative->ButtonCount(), 0);
    EXPECT_TRUE(none->ButtonRect(0).IsEmpty());
    EXPECT_TRUE(single->ButtonRect(-1).IsEmpty());

    single->SetValue(0.7);
    single->MouseDown(5, 5, IMouseMods(true, false));
    EXPECT_EQ(single->Value(), 0.0);
    none->MouseDown(5, 5, IMouseMods(true, false));
    EXPECT_EQ(rig.plug.log.size(), 2u);

    EXPECT_EQ(single->ActiveButton(), 0);
    EXPECT_EQ(none->ActiveButton(), -1);
    FillSurface(rig.editor->Surface(), kOpaqueWhite);
    EXPECT_TRUE(PaintAll(*rig.editor));
    EXPECT_EQ(PixelAt(rig.editor->Surface(), 4, 0), kOpaqueGreen);
    EXPECT_EQ(PixelAt(rig.editor->Surface(), 3, 0), kOpaqueWhite);
}

TEST(RadioButtons, AFrameCountOfZeroCountsAsOne)
{
    EditorRig rig;
    IBitmapRef bitmap = OffOnBitmap(*rig.editor);
    bitmap.frames = 0;
    IRadioButtonsControl radio(&rig.plug, IRect(0, 0, 100, 40), kGain, 2, bitmap);
    EXPECT_EQ(radio.ButtonRect(0).Height(), 32);
}

} // namespace

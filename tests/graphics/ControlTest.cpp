#include "GraphicsTestSupport.h"

#include "IParamEntry.h"
#include "ITextControl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const IRect kArea(10, 10, 50, 20);

TEST(Control, MarkChangedKeepsTheValueInsideTheClamps)
{
    TestPlug plug;
    PlainControl control(&plug, kArea);
    control.SetValue(-0.5);
    control.MarkChanged(false);
    EXPECT_EQ(control.Value(), 0.0);
    control.SetValue(1.5);
    control.MarkChanged(false);
    EXPECT_EQ(control.Value(), 1.0);

    control.SetClamp(0.25, 0.75);
    control.SetValue(0.1);
    control.MarkChanged(false);
    EXPECT_EQ(control.Value(), 0.25);
    control.SetValue(0.9);
    control.MarkChanged(false);
    EXPECT_EQ(control.Value(), 0.75);

    // A NaN never survives to pick a frame or a button.
    control.SetValue(std::numeric_limits<double>::quiet_NaN());
    control.MarkChanged(false);
    EXPECT_EQ(control.Value(), 0.25);
    EXPECT_TRUE(plug.log.empty());
}

TEST(Control, RedrawProtocolKeepsAPendingControlDirtyForOneMorePass)
{
    TestPlug plug;
    PlainControl control(&plug, kArea);
    EXPECT_TRUE(control.NeedsRedraw());
    control.CommitRedraw();
    EXPECT_FALSE(control.NeedsRedraw());

    control.SetHidden(true);   // marks and sets a pending redraw
    EXPECT_TRUE(control.NeedsRedraw());
    control.CommitRedraw();
    EXPECT_TRUE(control.NeedsRedraw());
    control.CommitRedraw();
    EXPECT_FALSE(control.NeedsRedraw());
}

TEST(Control, FirstPluginValueBecomesTheDefaultWithoutMarking)
{
    TestPlug plug;
    PlainControl control(&plug, kArea, kGain);
    control.CommitRedraw();

    control.ApplyPluginValue(0.3);
    EXPECT_EQ(control.Value(), 0.3);
    EXPECT_EQ(control.DefaultValue(), 0.3);
    EXPECT_FALSE(control.NeedsRedraw());

    control.ApplyPluginValue(0.6);
    EXPECT_EQ(control.Value(), 0.6);
    EXPECT_EQ(control.DefaultValue(), 0.3);
    EXPECT_TRUE(control.NeedsRedraw());
    EXPECT_TRUE(control.PendingRedraw());
    EXPECT_TRUE(plug.log.empty()) << "a value from the plug-in is not sent back";
}

TEST(Control, DoubleClickRestoresTheDefaultAndPushesIt)
{
    TestPlug plug;
    PlainControl control(&plug, kArea, kGain);
    control.ApplyPluginValue(0.5);
    control.SetValue(0.9);

    control.MouseDoubleClick(20, 15, IMouseMods());
    EXPECT_EQ(control.Value(), 0.5);
    EXPECT_EQ(plug.log, std::vector<std::string>{"edit 0 0.5000"});
    EXPECT_DOUBLE_EQ(plug.Parameter(kGain)->Value(), 5.0);
}

TEST(Control, DoubleClickWithoutADefaultChangesNothing)
{
    TestPlug plug;
    PlainControl control(&plug, kArea, kGain);
    control.SetValue(0.9);
    control.CommitRedraw();

    control.MouseDoubleClick(20, 15, IMouseMods());
    EXPECT_EQ(control.Value(), 0.9);
    EXPECT_FALSE(control.NeedsRedraw());
    EXPECT_TRUE(plug.log.empty());
}

TEST(Control, UserValueIsPushedOnlyWhenItDiffers)
{
    TestPlug plug;
    PlainControl control(&plug, kArea, kGain);
    control.SetValue(0.4);
    control.ApplyUserValue(0.4);
    EXPECT_TRUE(plug.log.empty());
    control.ApplyUserValue(0.7);
    EXPECT_EQ(plug.log, std::vector<std::string>{"edit 0 0.7000"});
    EXPECT_TRUE(control.PendingRedraw());
}

TEST(Control, PushingWithoutAParameterOrPlugInReachesNobody)
{
    TestPlug plug;
    PlainControl unbound(&plug, kArea);
    unbound.MarkChanged(true);
    PlainControl orphan(nullptr, kArea, kGain);
    orphan.SetValue(0.2);
    orphan.MarkChanged(true);
    EXPECT_TRUE(plug.log.empty());
}

TEST(Control, ValueAndNameReadoutsFollowAPush)
{
    TestPlug plug;
    ITextStyle style;
    ITextControl valueText(&plug, kArea, style);
    ITextControl nameText(&plug, kArea, style);
    PlainControl control(&plug, kArea, kGain);
    control.SetValueTextControl(&valueText);
    control.SetNameTextControl(&nameText);

    control.SetValue(0.75);
    control.MarkChanged(false);
    EXPECT_STREQ(valueText.Text(), "") << "readouts change only with a push";

    control.MarkChanged(true);
    EXPECT_STREQ(valueText.Text(), "7.5 dB");
    EXPECT_STREQ(nameText.Text(), "Gain");
}

TEST(Control, ValueReadoutOfADisplayTextLeavesTheLabelOutButKeepsTheSpace)
{
    TestPlug plug;
    ITextControl valueText(&plug, kArea, ITextStyle());
    PlainControl control(&plug, kArea, kMode);
    control.SetValueTextControl(&valueText);
    control.SetValue(1.0);
    control.MarkChanged(true);
    EXPECT_STREQ(valueText.Text(), "Plate ");
}

TEST(Control, ValueReadoutShowsANegatedParameterNegated)
{
    TestPlug plug;
    ITextControl valueText(&plug, kArea, ITextStyle());
    PlainControl control(&plug, kArea, kTrim);
    control.SetValueTextControl(&valueText);
    control.SetValue(0.25);   // -9 dB
    control.MarkChanged(true);
    EXPECT_STREQ(valueText.Text(), "9 dB");
}

TEST(Control, GreyingQuartersTheBlendWeight)
{
    TestPlug plug;
    PlainControl control(&plug, kArea);
    control.CommitRedraw();
    control.SetGreyed(true);
    EXPECT_TRUE(control.IsGreyed());
    EXPECT_FLOAT_EQ(control.Blend().weight, 0.25f);
    EXPECT_TRUE(control.NeedsRedraw());
    control.SetGreyed(false);
    EXPECT_FLOAT_EQ(control.Blend().weight, 1.0f);
}

TEST(Control, HitTestUsesTheTargetRectangleWithExclusiveEdges)
{
    TestPlug plug;
    PlainControl control(&plug, kArea);
    EXPECT_TRUE(control.HitTest(10, 10));
    EXPECT_TRUE(control.HitTest(49, 19));
    EXPECT_FALSE(control.HitTest(50, 15));
    EXPECT_FALSE(control.HitTest(20, 20));

    control.SetTargetRect(IRect(0, 0, 5, 5));
    EXPECT_TRUE(control.HitTest(2, 2));
    EXPECT_FALSE(control.HitTest(20, 15));
    control.SetTargetRect(IRect());
    EXPECT_FALSE(control.HitTest(0, 0));
}

TEST(Control, LinkedValuesMarkTheControlAndIgnoreUnknownPositions)
{
    TestPlug plug;
    PlainControl control(&plug, kArea);
    control.AddLinkedParam(kMode);
    control.CommitRedraw();

    control.ApplyLinkedPluginValue(3, 0.5);
    control.ApplyLinkedPluginValue(-1, 0.5);
    EXPECT_FALSE(control.NeedsRedraw());

    control.ApplyLinkedPluginValue(0, 0.5);
    EXPECT_EQ(control.LinkedParams()[0].value, 0.5);
    EXPECT_TRUE(control.NeedsRedraw());
    EXPECT_TRUE(control.PendingRedraw());
    EXPECT_TRUE(plug.log.empty());
}

// ---- Asking the user for a value ----------------------------------------------------------------

TEST(ControlPrompt, DoesNothingWhileDisabled)
{
    EditorRig rig;
    auto* control = rig.Add(new PlainControl(&rig.plug, kArea, kGain));
    control->MouseDown(20, 15, IMouseMods(false, true));
    EXPECT_EQ(rig.editor->Recorded().entryCount, 0);
    EXPECT_EQ(rig.editor->Recorded().popupCount, 0);
    EXPECT_FALSE(control->PendingRedraw());
}

TEST(ControlPrompt, NumberIsTypedInAFieldCentredOnTheControl)
{
    EditorRig rig;
    auto* control = rig.Add(new PlainControl(&rig.plug, kArea, kGain));
    control->SetValuePromptDisabled(false);
    control->MouseDown(20, 15, IMouseMods(false, true));

    const auto& record = rig.editor->Recorded();
    ASSERT_EQ(record.entryCount, 1);
    EXPECT_EQ(record.entryControl, control);
    EXPECT_EQ(record.entryParam, rig.plug.Parameter(kGain));
    EXPECT_EQ(record.entryText, "5.0");
    EXPECT_EQ(record.entryRect, IRect(10, 7, 50, 23));
    EXPECT_TRUE(control->PendingRedraw());
}

TEST(ControlPrompt, NegatedWholeNumbersAreOfferedAsShown)
{
    EditorRig rig;
    auto* control = rig.Add(new PlainControl(&rig.plug, kArea, kTrim));
    control->SetValuePromptDisabled(false);
    control->AskUserForValue();
    EXPECT_EQ(rig.editor->Recorded().entryText, "6");
}

TEST(ControlPrompt, DisplayTextsAreOfferedAsAMenuWithTheCurrentOneChecked)
{
    EditorRig rig;
    auto* control = rig.Add(new PlainControl(&rig.plug, kArea, kMode));
    control->SetValuePromptDisabled(false);
    rig.editor->SetPopupChoice(2);
    control->AskUserForValue();

    const auto& record = rig.editor->Recorded();
    EXPECT_EQ(record.entryCount, 0);
    ASSERT_EQ(record.popupCount, 1);
    EXPECT_EQ(record.popupTexts, (std::vector<std::string>{"Room", "Hall", "Plate"}));
    EXPECT_EQ(record.popupFlags, (std::vector<int32_t>{0, kChoiceChecked, 0}));
    EXPECT_EQ(record.popupRect, kArea);
    EXPECT_EQ(control->Value(), 1.0);
    EXPECT_EQ(rig.plug.log, std::vector<std::string>{"edit 1 1.0000"});
    EXPECT_DOUBLE_EQ(rig.plug.Parameter(kMode)->Value(), 2.0);
}

TEST(ControlPrompt, ABooleanWithTextsIsAMenuToo)
{
    EditorRig rig;
    auto* control = rig.Add(new PlainControl(&rig.plug, kArea, kSwitch));
    control->SetValuePromptDisabled(false);
    rig.editor->SetPopupChoice(1);
    control->AskUserForValue();
    EXPECT_EQ(rig.editor->Recorded().popupTexts, (std::vector<std::string>{"On", "Off"}));
    EXPECT_EQ(control->Value(), 1.0);
}

TEST(ControlPrompt, DismissedMenuChangesNothing)
{
    EditorRig rig;
    auto* control = rig.Add(new PlainControl(&rig.plug, kArea, kMode));
    control->SetValuePromptDisabled(false);
    control->SetValue(0.5);
    rig.editor->SetPopupChoice(-1);
    control->AskUserForValue();
    EXPECT_EQ(rig.editor->Recorded().popupCount, 1);
    EXPECT_EQ(control->Value(), 0.5);
    EXPECT_TRUE(rig.plug.log.empty());
}

TEST(ControlPrompt, NeedsAParameterAndAnEditor)
{
    TestPlug plug;
    PlainControl loose(&plug, kArea, kGain);   // never added to an editor
    loose.SetValuePromptDisabled(false);
    loose.AskUserForValue();
    EXPECT_FALSE(loose.PendingRedraw());

    EditorRig rig;
    auto* unbound = rig.Add(new PlainControl(&rig.plug, kArea));
    unbound->SetValuePromptDisabled(false);
    unbound->AskUserForValue();
    auto* unknown = rig.Add(new PlainControl(&rig.plug, kArea, 99));
    unknown->SetValuePromptDisabled(false);
    unknown->AskUserForValue();
    EXPECT_EQ(rig.editor->Recorded().entryCount + rig.editor->Recorded().popupCount, 0);
}

} // namespace

#include "ReverbEditorTestSupport.h"

#include "GraphicsTestSupport.h"
#include "IBitmapControl.h"
#include "IMyButton.h"
#include "IMyFaderControl.h"
#include "IMyRadioButtonsControl.h"
#include "ITextControl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <typeinfo>

namespace {

std::string Entry(const char* what, int32_t index)
{
    return std::string(what) + " " + std::to_string(index);
}

struct ExpectedControl
{
    const std::type_info& type;
    int32_t param;
    IRect rect;
    IBlendMode blend;
    bool hidden;
};

IRect FaderRow(int32_t param)
{
    const int32_t y = 63 + 23 * (param - 1);
    return IRect(84, y, 202, y + 12);
}

IRect ReadoutRow(int32_t param, int32_t right)
{
    const int32_t y = 63 + 23 * (param - 1);
    return IRect(207, y, right, y + 16);
}

void ExpectStyle(const ITextStyle& style, int32_t size, int32_t fontStyle, int32_t index)
{
    EXPECT_STREQ(style.face, "Verdana") << index;
    EXPECT_EQ(style.size, size) << index;
    EXPECT_TRUE(style.colour == IRgba(255, 255, 255, 255)) << index;
    EXPECT_EQ(style.style, fontStyle) << index;
    EXPECT_EQ(style.align, kAlignLeft) << index;
}

} // namespace

void RegisterStandInArtwork()
{
    const auto background = StackedFramesPng(251, 373, {kBackgroundColour});
    const auto radio = StackedFramesPng(16, 16, {kRadioOffColour, kRadioOnColour});
    // One-row frames stacked give a 12 x 12 handle with clear rows 5 and 6, through which the
    // bar shows.
    std::vector<uint32_t> handleRows(12, kHandleColour);
    handleRows[5] = handleRows[6] = 0;
    const auto handle = StackedFramesPng(12, 1, handleRows);
    const auto about = StackedFramesPng(251, 229, {kAboutColour});
    IGraphicsHeadless::RegisterResource(ReverbEditor::kBackgroundId, background.data(), background.size());
    IGraphicsHeadless::RegisterResource(ReverbEditor::kRadioId, radio.data(), radio.size());
    IGraphicsHeadless::RegisterResource(ReverbEditor::kFaderHandleId, handle.data(), handle.size());
    IGraphicsHeadless::RegisterResource(ReverbEditor::kAboutId, about.data(), about.size());
}

void RecordingReverb::BeginParameterGesture(int32_t index)
{
    log.push_back(Entry("begin", index));
}

void RecordingReverb::ReportEditToHost(int32_t index, double normalized)
{
    char value[32];
    snprintf(value, sizeof value, " %.4f", normalized);
    log.push_back(Entry("edit", index) + value);
}

void RecordingReverb::EndParameterGesture(int32_t index)
{
    log.push_back(Entry("end", index));
}

IGraphicsHeadless& RecordingReverb::Editor()
{
    return dynamic_cast<IGraphicsHeadless&>(*IReverbEffect::Editor());
}

void RecordingReverb::Click(int32_t x, int32_t y, bool rightButton)
{
    const IMouseMods mods(!rightButton, rightButton);
    Editor().DispatchMouseDown(x, y, mods);
    Editor().DispatchMouseUp(x, y, mods);
}

std::vector<std::string> RecordingReverb::Edits() const
{
    std::vector<std::string> edits;
    for (const std::string& entry : log)
        if (entry.rfind("edit", 0) == 0)
            edits.push_back(entry);
    return edits;
}

std::string RecordingReverb::Readout(int32_t paramIndex)
{
    return dynamic_cast<ITextControl&>(*Editor().Control(paramIndex)).Text();
}

void RecordingReverb::RenderSomeAudio()
{
    constexpr int kFrames = 512;
    Prepare(44100.0, kFrames);
    std::vector<double> in(kFrames, 0.25), outL(kFrames), outR(kFrames);
    const double* ins[] = {in.data(), in.data()};
    double* outs[] = {outL.data(), outR.data()};
    ProcessDouble(ins, outs, kFrames, false);
}

void ExpectTheLayout(IGraphics& editor)
{
    EXPECT_EQ(editor.EditorWidth(), 251);
    EXPECT_EQ(editor.EditorHeight(), 373);
    EXPECT_EQ(editor.FrameRate(), 25);
    EXPECT_FALSE(editor.HandlesHover());
    EXPECT_TRUE(editor.DrawsAllIntersecting());
    EXPECT_FALSE(editor.TooltipsEnabled());
    EXPECT_EQ(editor.KeyCatcher(), nullptr);

    std::vector<ExpectedControl> expected = {
        {typeid(IBitmapControl), -1, IRect(0, 0, 251, 373), kBlendReplace, false}};
    for (int32_t param = 1; param <= 10; ++param)
    {
        const int32_t right = (param == 5 || param == 6) ? 238 : 236;
        expected.push_back({typeid(ITextControl), -1, ReadoutRow(param, right), kBlendDefault, false});
    }
    expected.push_back({typeid(IRadioButtonsControl), 0, IRect(82, 37, 206, 53), kBlendDefault, false});
    expected.push_back({typeid(IMyRadioButtonsControl), 17, IRect(100, 290, 170, 306), kBlendDefault, false});
    expected.push_back({typeid(IMyRadioButtonsControl), 18, IRect(100, 313, 170, 329), kBlendDefault, false});
    for (int32_t param = 1; param <= 10; ++param)
        expected.push_back({typeid(IMyFaderControl), param, FaderRow(param), kBlendDefault, false});
    expected.push_back({typeid(IMyButton), 11, IRect(33, 338, 128, 359), kBlendReplace, false});
    expected.push_back({typeid(IMyButton), 12, IRect(133, 338, 173, 359), kBlendReplace, false});
    expected.push_back({typeid(IMyButton), 13, IRect(178, 338, 218, 359), kBlendReplace, false});
    expected.push_back({typeid(IBitmapControl), -1, IRect(0, 0, 251, 229), kBlendDefault, true});
    expected.push_back({typeid(ITextControl), -1, IRect(132, 53, 172, 61), kBlendDefault, true});
    expected.push_back({typeid(IMyButton), 14, IRect(47, 161, 120, 182), kBlendReplace, true});

    ASSERT_EQ(editor.ControlCount(), static_cast<int32_t>(expected.size()));
    for (int32_t i = 0; i < editor.ControlCount(); ++i)
    {
        IControl& control = *editor.Control(i);
        const ExpectedControl& want = expected[static_cast<size_t>(i)];
        EXPECT_EQ(typeid(control), want.type) << i;
        EXPECT_EQ(control.ParamIndex(), want.param) << i;
        EXPECT_TRUE(control.Rect() == want.rect) << i;
        EXPECT_TRUE(control.TargetRect() == want.rect) << i;
        EXPECT_EQ(control.Blend().mode, want.blend) << i;
        EXPECT_EQ(control.Blend().weight, 1.0f) << i;
        EXPECT_EQ(control.IsHidden(), want.hidden) << i;
        EXPECT_EQ(control.ValueTextControl(), nullptr) << i;
        EXPECT_EQ(control.NameTextControl(), nullptr) << i;
        EXPECT_TRUE(control.Tooltip().empty()) << i;
        if (want.type == typeid(ITextControl))
            ExpectStyle(control.TextStyle(), want.hidden ? 16 : 12, want.hidden ? kStyleNormal : kStyleBold, i);
    }
    EXPECT_STREQ(dynamic_cast<ITextControl&>(*editor.Control(28)).Text(), "1.2.8");

    const auto& input = dynamic_cast<IRadioButtonsControl&>(*editor.Control(11));
    ASSERT_EQ(input.ButtonCount(), 4);
    for (int32_t b = 0; b < 4; ++b)
        EXPECT_TRUE(input.ButtonRect(b) == IRect(82 + 36 * b, 37, 98 + 36 * b, 53)) << b;
    for (int32_t i : {12, 13})
    {
        const auto& group = dynamic_cast<IRadioButtonsControl&>(*editor.Control(i));
        ASSERT_EQ(group.ButtonCount(), 2);
        EXPECT_EQ(group.ButtonRect(0).left, 100);
        EXPECT_EQ(group.ButtonRect(1).left, 154);
    }
    for (int32_t i = 14; i <= 23; ++i)
    {
        const auto& fader = dynamic_cast<IFaderControl&>(*editor.Control(i));
        EXPECT_EQ(fader.TrackLength(), 118);
        EXPECT_EQ(fader.HandleLength(), 12);
        EXPECT_EQ(fader.FaderDirection(), IFaderControl::kHorizontal);
        EXPECT_EQ(fader.HandleRect(0.0).left, 84);
        EXPECT_EQ(fader.HandleRect(1.0).left, 190);
    }
}

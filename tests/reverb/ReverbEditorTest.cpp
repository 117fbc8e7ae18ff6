// The reverb's editor, driven through the headless editor with stand-in artwork: its layout,
// readouts, painting, clicks and the actions of its own buttons and switches.

#include "ReverbEditorTestSupport.h"

#include "GraphicsTestSupport.h"
#include "IRadioButtonsControl.h"
#include "ITextControl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace P = ReverbParameters;

namespace {

const bool artworkRegistered = (RegisterStandInArtwork(), true);

// Editor indices of controls the tests reach for.
constexpr int32_t kInputGroup = 11;
constexpr int32_t kAirGroup = 13;
constexpr int32_t kFirstFader = 14;   // Mix; the other faders follow in parameter order
constexpr int32_t kAboutPicture = 27;
constexpr int32_t kVersionReadout = 28;
constexpr int32_t kOkButton = 29;

bool OverlayShown(RecordingReverb& reverb)
{
    IGraphics& editor = reverb.Editor();
    return !editor.Control(kAboutPicture)->IsHidden() && !editor.Control(kVersionReadout)->IsHidden() &&
           !editor.Control(kOkButton)->IsHidden();
}

bool OverlayHidden(RecordingReverb& reverb)
{
    IGraphics& editor = reverb.Editor();
    return editor.Control(kAboutPicture)->IsHidden() && editor.Control(kVersionReadout)->IsHidden() &&
           editor.Control(kOkButton)->IsHidden();
}

uint32_t Pixel(RecordingReverb& reverb, int x, int y)
{
    return PixelAt(reverb.Editor().Surface(), x, y);
}

const char* const kFreshReadouts[] = {"0.33", "0.00", "0.85", "0.50", "  10", "3000", "0.31", "0.20", "0.50", "0.50"};

void ExpectFreshReadouts(RecordingReverb& reverb)
{
    for (int32_t param = 1; param <= 10; ++param)
        EXPECT_EQ(reverb.Readout(param), kFreshReadouts[param - 1]) << param;
}

} // namespace

// ---- Layout ---------------------------------------------------------------------------------

TEST(ReverbEditorLayout, EveryControlInItsPlace)
{
    RecordingReverb reverb;
    ExpectTheLayout(reverb.Editor());
    // Every control shows its parameter's value, which is also its double-click default.
    for (int32_t i = 0; i < reverb.Editor().ControlCount(); ++i)
    {
        const IControl& control = *reverb.Editor().Control(i);
        if (control.ParamIndex() < 0)
            continue;
        EXPECT_EQ(control.Value(), reverb.Value(control.ParamIndex())) << i;
        EXPECT_EQ(control.DefaultValue(), reverb.Value(control.ParamIndex())) << i;
    }
}

TEST(ReverbEditorLayout, BitmapsAreDecodedOncePerModule)
{
    RecordingReverb first;
    const int32_t decodes = IGraphicsHeadless::DecodeCount();
    RecordingReverb second;
    EXPECT_EQ(IGraphicsHeadless::DecodeCount(), decodes);
    EXPECT_NE(first.Editor().Surface(), second.Editor().Surface());
}

// ---- Readouts -------------------------------------------------------------------------------

TEST(ReverbEditorReadouts, FollowTheParameters)
{
    RecordingReverb reverb;
    ExpectFreshReadouts(reverb);

    reverb.ApplyHostParameter(P::kMix, 1.0);
    reverb.ApplyHostParameter(P::kLowCut, 0.5);
    reverb.ApplyHostParameter(P::kHighCut, 0.5);
    reverb.ApplyHostParameter(P::kTurbRate, 1.0);
    EXPECT_EQ(reverb.Readout(P::kMix), "1.00");
    EXPECT_EQ(reverb.Readout(P::kLowCut), " 100");
    EXPECT_EQ(reverb.Readout(P::kHighCut), "6300");
    EXPECT_EQ(reverb.Readout(P::kTurbRate), "2.50");
    reverb.ApplyHostParameter(P::kHighCut, 1.0);
    EXPECT_EQ(reverb.Readout(P::kHighCut), "20000");

    // A click on a fader rewrites its readout too.
    reverb.Click(84 + 6, FaderY(P::kRoomSize));
    EXPECT_EQ(reverb.Readout(P::kRoomSize), "0.10");

    // The same text again costs no repaint.
    PaintAll(reverb.Editor());
    reverb.ApplyHostParameter(P::kMix, 1.0);
    EXPECT_FALSE(reverb.Editor().Control(P::kMix)->NeedsRedraw());
}

TEST(ReverbEditorReadouts, DamagedValuesStayInsideTheBuffer)
{
    RecordingReverb reverb;
    const double damaged[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(), 1e300, -1e300};
    for (double value : damaged)
    {
        for (int32_t param = 1; param <= 10; ++param)
        {
            reverb.OnParameterShown(param, value);
            EXPECT_GE(reverb.Readout(param).size(), 4u) << param << " " << value;
            EXPECT_LE(reverb.Readout(param).size(), 5u) << param << " " << value;
        }
    }
    EXPECT_EQ(reverb.Readout(P::kHighCut), "2000");   // -1e300 reads as the lowest setting

    // A damaged stored state reads as the nearest valid values.
    IStateChunk chunk;
    for (int32_t i = 0; i < P::kCount; ++i)
        chunk.PutDouble(i == P::kHighCut ? 1e300 : std::numeric_limits<double>::quiet_NaN());
    reverb.ReadState(chunk, 0);
    EXPECT_EQ(reverb.Readout(P::kHighCut), "20000");
    EXPECT_EQ(reverb.Readout(P::kLowCut), "  10");
    EXPECT_EQ(reverb.Readout(P::kMix), "0.00");
}

TEST(ReverbEditorReadouts, ARestoredStateRewritesThemAndAPresetRepaintsEverything)
{
    RecordingReverb reverb;
    IStateChunk chunk;
    for (int32_t i = 0; i < P::kCount; ++i)
        chunk.PutDouble(1.0);
    EXPECT_EQ(reverb.ReadState(chunk, 0), 152);
    const char* const full[] = {"1.00", "1.00", "1.00", "1.00", "1000", "20000", "1.00", "1.00", "1.00", "2.50"};
    for (int32_t param = 1; param <= 10; ++param)
        EXPECT_EQ(reverb.Readout(param), full[param - 1]) << param;
    // The stored button values run no action.
    EXPECT_TRUE(OverlayHidden(reverb));

    PaintAll(reverb.Editor());
    ASSERT_TRUE(reverb.SelectPreset(0));
    ExpectFreshReadouts(reverb);
    for (int32_t i = 0; i < reverb.Editor().ControlCount(); ++i)
        EXPECT_TRUE(reverb.Editor().Control(i)->NeedsRedraw()) << i;
}

// ---- Painting -------------------------------------------------------------------------------

TEST(ReverbEditorPainting, FaderBarAndHandleAtHalf)
{
    RecordingReverb reverb;
    reverb.ApplyHostParameter(P::kMix, 0.5);
    PaintAll(reverb.Editor());
    const int top = 63;
    for (int y : {top + 5, top + 6})
    {
        EXPECT_EQ(Pixel(reverb, 83, y), kBackgroundColour);
        for (int x = 84; x <= 142; ++x)   // through the handle's clear rows from 137 on
            ASSERT_EQ(Pixel(reverb, x, y), kBarColour) << x << " " << y;
        for (int x = 143; x <= 150; ++x)
            ASSERT_EQ(Pixel(reverb, x, y), kBackgroundColour) << x << " " << y;
    }
    for (int y : {top, top + 4, top + 7, top + 11})
    {
        EXPECT_EQ(Pixel(reverb, 136, y), kBackgroundColour) << y;
        for (int x = 137; x <= 148; ++x)
            ASSERT_EQ(Pixel(reverb, x, y), kHandleColour) << x << " " << y;
        EXPECT_EQ(Pixel(reverb, 149, y), kBackgroundColour) << y;
    }
    EXPECT_EQ(Pixel(reverb, 100, top + 4), kBackgroundColour);
    EXPECT_EQ(Pixel(reverb, 100, top + 7), kBackgroundColour);

    // Far echo at 0: the handle at the left end and no bar, not even under the handle.
    EXPECT_EQ(Pixel(reverb, 84, 86), kHandleColour);
    EXPECT_EQ(Pixel(reverb, 84, 86 + 5), kBackgroundColour);

    // A repaint of part of the track paints the bar up to its edge and not beyond.
    FillSurface(reverb.Editor().Surface(), kOpaqueBlack);
    reverb.Editor().PaintRegion(IRect(0, 0, 100, 373));
    EXPECT_EQ(Pixel(reverb, 99, top + 5), kBarColour);
    EXPECT_EQ(Pixel(reverb, 100, top + 5), kOpaqueBlack);
    EXPECT_EQ(Pixel(reverb, 140, top + 5), kOpaqueBlack);
}

TEST(ReverbEditorPainting, RadioDotsAndTheOverlay)
{
    RecordingReverb reverb;
    PaintAll(reverb.Editor());
    for (int32_t position = 0; position < 4; ++position)   // L+R
        EXPECT_EQ(Pixel(reverb, InputX(position), kInputY), position == 2 ? kRadioOnColour : kRadioOffColour);
    for (int y : {kTurbulenceY, kAirY})
    {
        EXPECT_EQ(Pixel(reverb, kOnX, y), kRadioOnColour);
        EXPECT_EQ(Pixel(reverb, kOffX, y), kRadioOffColour);
    }
    EXPECT_EQ(Pixel(reverb, 10, 10), kBackgroundColour);

    reverb.Click(InputX(3), kInputY);
    reverb.Click(kOffX, kAirY);
    reverb.Click(kAboutX, kButtonY);
    PaintAll(reverb.Editor());
    EXPECT_EQ(Pixel(reverb, InputX(2), kInputY), kAboutColour);   // under the overlay
    EXPECT_EQ(Pixel(reverb, 10, 228), kAboutColour);
    EXPECT_EQ(Pixel(reverb, 10, 229), kBackgroundColour);
    EXPECT_EQ(Pixel(reverb, kOnX, kAirY), kRadioOffColour);
    EXPECT_EQ(Pixel(reverb, kOffX, kAirY), kRadioOnColour);

    reverb.Click(kOkX, kOkY);
    PaintAll(reverb.Editor());
    EXPECT_EQ(Pixel(reverb, InputX(3), kInputY), kRadioOnColour);
    EXPECT_EQ(Pixel(reverb, InputX(2), kInputY), kRadioOffColour);
}

// ---- Clicks ---------------------------------------------------------------------------------

TEST(ReverbEditorClicks, TheHiddenOverlayTakesNoClicks)
{
    RecordingReverb reverb;
    reverb.Click(kOkX, kOkY);   // where OK lies: only the background
    EXPECT_TRUE(reverb.log.empty());
    reverb.Click(100, 160);     // the Low cut fader, under the OK button's place
    EXPECT_GT(reverb.Value(P::kLowCut), 0.0);
    EXPECT_EQ(reverb.Value(P::kOk), 0.0);
    reverb.Click(kFaderX, FaderY(P::kMix));
    EXPECT_NE(reverb.Value(P::kMix), 0.33);
}

TEST(ReverbEditorClicks, TheShownOverlayBlocksWhatItCoversOnly)
{
    RecordingReverb reverb;
    reverb.Click(kAboutX, kButtonY);
    EXPECT_TRUE(OverlayShown(reverb));
    EXPECT_EQ(reverb.Value(P::kAbout), 1.0);
    reverb.log.clear();

    reverb.Click(kFaderX, FaderY(P::kMix));
    reverb.Click(InputX(0), kInputY);
    reverb.Click(kFaderX, 226);   // Pre-delay's top rows lie under the overlay
    EXPECT_TRUE(reverb.log.empty());
    EXPECT_EQ(reverb.Value(P::kMix), 0.33);
    EXPECT_EQ(reverb.Value(P::kInput), 0.66);

    reverb.Click(kFaderX, 232);   // below y = 229 everything works
    EXPECT_NE(reverb.Value(P::kPreDelay), 0.2);
    reverb.Click(kFaderX, FaderY(P::kModRate));
    EXPECT_NE(reverb.Value(P::kModRate), 0.5);
    reverb.Click(kOffX, kTurbulenceY);
    EXPECT_EQ(reverb.Value(P::kTurbulence), 1.0);
    reverb.Click(kAboutX, kButtonY);   // a second About changes nothing that shows
    EXPECT_TRUE(OverlayShown(reverb));
    EXPECT_EQ(reverb.Value(P::kAbout), 0.0);

    reverb.Click(kOkX, kOkY);
    EXPECT_TRUE(OverlayHidden(reverb));
    EXPECT_EQ(reverb.Value(P::kOk), 1.0);
    EXPECT_EQ(reverb.Edits().back(), "edit 14 1.0000");
}

TEST(ReverbEditorClicks, RightClicksActOnButtonsOnly)
{
    RecordingReverb reverb;
    reverb.Click(kFaderX, FaderY(P::kMix), true);
    reverb.Click(kOffX, kAirY, true);
    EXPECT_EQ(reverb.Value(P::kMix), 0.33);
    EXPECT_EQ(reverb.Value(P::kAir), 0.0);
    EXPECT_TRUE(reverb.Edits().empty());

    reverb.Click(kAboutX, kButtonY, true);
    EXPECT_TRUE(OverlayShown(reverb));
    reverb.Click(kOkX, kOkY, true);
    EXPECT_TRUE(OverlayHidden(reverb));
    EXPECT_EQ(reverb.Edits(), (std::vector<std::string>{"edit 13 1.0000", "edit 14 1.0000"}));
}

TEST(ReverbEditorClicks, HostChangesOfTheButtonParametersRunNoAction)
{
    RecordingReverb reverb;
    reverb.Click(kFaderX, FaderY(P::kMix));
    const double mix = reverb.Value(P::kMix);
    reverb.RenderSomeAudio();
    const int32_t position = reverb.Engine().WritePos();

    for (int32_t param = P::kRestoreDefault; param <= P::kOk; ++param)
        reverb.ApplyHostParameter(param, 1.0);
    EXPECT_TRUE(OverlayHidden(reverb));
    EXPECT_EQ(reverb.Value(P::kMix), mix);
    EXPECT_EQ(reverb.Engine().WritePos(), position);
    EXPECT_EQ(reverb.Editor().Control(24)->Value(), 1.0);   // the buttons show the values

    reverb.Click(kAboutX, kButtonY);   // the click after that flips back to 0, and still acts
    EXPECT_TRUE(OverlayShown(reverb));
    reverb.ApplyHostParameter(P::kOk, 0.0);
    EXPECT_TRUE(OverlayShown(reverb));
}

TEST(ReverbEditorClicks, ADoubleClickReturnsAFaderToItsDefault)
{
    RecordingReverb reverb;
    reverb.Click(kFaderX, FaderY(P::kDiffusion));
    IControl& fader = *reverb.Editor().Control(kFirstFader + P::kDiffusion - 1);
    fader.MouseDoubleClick(kFaderX, FaderY(P::kDiffusion), IMouseMods(true, false));
    EXPECT_EQ(reverb.Value(P::kDiffusion), 0.708);
    EXPECT_EQ(reverb.Readout(P::kDiffusion), "0.85");
}

// ---- Actions --------------------------------------------------------------------------------

TEST(ReverbEditorActions, RestoreDefaultPushesWhatDiffersAndRestartsTheTail)
{
    RecordingReverb reverb;
    reverb.Click(InputX(0), kInputY);
    reverb.Click(kFaderX, FaderY(P::kMix));
    reverb.Click(kOffX, kTurbulenceY);
    reverb.Click(kOffX, kAirY);
    reverb.Click(kAboutX, kButtonY);
    reverb.Click(kOkX, kOkY);
    reverb.RenderSomeAudio();
    ASSERT_GT(reverb.Engine().WritePos(), 0);
    const IStateChunk preset = reverb.Preset(0)->state;
    reverb.log.clear();

    reverb.Click(kRestoreDefaultX, kButtonY);
    EXPECT_EQ(reverb.Edits(), (std::vector<std::string>{"edit 0 0.6600", "edit 17 0.0000", "edit 18 0.0000",
                                                        "edit 1 0.3300", "edit 11 1.0000"}));
    for (int32_t param : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 17, 18})
    {
        EXPECT_EQ(reverb.Value(param), P::DefaultValue(param)) << param;
        EXPECT_EQ(reverb.Engine().ParameterCopy(param), P::DefaultValue(param)) << param;
    }
    ExpectFreshReadouts(reverb);
    EXPECT_EQ(reverb.Engine().WritePos(), 0);
    EXPECT_EQ(reverb.Engine().LineCount(), 8);
    // The buttons and the preset keep what they held.
    EXPECT_EQ(reverb.Value(P::kAbout), 1.0);
    EXPECT_EQ(reverb.Value(P::kOk), 1.0);
    EXPECT_EQ(reverb.Preset(0)->state.Size(), preset.Size());
    EXPECT_EQ(0, memcmp(reverb.Preset(0)->state.Data(), preset.Data(), static_cast<size_t>(preset.Size())));
}

TEST(ReverbEditorActions, RestoreDefaultRestoresNothingButStillRestartsTheTail)
{
    RecordingReverb reverb;
    reverb.RenderSomeAudio();
    ASSERT_GT(reverb.Engine().WritePos(), 0);
    reverb.Click(kRestoreDefaultX, kButtonY);
    EXPECT_EQ(reverb.Edits(), std::vector<std::string>{"edit 11 1.0000"});
    EXPECT_EQ(reverb.Engine().WritePos(), 0);

    reverb.RenderSomeAudio();
    reverb.Click(kRestoreDefaultX, kButtonY, true);
    EXPECT_EQ(reverb.Edits().back(), "edit 11 0.0000");
    EXPECT_EQ(reverb.Engine().WritePos(), 0);
}

TEST(ReverbEditorActions, LPlusRStaysLPlusR)
{
    RecordingReverb reverb;
    reverb.Click(InputX(2), kInputY);
    EXPECT_EQ(reverb.Value(P::kInput), 2.0 / 3.0);
    reverb.Click(kRestoreDefaultX, kButtonY);
    EXPECT_EQ(reverb.Edits().front(), "edit 0 0.6667");
    EXPECT_EQ(reverb.Edits()[1], "edit 0 0.6600");
    EXPECT_EQ(reverb.Value(P::kInput), 0.66);
    EXPECT_EQ(dynamic_cast<IRadioButtonsControl&>(*reverb.Editor().Control(kInputGroup)).ActiveButton(), 2);
}

TEST(ReverbEditorActions, AirOffSwitchesTheEngineAndRestartsTheTailOnEveryClick)
{
    RecordingReverb reverb;
    reverb.RenderSomeAudio();
    reverb.Click(kOffX, kAirY);
    EXPECT_EQ(reverb.Value(P::kAir), 1.0);
    EXPECT_EQ(reverb.Engine().ParameterCopy(P::kAir), 1.0);
    EXPECT_EQ(reverb.Engine().WritePos(), 0);
    EXPECT_NE(reverb.Engine().LineLengthL(0), reverb.Engine().LineLengthL(1));

    // The position already chosen still pushes and restarts.
    reverb.RenderSomeAudio();
    reverb.log.clear();
    reverb.Click(kOffX, kAirY);
    EXPECT_EQ(reverb.Edits(), std::vector<std::string>{"edit 18 1.0000"});
    EXPECT_EQ(reverb.Engine().WritePos(), 0);
    EXPECT_EQ(dynamic_cast<IRadioButtonsControl&>(*reverb.Editor().Control(kAirGroup)).ActiveButton(), 1);
}

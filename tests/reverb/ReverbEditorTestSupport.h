#pragma once
// The reverb with its headless editor, as a host sees it: edits and gestures are recorded,
// the mouse is driven through the editor, and small stand-in artwork of the right sizes can
// be registered as the editor's bitmap resources.

#include "IGraphicsHeadless.h"
#include "IReverbEffect.h"

#include <cstdint>
#include <string>
#include <vector>

// Colours of the stand-in artwork.
constexpr uint32_t kBackgroundColour = 0xff646464u;
constexpr uint32_t kRadioOffColour = 0xff303030u;
constexpr uint32_t kRadioOnColour = 0xffe0e0e0u;
constexpr uint32_t kHandleColour = 0xffd0d0d0u;   // rows 5 and 6 are transparent
constexpr uint32_t kAboutColour = 0xff202040u;
constexpr uint32_t kBarColour = 0xff00b8c2u;

// Points inside the editor's controls.
constexpr int32_t kFaderX = 150;
constexpr int32_t kRestoreDefaultX = 80, kAboutX = 198, kButtonY = 348;
constexpr int32_t kOkX = 80, kOkY = 170;   // on no control while the overlay is hidden
constexpr int32_t kInputY = 45;            // radio positions: the centres of their dots
constexpr int32_t kOnX = 108, kOffX = 162;
constexpr int32_t kTurbulenceY = 298, kAirY = 321;

// The middle of the fader row of parameter 1..10.
constexpr int32_t FaderY(int32_t param)
{
    return 63 + 23 * (param - 1) + 6;
}

// Position 0..3 (L, R, L+R, L&R) of the Input group.
constexpr int32_t InputX(int32_t position)
{
    return 90 + 36 * position;
}

// Registers the four editor bitmaps; call before the first editor of the program loads them.
void RegisterStandInArtwork();

class RecordingReverb : public IReverbEffect
{
public:
    RecordingReverb() : IReverbEffect(nullptr) {}

    void BeginParameterGesture(int32_t index) override;
    void ReportEditToHost(int32_t index, double normalized) override;
    void EndParameterGesture(int32_t index) override;

    IGraphicsHeadless& Editor();

    // A press and release at (x, y).
    void Click(int32_t x, int32_t y, bool rightButton = false);
    // The edits the host heard of, as "edit <index> <value>", in order; gestures left out.
    std::vector<std::string> Edits() const;
    // The text of the readout of parameter 1..10.
    std::string Readout(int32_t paramIndex);
    double Value(int32_t paramIndex) { return Parameter(paramIndex)->Value(); }
    // Renders a little audio, so that a restart of the reverb shows in the write position.
    void RenderSomeAudio();

    // "begin <index>", "edit <index> <value>", "end <index>".
    std::vector<std::string> log;
};

// Checks every control of the editor against the layout: class, parameter, rectangle, blend,
// visibility, order, text styles and radio positions.
void ExpectTheLayout(IGraphics& editor);

#include "ReverbEditor.h"

#include "IBitmapControl.h"
#include "IGraphics.h"
#include "IMyButton.h"
#include "IMyFaderControl.h"
#include "IMyRadioButtonsControl.h"
#include "IReverbEffect.h"
#include "ITextControl.h"
#include "ReverbEngine.h"
#include "ReverbVersion.h"
#include "platform/IGraphicsPlatform.h"

namespace {

namespace P = ReverbParameters;

struct Artwork
{
    int32_t id;
    const char* name;
    int32_t frames;
    int32_t width;    // the artwork's size, pixels
    int32_t height;
};

constexpr Artwork kBackground{ReverbEditor::kBackgroundId, "resources/img/background.png", 1, 251, 373};
constexpr Artwork kRadio{ReverbEditor::kRadioId, "resources/img/radio.png", 2, 16, 32};
constexpr Artwork kFaderHandle{ReverbEditor::kFaderHandleId, "resources/img/fader.png", 1, 12, 12};
constexpr Artwork kAboutPicture{ReverbEditor::kAboutId, "resources/img/about_dialog.png", 1, 251, 229};

// Fader and readout rows: Mix at the top, then one row every 23 pixels down to Turb rate.
constexpr int32_t kFirstRowTop = 63;
constexpr int32_t kRowPitch = 23;
constexpr int32_t kReadoutLeft = 207;
constexpr int32_t kReadoutRight = 236;
constexpr int32_t kWideReadoutRight = 238;   // Low cut and High cut print four or five digits
constexpr int32_t kReadoutHeight = 16;

constexpr int32_t kInputPositions = 4;       // L, R, L+R, L&R
constexpr int32_t kSwitchPositions = 2;      // On, Off
const IRect kInputGroupRect(82, 37, 206, 53);
const IRect kTurbulenceGroupRect(100, 290, 170, 306);
const IRect kAirGroupRect(100, 313, 170, 329);

const IRect kRestoreDefaultRect(33, 338, 128, 359);
const IRect kHelpRect(133, 338, 173, 359);
const IRect kAboutRect(178, 338, 218, 359);
const IRect kVersionRect(132, 53, 172, 61);
const IRect kOkRect(47, 161, 120, 182);

const IRgba kWhite(255, 255, 255, 255);
const ITextStyle kReadoutStyle("Verdana", 12, kWhite, kStyleBold, kAlignLeft);
const ITextStyle kVersionStyle("Verdana", 16, kWhite, kStyleNormal, kAlignLeft);

// An artwork that cannot be loaded or decoded keeps its size in the layout but has no pixels:
// its controls stay in place and usable, and draw nothing.
IBitmapRef LoadArtwork(IGraphics& graphics, const Artwork& art)
{
    IBitmapRef ref = graphics.LoadBitmapResource(art.id, art.name, art.frames);
    if (!ref.bitmap)
    {
        ref.width = art.width;
        ref.height = art.height;
    }
    return ref;
}

int32_t RowTop(int32_t row)
{
    return kFirstRowTop + kRowPitch * row;
}

IRect ReadoutRect(int32_t paramIndex, int32_t row)
{
    const bool wide = paramIndex == P::kLowCut || paramIndex == P::kHighCut;
    return IRect(kReadoutLeft, RowTop(row), wide ? kWideReadoutRight : kReadoutRight, RowTop(row) + kReadoutHeight);
}

} // namespace

std::unique_ptr<IGraphics> ReverbEditor::Build(IReverbEffect& reverb, const ReverbEngine& engine)
{
    std::unique_ptr<IGraphics> editor(IGraphicsPlatform::CreateEditor(&reverb, kWidth, kHeight, kFrameRate));
    if (!editor)
        return nullptr;
    graphics = editor.get();
    graphics->InsertBackground(new IBitmapControl(&reverb, LoadArtwork(*graphics, kBackground)));
    AddReadouts(reverb, engine);
    AddRadioGroups(reverb);
    AddFaders(reverb);
    AddButtons(reverb);
    AddAboutOverlay(reverb);
    return editor;
}

void ReverbEditor::AddReadouts(IReverbEffect& reverb, const ReverbEngine& engine)
{
    for (int32_t i = P::kFirstReadout; i <= P::kLastReadout; ++i)
    {
        const int32_t row = RowOf(i);
        auto* readout = new ITextControl(&reverb, ReadoutRect(i, row), kReadoutStyle,
                                         ReadoutText(i, engine.ParameterCopy(i)));
        readouts[static_cast<size_t>(row)] = readout;
        graphics->AddControl(readout);
    }
}

void ReverbEditor::AddRadioGroups(IReverbEffect& reverb)
{
    const IBitmapRef radio = LoadArtwork(*graphics, kRadio);
    inputGroup = new IRadioButtonsControl(&reverb, kInputGroupRect, P::kInput, kInputPositions, radio);
    graphics->AddControl(inputGroup);
    turbulenceGroup = new IMyRadioButtonsControl(&reverb, kTurbulenceGroupRect, P::kTurbulence, kSwitchPositions, radio);
    graphics->AddControl(turbulenceGroup);
    airGroup = new IMyRadioButtonsControl(&reverb, kAirGroupRect, P::kAir, kSwitchPositions, radio);
    graphics->AddControl(airGroup);
}

void ReverbEditor::AddFaders(IReverbEffect& reverb)
{
    const IBitmapRef handle = LoadArtwork(*graphics, kFaderHandle);
    for (int32_t i = P::kFirstReadout; i <= P::kLastReadout; ++i)
    {
        const int32_t row = RowOf(i);
        auto* fader = new IMyFaderControl(&reverb, RowTop(row), i, handle);
        faders[static_cast<size_t>(row)] = fader;
        graphics->AddControl(fader);
    }
}

void ReverbEditor::AddButtons(IReverbEffect& reverb)
{
    graphics->AddControl(new IMyButton(&reverb, kRestoreDefaultRect, P::kRestoreDefault));
    graphics->AddControl(new IMyButton(&reverb, kHelpRect, P::kHelp));
    graphics->AddControl(new IMyButton(&reverb, kAboutRect, P::kAbout));
}

// Added last, so that while shown it lies over everything it covers and takes their clicks.
void ReverbEditor::AddAboutOverlay(IReverbEffect& reverb)
{
    aboutBitmap = new IBitmapControl(&reverb, 0, 0, -1, LoadArtwork(*graphics, kAboutPicture));
    graphics->AddControl(aboutBitmap);
    aboutBitmap->SetHidden(true);

    versionReadout = new ITextControl(&reverb, kVersionRect, kVersionStyle, TESSIVANE_VERSION_TEXT);
    graphics->AddControl(versionReadout);
    versionReadout->SetHidden(true);

    okButton = new IMyButton(&reverb, kOkRect, P::kOk);
    graphics->AddControl(okButton);
    okButton->SetHidden(true);
}

int32_t ReverbEditor::RowOf(int32_t paramIndex)
{
    if (paramIndex < P::kFirstReadout || paramIndex > P::kLastReadout)
        return -1;
    return paramIndex - P::kFirstReadout;
}

bool ReverbEditor::OnWindowThread() const
{
    return graphics && graphics->OnWindowThread();
}

const char* ReverbEditor::ReadoutText(int32_t paramIndex, double normalized)
{
    P::FormatReadout(paramIndex, normalized, text, sizeof text);
    return text;
}

void ReverbEditor::ShowReadout(int32_t paramIndex, double normalized)
{
    const int32_t row = RowOf(paramIndex);
    if (row < 0 || !OnWindowThread())
        return;
    if (ITextControl* readout = readouts[static_cast<size_t>(row)])
        readout->SetText(ReadoutText(paramIndex, normalized));
}

void ReverbEditor::ShowReadouts(const ReverbEngine& engine)
{
    for (int32_t i = P::kFirstReadout; i <= P::kLastReadout; ++i)
        ShowReadout(i, engine.ParameterCopy(i));
}

void ReverbEditor::ShowEngineValues(const ReverbEngine& engine)
{
    if (!OnWindowThread())
        return;
    inputGroup->ApplyUserValue(engine.ParameterCopy(P::kInput));
    turbulenceGroup->ApplyUserValue(engine.ParameterCopy(P::kTurbulence));
    airGroup->ApplyUserValue(engine.ParameterCopy(P::kAir));
    for (int32_t i = P::kFirstReadout; i <= P::kLastReadout; ++i)
    {
        const double value = engine.ParameterCopy(i);
        ShowReadout(i, value);
        faders[static_cast<size_t>(RowOf(i))]->ApplyUserValue(value);
    }
}

void ReverbEditor::ShowAbout()
{
    if (!OnWindowThread())
        return;
    aboutBitmap->SetHidden(false);
    versionReadout->SetHidden(false);
    okButton->SetHidden(false);
}

void ReverbEditor::HideAbout()
{
    if (!OnWindowThread())
        return;
    versionReadout->SetHidden(true);
    okButton->SetHidden(true);
    aboutBitmap->SetHidden(true);
}

void ReverbEditor::RepaintAll()
{
    if (graphics)
        graphics->MarkAllChanged();
}

#pragma once
// The reverb's editor: a painted background with ten faders and their value readouts, three
// radio groups, three push buttons and an about overlay that stays hidden until asked for.
// This class builds it on a new editor object and keeps the controls the reverb changes
// afterwards. The editor and its controls live as long as the plug-in instance; a host's
// window only shows them.
//
// Readouts and controls are touched on the editor's window thread only. Writers called on
// another thread (a host's automation) leave them alone: the editor shows the value later on
// its window thread and the reverb then rewrites the readout (IReverbEffect::OnParameterShown).

#include "ReverbParameters.h"

#include <array>
#include <cstdint>
#include <memory>

class IBitmapControl;
class IGraphics;
class IMyButton;
class IMyFaderControl;
class IMyRadioButtonsControl;
class IRadioButtonsControl;
class IReverbEffect;
class ITextControl;
class ReverbEngine;

class ReverbEditor
{
public:
    static constexpr int32_t kWidth = 251;     // pixels
    static constexpr int32_t kHeight = 373;    // pixels
    static constexpr int32_t kFrameRate = 25;  // repaints per second

    // The editor's bitmap resources.
    static constexpr int32_t kBackgroundId = 101;
    static constexpr int32_t kFaderHandleId = 102;
    static constexpr int32_t kRadioId = 104;
    static constexpr int32_t kAboutId = 106;

    // Makes the editor and every control in painting order, the readouts showing the engine's
    // copies. The caller hands the editor to the plug-in core; null when none can be made.
    std::unique_ptr<IGraphics> Build(IReverbEffect& reverb, const ReverbEngine& engine);

    // Rewrites the readout of parameter 1..10 for a normalised value; other indices, or a call
    // away from the window thread, change nothing.
    void ShowReadout(int32_t paramIndex, double normalized);
    // Rewrites all ten readouts from the engine's copies.
    void ShowReadouts(const ReverbEngine& engine);
    // Restore default on the controls: every group and fader whose value differs from the
    // engine's copy takes it and pushes it to the plug-in; the readouts follow.
    void ShowEngineValues(const ReverbEngine& engine);
    void ShowAbout();
    void HideAbout();
    // Has every control repainted, from any thread.
    void RepaintAll();

private:
    static constexpr size_t kFaderCount = ReverbParameters::kLastReadout - ReverbParameters::kFirstReadout + 1;

    // Position of a parameter's fader and readout; -1 for a parameter without them.
    static int32_t RowOf(int32_t paramIndex);
    bool OnWindowThread() const;
    void AddReadouts(IReverbEffect& reverb, const ReverbEngine& engine);
    void AddRadioGroups(IReverbEffect& reverb);
    void AddFaders(IReverbEffect& reverb);
    void AddButtons(IReverbEffect& reverb);
    void AddAboutOverlay(IReverbEffect& reverb);
    // Formats a readout into the text buffer.
    const char* ReadoutText(int32_t paramIndex, double normalized);

    IGraphics* graphics = nullptr;   // owned by the plug-in core once attached
    std::array<IMyFaderControl*, kFaderCount> faders{};
    IBitmapControl* aboutBitmap = nullptr;
    ITextControl* versionReadout = nullptr;
    IMyButton* okButton = nullptr;
    IRadioButtonsControl* inputGroup = nullptr;
    IMyRadioButtonsControl* turbulenceGroup = nullptr;
    IMyRadioButtonsControl* airGroup = nullptr;
    std::array<ITextControl*, kFaderCount> readouts{};
    char text[ReverbParameters::kReadoutCapacity] = "";   // window thread only
};

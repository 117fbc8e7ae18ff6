#include "IReverbEffect.h"

#include "IEffectTypes.h"
#include "IGraphics.h"
#include "ReverbHelp.h"
#include "ReverbVersion.h"

#include <cstdint>
#include <cstdio>
#include <new>

namespace {

constexpr int32_t kVersion = TESSIVANE_VERSION_NUMBER;
constexpr int32_t kPresetCount = 1;
// Input .. Turb rate: the copies a restore reads ahead of the framework. Turbulence and Air
// take their stored values when the framework announces them afterwards.
constexpr int32_t kReadAheadCount = ReverbParameters::kTurbRate + 1;

} // namespace

const IEffectConfig& IReverbEffect::Config()
{
    static const IEffectConfig config{
        "Tessivane Reverb",
        "",
        "Tessivane Audio",
        FourCharCode('T', 's', 'v', '6'),
        FourCharCode('T', 's', 'v', 'n'),
        kVersion,
        "1-1 2-2",
        ReverbParameters::kCount,
        kPresetCount,
        ReverbEditor::kWidth,
        ReverbEditor::kHeight,
        false,  // instrument
        false,  // MIDI
        true,   // state chunks
    };
    return config;
}

IReverbEffect::IReverbEffect(IEffectAdapter::HostCallback host)
    : IEffectAdapter(host, Config()), engine(std::make_unique<ReverbEngine>())
{
    InitParameters();
    BuildEditor();
    MakeFactoryPreset();
}

IReverbEffect::~IReverbEffect() = default;

void IReverbEffect::InitParameters()
{
    // The defaults of the sound parameters come from the engine's copies, so that the two
    // always start equal.
    for (int32_t i = 0; i < ReverbParameters::kCount; ++i)
    {
        const ReverbParameters::Info& row = ReverbParameters::kTable[i];
        const double defaultValue = ReverbParameters::IsSoundParameter(i) ? engine->ParameterCopy(i) : 0.0;
        Parameter(i)->InitContinuous(row.name, defaultValue, 0.0, 1.0, row.step, "");
    }
}

// The core owns the editor from here on and gives every control its parameter's value, which
// also becomes the control's default for double clicks.
void IReverbEffect::BuildEditor()
{
    std::unique_ptr<IGraphics> editor = editorView.Build(*this, *engine);
    if (editor)
        AttachEditor(editor.release());
}

// The single preset slot becomes the factory preset "-" holding the defaults.
void IReverbEffect::MakeFactoryPreset()
{
    for (int32_t i = 0; i < PresetCount(); ++i)
    {
        IPresetSlot* slot = Preset(i);
        if (slot->initialised)
            continue;
        slot->initialised = true;
        snprintf(slot->name, sizeof slot->name, "%s", "-");
        WriteState(slot->state);
        return;
    }
}

void IReverbEffect::OnReset()
{
    ILockGuard lock(Mutex());
    engine->SetHostSampleRate(SampleRate());
    engine->ResetEngine();
}

void IReverbEffect::OnParameterChanged(int32_t paramIndex)
{
    ILockGuard lock(Mutex());
    const IParamEntry* param = Parameter(paramIndex);
    if (!param)
        return;
    engine->ApplyParameter(paramIndex, param->Value());
    editorView.ShowReadout(paramIndex, engine->ParameterCopy(paramIndex));
}

void IReverbEffect::OnParameterShown(int32_t paramIndex, double normalized)
{
    editorView.ShowReadout(paramIndex, normalized);
}

void IReverbEffect::ProcessAudioBlock(double** inputs, double** outputs, int32_t frames)
{
    engine->Process(inputs, outputs, frames);
}

bool IReverbEffect::WriteState(IStateChunk& chunk)
{
    ILockGuard lock(Mutex());
    return SerializeParams(chunk);
}

void IReverbEffect::ReadEngineCopies(const IStateChunk& chunk, int32_t startPos)
{
    if (startPos < 0)
        return;
    for (int32_t i = 0; i < kReadAheadCount; ++i)
    {
        const int64_t pos = static_cast<int64_t>(startPos) + 8 * static_cast<int64_t>(i);
        double v = 0.0;
        if (pos > INT32_MAX || chunk.GetDouble(&v, static_cast<int32_t>(pos)) < 0)
            return;
        // Copies are clamped like the parameters, so that a damaged state can produce
        // neither absurd line lengths during the reset nor oversized readouts.
        engine->SetParameterCopy(i, v);
    }
}

int32_t IReverbEffect::ReadState(const IStateChunk& chunk, int32_t startPos)
{
    ILockGuard lock(Mutex());
    ReadEngineCopies(chunk, startPos);
    editorView.ShowReadouts(*engine);
    engine->ResetEngine();
    return UnserializeParams(chunk, startPos);
}

void IReverbEffect::OnPresetRestored()
{
    ILockGuard lock(Mutex());
    editorView.RepaintAll();
}

void IReverbEffect::OnEditorAction(int32_t paramIndex)
{
    switch (paramIndex)
    {
    case ReverbParameters::kRestoreDefault:
        RestoreDefault();
        break;
    case ReverbParameters::kHelp:
        OpenHelp();
        break;
    case ReverbParameters::kAbout:
        editorView.ShowAbout();
        break;
    case ReverbParameters::kOk:
        editorView.HideAbout();
        break;
    case ReverbParameters::kAir:
        OnParameterChanged(paramIndex); // the switch's action is its own value taking effect
        break;
    default:
        // Turbulence reaches the engine through OnParameterChanged like every other value.
        break;
    }
}

void IReverbEffect::RestoreDefault()
{
    ILockGuard lock(Mutex());
    engine->RestoreDefaultCopies();
    editorView.ShowEngineValues(*engine);
    engine->ResetEngine();
}

// Runs with no lock held: its message boxes wait for the user, and it touches nothing the
// audio thread reads.
void IReverbEffect::OpenHelp()
{
    ReverbHelp::WriteAndOpen();
}

const IEffectConfig& PluginConfig()
{
    return IReverbEffect::Config();
}

IEffectAdapter* CreatePluginInstance(IEffectAdapter::HostCallback host)
{
    try
    {
        return new IReverbEffect(host);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

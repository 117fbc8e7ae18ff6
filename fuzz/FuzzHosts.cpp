#include "FuzzHosts.h"

#include "ITextCopy.h"

namespace {

constexpr double kStoredValue = 0.8125;   // in every parameter of the stored preset
constexpr double kFirstValue = 0.05;
constexpr double kValueSpacing = 0.0493;  // keeps all 19 current values apart and below 1
constexpr char kStoredName[] = "Stored preset";

} // namespace

void SetBaseline(IEffectBase& effect)
{
    IStateChunk stored;
    IStateChunk current;
    for (int32_t i = 0; i < effect.ParameterCount(); ++i)
    {
        stored.PutDouble(kStoredValue);
        current.PutDouble(kFirstValue + kValueSpacing * i);
    }
    for (int32_t i = 0; i < effect.PresetCount(); ++i)
    {
        IPresetSlot& slot = *effect.Preset(i);
        slot.initialised = true;
        CopyText(slot.name, kStoredName);
        slot.state = stored;
    }
    effect.SetBypassed(false);
    effect.ReadState(current, 0);
}

bool SplitMode(const uint8_t* data, size_t size, int modes, ModeInput& out)
{
    if (size < 1)
        return false;
    out.mode = data[0] % modes;
    out.bytes = data + 1;
    out.size = size - 1;
    return true;
}

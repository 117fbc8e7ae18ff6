// The VST 2.4 module as a host drives it, through the real dispatcher: effSetChunk with any
// program or bank chunk, and effString2Parameter with any text.
//
// The first byte chooses the entry point: bank chunk, program chunk or parameter text.
//
// Program chunks (and bank chunks older than the framework's bank version) take each value
// held whole and keep the others; only a whole state is stored in the preset and answers 1.
// A bank answers 1 and restores the current preset when it reads whole, and changes nothing
// when it does not. Parameter text takes any number, clamped, and refuses anything else
// without a change; the display text of a value reads back as that value. After every input
// the instance passes the checks of a restored reverb.

#include "EffectSnapshot.h"
#include "FuzzCheck.h"
#include "FuzzHosts.h"
#include "IReverbEffect.h"
#include "ReverbInvariants.h"
#include "VST2Entry.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum Mode
{
    kBankChunk,
    kProgramChunk,
    kParameterText,
    kModeCount,
};

constexpr VstInt32 kBankIndex = 0;
constexpr VstInt32 kProgramIndex = 1;
constexpr size_t kHostTextBytes = 256;   // what a host's text field hands over at most

// A host that answers nothing it is asked.
VstIntPtr Host(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float)
{
    return 0;
}

class Vst2Instance
{
public:
    Vst2Instance() : effect(VSTPluginMain(Host))
    {
        FUZZ_CHECK(effect, "the module made no instance");
        Dispatch(effOpen);
        Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kFuzzSampleRate));
        Dispatch(effSetBlockSize, 0, kFuzzBlockFrames);
        Dispatch(effMainsChanged, 0, 1);
    }
    ~Vst2Instance() { Dispatch(effClose); }
    Vst2Instance(const Vst2Instance&) = delete;
    Vst2Instance& operator=(const Vst2Instance&) = delete;

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    std::vector<uint8_t> GetChunk(VstInt32 index)
    {
        void* data = nullptr;
        const VstIntPtr size = Dispatch(effGetChunk, index, 0, &data);
        FUZZ_CHECK(size > 0 && data, "effGetChunk(%d) gave no chunk", index);
        const auto* bytes = static_cast<const uint8_t*>(data);
        return std::vector<uint8_t>(bytes, bytes + size);
    }

    VstIntPtr SetChunk(VstInt32 index, const void* data, size_t size)
    {
        return Dispatch(effSetChunk, index, static_cast<VstIntPtr>(size), const_cast<void*>(data));
    }

    IEffectBase& Base() { return *IEffectVST2::FromAEffect(effect); }
    IReverbEffect& Reverb() { return static_cast<IReverbEffect&>(Base()); }

private:
    AEffect* effect;
};

// Where the state of a chunk starts: after the header, at 0 without it, -1 for a cut header.
int64_t StateStart(const uint8_t* bytes, size_t size, int32_t* version)
{
    IStateChunk chunk;
    chunk.PutBytes(bytes, static_cast<int32_t>(size));
    return IEffectBase::ReadChunkHeader(chunk, version);
}

void CheckProgramChunk(Vst2Instance& plugin, VstInt32 index, const uint8_t* bytes, size_t size)
{
    IEffectBase& base = plugin.Base();
    const EffectSnapshot before = EffectSnapshot::Of(base);
    int32_t version = 0;
    const int64_t start = StateStart(bytes, size, &version);
    const bool whole = start >= 0 && start + StateBytes(base) <= static_cast<int64_t>(size);

    const VstIntPtr result = plugin.SetChunk(index, bytes, size);

    FUZZ_CHECK(result == (whole ? 1 : 0), "effSetChunk(program) answered %ld for %zu bytes", static_cast<long>(result), size);
    const std::vector<double> expected = before.ValuesAfterReading(base, bytes, static_cast<int64_t>(size), start);
    CheckValues(base, &expected, "effSetChunk(program)");
    if (!whole)
    {
        CheckSlots(before, base, "effSetChunk(program) that failed");
        return;
    }
    IStateChunk current;
    base.WriteState(current);
    const IPresetSlot& slot = *base.Preset(base.CurrentPresetIndex());
    FUZZ_CHECK(slot.state.Size() == current.Size() && std::memcmp(slot.state.Data(), current.Data(), current.Size()) == 0,
               "effSetChunk(program) did not store the state it read in the preset");
}

void CheckBankChunk(Vst2Instance& plugin, const uint8_t* bytes, size_t size)
{
    IEffectBase& base = plugin.Base();
    int32_t version = 0;
    StateStart(bytes, size, &version);
    if (version < IEffectBase::kChunkVersion)
    {
        // Older chunks at the bank index are programs.
        CheckProgramChunk(plugin, kBankIndex, bytes, size);
        return;
    }
    const EffectSnapshot before = EffectSnapshot::Of(base);
    const VstIntPtr result = plugin.SetChunk(kBankIndex, bytes, size);
    FUZZ_CHECK(result == 0 || result == 1, "effSetChunk(bank) answered %ld", static_cast<long>(result));
    if (result == 0)
    {
        CheckValues(base, &before.values, "effSetChunk(bank) that failed");
        CheckSlots(before, base, "effSetChunk(bank) that failed");
        return;
    }
    const IPresetSlot& slot = *base.Preset(base.CurrentPresetIndex());
    FUZZ_CHECK(slot.initialised, "after a bank the current preset is not initialised");
    const std::vector<double> fromSlot = before.ValuesAfterReading(base, slot.state.Data(), slot.state.Size(), 0);
    CheckValues(base, &fromSlot, "effSetChunk(bank): the current preset");

    const std::vector<uint8_t> first = plugin.GetChunk(kBankIndex);
    FUZZ_CHECK(plugin.SetChunk(kBankIndex, first.data(), first.size()) == 1, "a bank just written did not read back");
    FUZZ_CHECK(plugin.GetChunk(kBankIndex) == first, "bank write -> read -> write changed the bytes");
}

void CheckParameterText(Vst2Instance& plugin, const uint8_t* bytes, size_t size)
{
    if (size < 1)
        return;
    IEffectBase& base = plugin.Base();
    // -1 and the count itself are invalid indices; every other choice is a parameter.
    const VstInt32 index = bytes[0] % (base.ParameterCount() + 2) - 1;
    std::string text(reinterpret_cast<const char*>(bytes + 1), std::min(size - 1, kHostTextBytes));
    const EffectSnapshot before = EffectSnapshot::Of(base);

    const VstIntPtr result = plugin.Dispatch(effString2Parameter, index, 0, text.data());

    const IParamEntry* param = base.Parameter(index);
    FUZZ_CHECK(result == (param ? 1 : 0) || (param && result == 0), "effString2Parameter(%d) answered %ld", index,
               static_cast<long>(result));
    std::vector<double> expected = before.values;
    if (result == 1 && param)
        expected[static_cast<size_t>(index)] = param->Value();
    CheckValues(base, &expected, "effString2Parameter");
    if (!param)
        return;

    // The display text reads back as the value it shows.
    char display[kHostTextBytes] = "";
    plugin.Dispatch(effGetParamDisplay, index, 0, display);
    const double shown = param->Value();
    FUZZ_CHECK(plugin.Dispatch(effString2Parameter, index, 0, display) == 1, "the display text '%s' was refused", display);
    const double tolerance = std::pow(10.0, -param->DisplayPrecision()) + 1e-12;
    FUZZ_CHECK(std::fabs(param->Value() - shown) <= tolerance, "the display text '%s' of %.17g reads back as %.17g",
               display, shown, param->Value());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ModeInput input;
    if (!SplitMode(data, size, kModeCount, input))
        return 0;
    // One instance for the whole run, as a host keeps it; every input starts from the baseline.
    static Vst2Instance plugin;
    SetBaseline(plugin.Base());
    switch (input.mode)
    {
    case kBankChunk:
        CheckBankChunk(plugin, input.bytes, input.size);
        break;
    case kProgramChunk:
        CheckProgramChunk(plugin, kProgramIndex, input.bytes, input.size);
        break;
    case kParameterText:
        CheckParameterText(plugin, input.bytes, input.size);
        break;
    }
    CheckReverbAfterRestore(plugin.Base(), plugin.Reverb().Engine(), "VST 2.4");
    return 0;
}

// The VST3 plug-in through its SDK faces, as a host drives it: component and controller
// setState with any stream, and getParamValueByString with any text.
//
// The first byte chooses the entry point. A state stream sets each value it holds whole and
// keeps the others; an empty stream answers false and changes nothing; the controller's
// answer is ok only with the bypass flag after the values, and only then does the bypass
// change. Parameter text never changes a parameter, answers a value inside 0..1, and the text
// of a value reads back as that value. After every input the instance passes the checks of a
// restored reverb, and its streams survive write -> read -> write.

#include "EffectSnapshot.h"
#include "FuzzCheck.h"
#include "FuzzHosts.h"
#include "IReverbEffect.h"
#include "ReverbInvariants.h"

#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <cmath>
#include <cstring>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

enum Mode
{
    kComponentState,
    kControllerState,
    kParameterText,
    kModeCount,
};

constexpr int64_t kBypassBytes = 4;
constexpr size_t kMaxTextUnits = 512;  // longer than any host's text field
constexpr ParamID kBypassId = IEffectVST3::kBypassParamId;
constexpr ParamID kPresetId = IEffectVST3::kPresetParamId;

class Vst3Instance
{
public:
    Vst3Instance() : effect(new IReverbEffect(nullptr))
    {
        FUZZ_CHECK(component()->initialize(&application) == kResultOk, "initialize failed");
        ProcessSetup setup{kRealtime, kSample64, kFuzzBlockFrames, kFuzzSampleRate};
        FUZZ_CHECK(processor()->setupProcessing(setup) == kResultOk, "setupProcessing failed");
        component()->setActive(true);
    }
    ~Vst3Instance()
    {
        component()->setActive(false);
        component()->terminate();
        effect->release();
    }
    Vst3Instance(const Vst3Instance&) = delete;
    Vst3Instance& operator=(const Vst3Instance&) = delete;

    IComponent* component() { return effect; }
    IAudioProcessor* processor() { return effect; }
    IEditController* controller() { return effect; }
    IReverbEffect& Reverb() { return *effect; }

private:
    HostApplication application;
    IReverbEffect* effect;
};

// A host's stream over bytes it read from its project.
class ReadStream
{
public:
    ReadStream(const uint8_t* bytes, size_t size) : copy(bytes, bytes + size), stream(copy.data(), copy.size()) {}
    IBStream* operator&() { return &stream; }

private:
    std::vector<uint8_t> copy;
    MemoryStream stream;
};

std::vector<uint8_t> BytesOf(MemoryStream& stream)
{
    int64 end = 0;
    stream.tell(&end);
    const auto* data = reinterpret_cast<const uint8_t*>(stream.getData());
    return std::vector<uint8_t>(data, data + end);
}

void CheckState(Vst3Instance& plugin, bool controllerFace, const uint8_t* bytes, size_t size)
{
    IReverbEffect& reverb = plugin.Reverb();
    const char* what = controllerFace ? "controller setState" : "component setState";
    const EffectSnapshot before = EffectSnapshot::Of(reverb);
    const bool bypassBefore = reverb.IsBypassed();
    const int64_t length = static_cast<int64_t>(size);
    const int64_t stateBytes = StateBytes(reverb);

    ReadStream stream(bytes, size);
    const tresult result = controllerFace ? plugin.controller()->setState(&stream) : plugin.component()->setState(&stream);

    const bool whole = controllerFace ? length >= stateBytes + kBypassBytes : length > 0;
    FUZZ_CHECK(result == (whole ? kResultOk : kResultFalse), "%s answered %d for %zu bytes", what, result, size);
    const std::vector<double> expected = before.ValuesAfterReading(reverb, bytes, length, 0);
    CheckValues(reverb, &expected, what);
    CheckSlots(before, reverb, what);
    bool bypassExpected = bypassBefore;
    if (controllerFace && whole)
    {
        int32_t flag = 0;
        std::memcpy(&flag, bytes + stateBytes, sizeof flag);
        bypassExpected = flag != 0;
    }
    FUZZ_CHECK(reverb.IsBypassed() == bypassExpected, "%s left bypass %d", what, reverb.IsBypassed());
}

void CheckStreamsRoundTrip(Vst3Instance& plugin)
{
    for (const bool controllerFace : {false, true})
    {
        MemoryStream first;
        MemoryStream second;
        auto getState = [&](MemoryStream& s) {
            return controllerFace ? plugin.controller()->getState(&s) : plugin.component()->getState(&s);
        };
        FUZZ_CHECK(getState(first) == kResultOk, "getState failed");
        const std::vector<uint8_t> written = BytesOf(first);
        ReadStream again(written.data(), written.size());
        const tresult read = controllerFace ? plugin.controller()->setState(&again) : plugin.component()->setState(&again);
        FUZZ_CHECK(read == kResultOk, "a state just written did not read back");
        getState(second);
        FUZZ_CHECK(BytesOf(second) == written, "stream write -> read -> write changed the bytes");
    }
}

void CheckParameterText(Vst3Instance& plugin, const uint8_t* bytes, size_t size)
{
    if (size < 1)
        return;
    IReverbEffect& reverb = plugin.Reverb();
    // Every parameter, one id past them, bypass and preset.
    const int32_t choice = bytes[0] % (reverb.ParameterCount() + 3);
    const ParamID id = choice < reverb.ParameterCount() + 1 ? static_cast<ParamID>(choice)
                     : choice == reverb.ParameterCount() + 1 ? kBypassId : kPresetId;
    std::vector<TChar> text((size - 1) / sizeof(TChar));
    if (text.size() > kMaxTextUnits)
        text.resize(kMaxTextUnits);
    text.push_back(0);
    std::memcpy(text.data(), bytes + 1, (text.size() - 1) * sizeof(TChar));
    const EffectSnapshot before = EffectSnapshot::Of(reverb);

    ParamValue value = -1.0;
    const tresult result = plugin.controller()->getParamValueByString(id, text.data(), value);

    CheckValues(reverb, &before.values, "getParamValueByString");
    if (result == kResultOk)
        FUZZ_CHECK(value >= 0.0 && value <= 1.0, "getParamValueByString(%u) answered %.17g", id, value);
    const IParamEntry* param = reverb.Parameter(static_cast<int32_t>(id));
    if (!param)
        return;

    // The text of a value reads back as that value.
    const ParamValue shown = param->ToNormalized(param->Value());
    String128 display{};
    FUZZ_CHECK(plugin.controller()->getParamStringByValue(id, shown, display) == kResultOk, "no text for %u", id);
    ParamValue readBack = -1.0;
    FUZZ_CHECK(plugin.controller()->getParamValueByString(id, display, readBack) == kResultOk,
               "the text of parameter %u was refused", id);
    const double tolerance = std::pow(10.0, -param->DisplayPrecision()) + 1e-12;
    FUZZ_CHECK(std::fabs(readBack - shown) <= tolerance, "the text of %.17g reads back as %.17g", shown, readBack);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ModeInput input;
    if (!SplitMode(data, size, kModeCount, input))
        return 0;
    // One instance for the whole run, as a host keeps it; every input starts from the baseline.
    static Vst3Instance plugin;
    SetBaseline(plugin.Reverb());
    switch (input.mode)
    {
    case kComponentState:
        CheckState(plugin, false, input.bytes, input.size);
        break;
    case kControllerState:
        CheckState(plugin, true, input.bytes, input.size);
        break;
    case kParameterText:
        CheckParameterText(plugin, input.bytes, input.size);
        break;
    }
    CheckReverbAfterRestore(plugin.Reverb(), plugin.Reverb().Engine(), "VST3");
    CheckStreamsRoundTrip(plugin);
    return 0;
}

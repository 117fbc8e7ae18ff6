#include "SingleComponentEffect.h"

#include "VST3Text.h"

#include <cmath>
#include <exception>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// A normalised value from a host, made safe for the SDK's list lookups.
ParamValue ClampNormalized(ParamValue v)
{
    if (!(v >= 0.0))
        return 0.0;
    return v > 1.0 ? 1.0 : v;
}

} // namespace

SingleComponentEffect::SingleComponentEffect()
    : audioInputs(kAudio, kInput),
      audioOutputs(kAudio, kOutput),
      eventInputs(kEvent, kInput),
      eventOutputs(kEvent, kOutput)
{
    // The SDK's default set-up, in force until the host sends its own.
    processSetup.processMode = kRealtime;
    processSetup.symbolicSampleSize = kSample32;
    processSetup.maxSamplesPerBlock = 1024;
    processSetup.sampleRate = 44100.0;
}

tresult PLUGIN_API SingleComponentEffect::initialize(FUnknown* context)
{
    // Both faces lead here; the host may initialise each of them. Only the first counts, even
    // when it came without a context.
    if (initialized)
        return kResultFalse;
    const tresult result = EditControllerEx1::initialize(context);
    if (result == kResultOk)
        initialized = true;
    return result;
}

tresult PLUGIN_API SingleComponentEffect::terminate()
{
    removeAllBusses();
    initialized = false;
    return EditControllerEx1::terminate();
}

// ---- IComponent ---------------------------------------------------------------------------------

tresult PLUGIN_API SingleComponentEffect::getControllerClassId(TUID)
{
    // There is no separate controller class: the component is its own controller.
    return kNotImplemented;
}

tresult PLUGIN_API SingleComponentEffect::setIoMode(IoMode)
{
    return kNotImplemented;
}

BusList* SingleComponentEffect::getBusList(MediaType type, BusDirection dir)
{
    if (type == kAudio)
        return dir == kInput ? &audioInputs : dir == kOutput ? &audioOutputs : nullptr;
    if (type == kEvent)
        return dir == kInput ? &eventInputs : dir == kOutput ? &eventOutputs : nullptr;
    return nullptr;
}

int32 PLUGIN_API SingleComponentEffect::getBusCount(MediaType type, BusDirection dir)
{
    BusList* list = getBusList(type, dir);
    return list ? static_cast<int32>(list->size()) : 0;
}

tresult PLUGIN_API SingleComponentEffect::getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& info)
{
    BusList* list = getBusList(type, dir);
    if (!list || index < 0 || index >= static_cast<int32>(list->size()))
        return kInvalidArgument;
    Bus* bus = list->at(static_cast<size_t>(index));
    info.mediaType = type;
    info.direction = dir;
    return bus->getInfo(info) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API SingleComponentEffect::getRoutingInfo(RoutingInfo&, RoutingInfo&)
{
    return kNotImplemented;
}

tresult PLUGIN_API SingleComponentEffect::activateBus(MediaType type, BusDirection dir, int32 index, TBool state)
{
    BusList* list = getBusList(type, dir);
    if (!list || index < 0 || index >= static_cast<int32>(list->size()))
        return kInvalidArgument;
    list->at(static_cast<size_t>(index))->setActive(state);
    return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::setActive(TBool)
{
    return kResultOk;
}

// ---- IAudioProcessor ------------------------------------------------------------------------------

tresult PLUGIN_API SingleComponentEffect::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                             SpeakerArrangement* outputs, int32 numOuts)
{
    // Accepts only the arrangements the buses already have.
    if (numIns < 0 || numOuts < 0 || (numIns > 0 && !inputs) || (numOuts > 0 && !outputs))
        return kInvalidArgument;
    if (numIns != static_cast<int32>(audioInputs.size()) || numOuts != static_cast<int32>(audioOutputs.size()))
        return kResultFalse;
    for (int32 i = 0; i < numIns; ++i)
        if (getAudioInput(i)->getArrangement() != inputs[i])
            return kResultFalse;
    for (int32 i = 0; i < numOuts; ++i)
        if (getAudioOutput(i)->getArrangement() != outputs[i])
            return kResultFalse;
    return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr)
{
    AudioBus* bus = dir == kInput ? getAudioInput(index) : dir == kOutput ? getAudioOutput(index) : nullptr;
    if (!bus)
        return kInvalidArgument;
    arr = bus->getArrangement();
    return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::canProcessSampleSize(int32 symbolicSampleSize)
{
    return symbolicSampleSize == kSample32 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API SingleComponentEffect::setupProcessing(ProcessSetup& setup)
{
    if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue)
        return kResultFalse;
    processSetup = setup;
    return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::process(ProcessData&)
{
    return kNotImplemented;
}

// ---- IEditController ------------------------------------------------------------------------------

tresult PLUGIN_API SingleComponentEffect::getParameterInfo(int32 paramIndex, ParameterInfo& info)
{
    if (paramIndex < 0 || paramIndex >= parameters.getParameterCount())
        return kResultFalse;
    return EditControllerEx1::getParameterInfo(paramIndex, info);
}

tresult PLUGIN_API SingleComponentEffect::getParamStringByValue(ParamID tag, ParamValue valueNormalized,
                                                                String128 string)
{
    if (!string)
        return kInvalidArgument;
    return EditControllerEx1::getParamStringByValue(tag, ClampNormalized(valueNormalized), string);
}

tresult PLUGIN_API SingleComponentEffect::getParamValueByString(ParamID tag, TChar* string,
                                                                ParamValue& valueNormalized)
{
    if (!string)
        return kInvalidArgument;
    // Text that is not UTF-16 at all (a lone surrogate) is refused for every parameter alike:
    // the SDK's own conversion of the preset's text throws on it in some builds and reads the
    // number before it in others.
    if (!IsWellFormedUtf16(string))
        return kResultFalse;
    // The SDK's plain parameters (the preset) answer the number as typed, which may lie
    // anywhere; a host must only ever see a normalised value. No exception may reach the host.
    try
    {
        const tresult result = EditControllerEx1::getParamValueByString(tag, string, valueNormalized);
        if (result == kResultOk)
            valueNormalized = ClampNormalized(valueNormalized);
        return result;
    }
    catch (const std::exception&)
    {
        return kResultFalse;
    }
}

ParamValue PLUGIN_API SingleComponentEffect::normalizedParamToPlain(ParamID tag, ParamValue valueNormalized)
{
    return EditControllerEx1::normalizedParamToPlain(tag, ClampNormalized(valueNormalized));
}

tresult PLUGIN_API SingleComponentEffect::getUnitInfo(int32 unitIndex, UnitInfo& info)
{
    if (unitIndex < 0 || unitIndex >= static_cast<int32>(units.size()))
        return kResultFalse;
    return EditControllerEx1::getUnitInfo(unitIndex, info);
}

// ---- Buses ------------------------------------------------------------------------------------------

AudioBus* SingleComponentEffect::addAudioInput(const TChar* name, SpeakerArrangement arr, BusType busType,
                                               int32 flags)
{
    auto* bus = new AudioBus(name, busType, flags, arr);
    audioInputs.push_back(IPtr<Bus>(bus, false));
    return bus;
}

AudioBus* SingleComponentEffect::addAudioOutput(const TChar* name, SpeakerArrangement arr, BusType busType,
                                                int32 flags)
{
    auto* bus = new AudioBus(name, busType, flags, arr);
    audioOutputs.push_back(IPtr<Bus>(bus, false));
    return bus;
}

EventBus* SingleComponentEffect::addEventInput(const TChar* name, int32 channels, BusType busType, int32 flags)
{
    auto* bus = new EventBus(name, busType, flags, channels);
    eventInputs.push_back(IPtr<Bus>(bus, false));
    return bus;
}

void SingleComponentEffect::removeAllBusses()
{
    audioInputs.clear();
    audioOutputs.clear();
    eventInputs.clear();
    eventOutputs.clear();
}

AudioBus* SingleComponentEffect::getAudioInput(int32 index)
{
    if (index < 0 || index >= static_cast<int32>(audioInputs.size()))
        return nullptr;
    return FCast<AudioBus>(audioInputs.at(static_cast<size_t>(index)).get());
}

AudioBus* SingleComponentEffect::getAudioOutput(int32 index)
{
    if (index < 0 || index >= static_cast<int32>(audioOutputs.size()))
        return nullptr;
    return FCast<AudioBus>(audioOutputs.at(static_cast<size_t>(index)).get());
}

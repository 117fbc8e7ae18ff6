#include "IEffectVST3.h"

#include "HostIdentification.h"
#include "IEffectVST3View.h"
#include "ITextCopy.h"
#include "IVST3Parameter.h"
#include "VST3Text.h"

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr size_t kTextUnits = 128;       // a String128
constexpr size_t kHostNameBytes = 128;   // the host's name is matched on its first 127 characters
constexpr int32 kMaxMainChannels = 6;    // the widest input bus offered
constexpr int32 kBypassFlagBytes = 4;    // the int32 after the parameters in the controller state
constexpr int32 kMaxFlaggedChannels = 64;  // bits of a bus's silence flags
// The bypass switch's value texts, "off" at 0 and "on" at 1.
constexpr const char* kBypassTexts[] = {"off", "on"};

// The speaker arrangement offered for a bus of `channels` channels.
SpeakerArrangement ArrangementFor(int32 channels)
{
    switch (channels)
    {
    case 1: return SpeakerArr::kMono;
    case 2: return SpeakerArr::kStereo;
    case 3: return 259;  // L R Cs
    case 4: return 51;   // L R Ls Rs
    case 5: return 55;   // L R C Ls Rs
    case 6: return 63;   // L R C Lfe Ls Rs
    default: return SpeakerArr::kEmpty;
    }
}

int32 ChannelCountOf(const AudioBus* bus)
{
    return bus ? SpeakerArr::getChannelCount(bus->getArrangement()) : 0;
}

// Streams may deliver or accept fewer bytes per call than asked; these keep calling until the
// whole amount has passed or the stream stops making progress. They answer the bytes moved.
int32 ReadFromStream(IBStream* stream, void* dest, int32 count)
{
    int32 total = 0;
    while (total < count)
    {
        int32 got = 0;
        if (stream->read(static_cast<char*>(dest) + total, count - total, &got) != kResultOk || got <= 0)
            break;
        total += std::min(got, count - total);
    }
    return total;
}

bool WriteToStream(IBStream* stream, const void* source, int32 count)
{
    int32 total = 0;
    while (total < count)
    {
        int32 put = 0;
        void* data = const_cast<char*>(static_cast<const char*>(source) + total);
        if (stream->write(data, count - total, &put) != kResultOk || put <= 0)
            return false;
        total += std::min(put, count - total);
    }
    return true;
}

float** BuffersOf(const AudioBusBuffers& bus, float*) { return bus.channelBuffers32; }
double** BuffersOf(const AudioBusBuffers& bus, double*) { return bus.channelBuffers64; }

template <class Sample>
bool AllZero(const Sample* samples, int32 frames)
{
    return std::all_of(samples, samples + frames, [](Sample s) { return s == Sample(0); });
}

} // namespace

IEffectVST3::IEffectVST3(HostCallback, const IEffectConfig& config) : IEffectBase(config)
{
    SetApiKind(kApiVST3);
    Inputs().SetAllConnected(true);
    Outputs().SetAllConnected(true);

    InputBusNames().push_back("Main Input");
    if (IsInstrument())
    {
        char name[32];
        for (int32_t pair = 0; pair < OutputCount() / 2; ++pair)
        {
            snprintf(name, sizeof name, "Output %i", static_cast<int>(pair + 1));
            OutputBusNames().push_back(name);
        }
    }
    else
    {
        OutputBusNames().push_back("Output");
    }
    CreateLatencyDelay();

    hostInputs32.assign(static_cast<size_t>(InputCount()), nullptr);
    hostInputs64.assign(static_cast<size_t>(InputCount()), nullptr);
    hostOutputs32.assign(static_cast<size_t>(OutputCount()), nullptr);
    hostOutputs64.assign(static_cast<size_t>(OutputCount()), nullptr);
    outputBus.assign(static_cast<size_t>(OutputCount()), -1);
    outputBusChannel.assign(static_cast<size_t>(OutputCount()), -1);
}

IEffectVST3::~IEffectVST3() = default;

// ---- Initialisation --------------------------------------------------------------------------------

tresult PLUGIN_API IEffectVST3::initialize(FUnknown* context)
{
    try
    {
        ILockGuard lock(Mutex());
        const tresult result = SingleComponentEffect::initialize(context);
        IdentifyHostApplication(context);
        if (result == kResultOk)
        {
            AddBuses();
            AddParameters();
        }
        OnHostKnown();
        // A repeated initialisation leaves the sound alone: hosts may initialise the second
        // face after they restored the state.
        if (result == kResultOk)
            SelectPreset(0);
        return result;
    }
    catch (const std::bad_alloc&)
    {
        return kOutOfMemory;
    }
}

void IEffectVST3::IdentifyHostApplication(FUnknown* context)
{
    FUnknownPtr<IHostApplication> application(context);
    if (!application)
        return;
    String128 wideName{};
    if (application->getName(wideName) != kResultOk)
        wideName[0] = 0;
    wideName[kTextUnits - 1] = 0;
    char name[kHostNameBytes];
    NarrowText(wideName, name, sizeof name);
    SetHostIdentity(IdentifyHost(name), 0);
}

void IEffectVST3::AddBuses()
{
    String128 name;
    const int32 mainInputs = InputCount();
    if (mainInputs >= 1 && mainInputs <= kMaxMainChannels)
    {
        WidenText(InputBusNames().front().c_str(), name, kTextUnits);
        addAudioInput(name, ArrangementFor(mainInputs));
    }
    if (IsInstrument())
    {
        for (size_t pair = 0; pair < OutputBusNames().size(); ++pair)
        {
            WidenText(OutputBusNames()[pair].c_str(), name, kTextUnits);
            addAudioOutput(name, SpeakerArr::kStereo);
        }
    }
    else
    {
        addAudioOutput(STR16("Output"), ArrangementFor(OutputCount()));
    }
    if (DoesMidi())
        addEventInput(STR16("MIDI Input"), 1);
}

void IEffectVST3::AddParameters()
{
    if (PresetCount() > 0)
    {
        EditController::parameters.addParameter(new Steinberg::Vst::Parameter(
            STR16("Preset"), kPresetParamId, nullptr, 0.0, PresetCount(), ParameterInfo::kIsProgramChange));
    }
    if (!IsInstrument())
    {
        auto* bypass = new StringListParameter(
            STR16("Bypass"), kBypassParamId, nullptr,
            ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsBypass);
        String128 text;
        for (const char* word : kBypassTexts)
        {
            WidenText(word, text, kTextUnits);
            bypass->appendString(text);
        }
        EditController::parameters.addParameter(bypass);
    }
    for (int32_t i = 0; i < ParameterCount(); ++i)
    {
        IParamEntry& entry = *Parameter(i);
        EditController::parameters.addParameter(
            new IVST3Parameter(entry, static_cast<ParamID>(i), GroupIndex(entry.Group())));
    }
}

// ---- IComponent -------------------------------------------------------------------------------------

tresult PLUGIN_API IEffectVST3::activateBus(MediaType type, BusDirection dir, int32 index, TBool state)
{
    ILockGuard lock(Mutex());
    return SingleComponentEffect::activateBus(type, dir, index, state);
}

tresult PLUGIN_API IEffectVST3::setActive(TBool state)
{
    OnActivationChanged(state != 0);
    return kResultOk;
}

// ---- IAudioProcessor ----------------------------------------------------------------------------------

tresult PLUGIN_API IEffectVST3::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                   SpeakerArrangement* outputs, int32 numOuts)
{
    if (numIns < 0 || numOuts < 0 || (numIns > 0 && !inputs) || (numOuts > 0 && !outputs))
        return kInvalidArgument;
    try
    {
        ILockGuard lock(Mutex());
        for (int32_t i = 0; i < InputCount(); ++i)
            Inputs().SetConnected(i, false);
        Outputs().SetAllConnected(false);

        const int32 inChannels = numIns > 0 ? SpeakerArr::getChannelCount(inputs[0]) : 0;
        const int32 outChannels = numOuts > 0 ? SpeakerArr::getChannelCount(outputs[0]) : 0;
        if (!LegalIO(inChannels, outChannels))
            return kResultFalse;

        // A replaced bus keeps the activation of the one it replaces: hosts need not activate
        // a bus again after a new arrangement.
        AudioBus* firstInput = getAudioInput(0);
        if (ChannelCountOf(firstInput) != inChannels)
        {
            const bool wasActive = firstInput && firstInput->isActive();
            removeAudioInputBusses();
            addAudioInput(STR16("Input"), ArrangementFor(inChannels))->setActive(wasActive);
        }
        AudioBus* firstOutput = getAudioOutput(0);
        if (ChannelCountOf(firstOutput) != outChannels)
        {
            const bool wasActive = firstOutput && firstOutput->isActive();
            removeAudioOutputBusses();
            addAudioOutput(STR16("Output"), ArrangementFor(outChannels))->setActive(wasActive);
        }
        return numIns == 1 ? kResultOk : kResultFalse;
    }
    catch (const std::bad_alloc&)
    {
        return kOutOfMemory;
    }
}

tresult PLUGIN_API IEffectVST3::canProcessSampleSize(int32 symbolicSampleSize)
{
    return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue : kResultFalse;
}

uint32 PLUGIN_API IEffectVST3::getLatencySamples()
{
    return static_cast<uint32>(Latency());
}

uint32 PLUGIN_API IEffectVST3::getTailSamples()
{
    // To a VST3 host a tail of 0 means "stop calling me when the input is silent", which
    // would cut a reverb's decay; without a known tail length the tail is endless.
    return TailSize() > 0 ? static_cast<uint32>(TailSize()) : kInfiniteTail;
}

tresult PLUGIN_API IEffectVST3::setupProcessing(ProcessSetup& setup)
{
    if (setup.symbolicSampleSize != kSample32 && setup.symbolicSampleSize != kSample64)
        return kResultFalse;
    if (!std::isfinite(setup.sampleRate) || setup.sampleRate <= 0.0 || setup.maxSamplesPerBlock < 0)
        return kInvalidArgument;
    ILockGuard lock(Mutex());
    SetSampleRate(setup.sampleRate);
    SetBypassed(false);
    const bool sized = SetMaxBlockFrames(setup.maxSamplesPerBlock);
    OnReset();
    processSetup = setup;
    return sized ? kResultOk : kOutOfMemory;
}

tresult PLUGIN_API IEffectVST3::process(ProcessData& data)
{
    ILockGuard lock(Mutex());
    if (data.processContext)
        lastContext = *data.processContext;
    ApplyParameterChanges(data.inputParameterChanges);
    if (DoesMidi())
        ApplyEvents(data.inputEvents);

    const int32 frames = data.numSamples;
    if (frames <= 0)
        return kResultOk;  // a parameter flush
    const bool single = data.symbolicSampleSize == kSample32;
    if (!single && data.symbolicSampleSize != kSample64)
        return kInvalidArgument;

    ConnectInputs(data);
    ConnectOutputs(data);
    const bool hasInputs = data.numInputs > 0 && data.inputs;
    const bool hasOutputs = data.numOutputs > 0 && data.outputs;
    if (single)
    {
        GatherHostBuffers(data, hostInputs32, hostOutputs32);
        // The connected inputs are the first channels of the first bus, so its flags are
        // already one bit per host buffer handed over.
        const uint64 silentInputs = hasInputs ? data.inputs[0].silenceFlags : 0;
        ProcessSingle(hasInputs ? hostInputs32.data() : nullptr, hasOutputs ? hostOutputs32.data() : nullptr, frames,
                      IsBypassed() ? kProcessBypassed : kProcessReplacing, silentInputs);
        FlagSilentOutputs<float>(data);
    }
    else
    {
        GatherHostBuffers(data, hostInputs64, hostOutputs64);
        ProcessDouble(hasInputs ? hostInputs64.data() : nullptr, hasOutputs ? hostOutputs64.data() : nullptr, frames,
                      IsBypassed());
        FlagSilentOutputs<double>(data);
    }
    return kResultOk;
}

void IEffectVST3::ApplyParameterChanges(IParameterChanges* changes)
{
    if (!changes)
        return;
    const int32 queues = changes->getParameterCount();
    for (int32 q = 0; q < queues; ++q)
    {
        IParamValueQueue* queue = changes->getParameterData(q);
        if (!queue)
            continue;
        // Changes apply to the whole block: only the last point counts.
        const int32 points = queue->getPointCount();
        int32 offset = 0;
        ParamValue value = 0.0;
        if (points <= 0 || queue->getPoint(points - 1, offset, value) != kResultOk || !std::isfinite(value))
            continue;
        ApplyHostValue(queue->getParameterId(), value);
    }
}

void IEffectVST3::ApplyHostValue(ParamID id, double value)
{
    if (id == kBypassParamId)
    {
        ApplyBypassValue(value);
    }
    else if (id == kPresetParamId)
    {
        SelectPreset(PresetIndexFor(value));
    }
    else if (id < static_cast<ParamID>(ParameterCount()))
    {
        ApplyHostParameter(static_cast<int32_t>(id), value);
    }
}

bool IEffectVST3::ApplyBypassValue(double value)
{
    if (IsInstrument())
        return false;
    SetBypassed(value > 0.5);
    return true;
}

int32_t IEffectVST3::PresetIndexFor(double value) const
{
    return TruncToInt32(value * PresetCount());
}

void IEffectVST3::ApplyEvents(IEventList* events)
{
    if (!events)
        return;
    const int32 count = events->getEventCount();
    for (int32 i = 0; i < count; ++i)
    {
        Event event{};
        if (events->getEvent(i, event) != kResultOk)
            continue;
        IMidiMessage message;
        message.sampleOffset = event.sampleOffset;
        if (event.type == Event::kNoteOnEvent)
        {
            message.status = static_cast<uint8_t>(0x90 | (event.noteOn.channel & 0x0F));
            message.data1 = static_cast<uint8_t>(event.noteOn.pitch & 0x7F);
            const float velocity = std::min(std::max(event.noteOn.velocity, 0.0f), 1.0f);
            message.data2 = static_cast<uint8_t>(velocity * 127.0f);
        }
        else if (event.type == Event::kNoteOffEvent)
        {
            message.status = static_cast<uint8_t>(0x80 | (event.noteOff.channel & 0x0F));
            message.data1 = static_cast<uint8_t>(event.noteOff.pitch & 0x7F);
            message.data2 = 0;
        }
        else
        {
            continue;
        }
        ProcessMidiMessage(message);
    }
}

void IEffectVST3::ConnectInputs(const ProcessData& data)
{
    if (data.numInputs <= 0 || !data.inputs)
        return;
    const int32 fed = std::min(std::max(data.inputs[0].numChannels, 0), InputCount());
    for (int32_t i = 0; i < InputCount(); ++i)
        Inputs().SetConnected(i, i < fed);
}

void IEffectVST3::ConnectOutputs(const ProcessData& data)
{
    if (data.numOutputs <= 0 || !data.outputs)
        return;
    int32_t channel = 0;
    const int32 busCount = static_cast<int32>(audioOutputs.size());
    for (int32 b = 0; b < busCount && channel < OutputCount(); ++b)
    {
        AudioBus* bus = getAudioOutput(b);
        const int32 width = ChannelCountOf(bus);
        for (int32 c = 0; c < width && channel < OutputCount(); ++c, ++channel)
        {
            Outputs().SetConnected(channel, bus->isActive());
            outputBus[static_cast<size_t>(channel)] = b;
            outputBusChannel[static_cast<size_t>(channel)] = c;
        }
    }
    for (; channel < OutputCount(); ++channel)
    {
        Outputs().SetConnected(channel, false);
        outputBus[static_cast<size_t>(channel)] = -1;
    }
}

template <class Sample>
void IEffectVST3::GatherHostBuffers(const ProcessData& data, std::vector<const Sample*>& inputTable,
                                    std::vector<Sample*>& outputTable)
{
    size_t next = 0;
    if (data.numInputs > 0 && data.inputs)
    {
        const AudioBusBuffers& bus = data.inputs[0];
        Sample** buffers = BuffersOf(bus, static_cast<Sample*>(nullptr));
        for (int32_t i = 0; i < InputCount(); ++i)
            if (Inputs().At(i).connected)
                inputTable[next++] = buffers && i < bus.numChannels ? buffers[i] : nullptr;
    }
    next = 0;
    if (data.numOutputs > 0 && data.outputs)
    {
        for (int32_t i = 0; i < OutputCount(); ++i)
            if (Outputs().At(i).connected)
                outputTable[next++] = HostOutputBuffer<Sample>(data, i);
    }
}

// The host's buffer for the plug-in's output channel, or null where the host gave none.
template <class Sample>
Sample* IEffectVST3::HostOutputBuffer(const ProcessData& data, int32_t channel) const
{
    const int32 b = outputBus[static_cast<size_t>(channel)];
    const int32 c = outputBusChannel[static_cast<size_t>(channel)];
    if (!data.outputs || b < 0 || b >= data.numOutputs)
        return nullptr;
    const AudioBusBuffers& bus = data.outputs[b];
    Sample** buffers = BuffersOf(bus, static_cast<Sample*>(nullptr));
    return buffers && c < bus.numChannels ? buffers[c] : nullptr;
}

// Tells the host which channels of the plug-in's own output buses hold nothing but zeros, so
// that it can skip work downstream. Buses the host counts beyond those are not the plug-in's
// and are not touched.
template <class Sample>
void IEffectVST3::FlagSilentOutputs(ProcessData& data)
{
    if (!data.outputs)
        return;
    const int32 buses = std::min(data.numOutputs, static_cast<int32>(audioOutputs.size()));
    for (int32 b = 0; b < buses; ++b)
        data.outputs[b].silenceFlags = 0;
    for (int32_t i = 0; i < OutputCount(); ++i)
    {
        const int32 b = outputBus[static_cast<size_t>(i)];
        const int32 c = outputBusChannel[static_cast<size_t>(i)];
        if (!Outputs().At(i).connected || b < 0 || b >= buses || c >= kMaxFlaggedChannels)
            continue;
        const Sample* samples = HostOutputBuffer<Sample>(data, i);
        if (samples && AllZero(samples, data.numSamples))
            data.outputs[b].silenceFlags |= uint64(1) << c;
    }
}

// ---- State ------------------------------------------------------------------------------------------

bool IEffectVST3::ReadStateBytes(IBStream* stream, IStateChunk& chunk)
{
    // The current state's length is the most a state of this plug-in holds.
    IStateChunk current;
    WriteState(current);
    const int32 length = current.Size();
    if (length <= 0 || !chunk.Resize(length))
        return false;
    chunk.Resize(ReadFromStream(stream, chunk.Data(), length));
    return chunk.Size() > 0;
}

void IEffectVST3::RestoreState(const IStateChunk& chunk)
{
    // A state shorter than the current one (saved with fewer parameters) sets the values it
    // holds whole; the others keep theirs.
    ReadState(chunk, 0);
    PushAllParametersToEditor();
}

tresult IEffectVST3::ReadComponentState(IBStream* stream)
{
    if (!stream)
        return kInvalidArgument;
    ILockGuard lock(Mutex());
    IStateChunk chunk;
    if (!ReadStateBytes(stream, chunk))
        return kResultFalse;
    RestoreState(chunk);
    return kResultOk;
}

tresult IEffectVST3::WriteComponentState(IBStream* stream)
{
    if (!stream)
        return kInvalidArgument;
    ILockGuard lock(Mutex());
    IStateChunk chunk;
    if (!WriteState(chunk))
        return kResultFalse;
    return WriteToStream(stream, chunk.Data(), chunk.Size()) ? kResultOk : kResultFalse;
}

tresult IEffectVST3::ReadControllerState(IBStream* stream)
{
    if (!stream)
        return kInvalidArgument;
    ILockGuard lock(Mutex());
    IStateChunk chunk;
    if (!ReadStateBytes(stream, chunk))
        return kResultFalse;
    IStateChunk flag;
    const bool flagRead =
        flag.Resize(kBypassFlagBytes) && ReadFromStream(stream, flag.Data(), kBypassFlagBytes) == kBypassFlagBytes;
    // Without the flag, what came before it is still restored as a component state would be;
    // the answer tells the host that its controller state was cut short.
    RestoreState(chunk);
    if (!flagRead)
        return kResultFalse;
    int32_t bypass = 0;
    flag.GetInt32(&bypass, 0);
    SetBypassed(bypass != 0);
    return kResultOk;
}

tresult IEffectVST3::WriteControllerState(IBStream* stream)
{
    if (!stream)
        return kInvalidArgument;
    ILockGuard lock(Mutex());
    IStateChunk chunk;
    if (!WriteState(chunk) || !chunk.PutInt32(IsBypassed() ? 1 : 0))
        return kResultFalse;
    return WriteToStream(stream, chunk.Data(), chunk.Size()) ? kResultOk : kResultFalse;
}

// ---- IEditController ------------------------------------------------------------------------------------

tresult PLUGIN_API IEffectVST3::getParamStringByValue(ParamID id, ParamValue normalized, String128 string)
{
    if (!string)
        return kInvalidArgument;
    char text[kTextUnits];
    if (!FormatHostValue(id, normalized, text, sizeof text))
        return kResultFalse;
    WidenText(text, string, kTextUnits);
    return kResultOk;
}

// The texts follow the rules the values obey in processing: the bypass is on above one half,
// and a preset value names the slot it would select.
bool IEffectVST3::FormatHostValue(ParamID id, double normalized, char* text, size_t capacity)
{
    if (id == kBypassParamId && !IsInstrument())
    {
        CopyText(text, capacity, kBypassTexts[normalized > 0.5 ? 1 : 0]);
        return true;
    }
    if (id == kPresetParamId)
    {
        ILockGuard lock(Mutex());
        const IPresetSlot* slot = Preset(PresetIndexFor(normalized));
        if (!slot)
            return false;
        CopyText(text, capacity, slot->name);
        return true;
    }
    if (id >= static_cast<ParamID>(ParameterCount()))
        return false;
    Parameter(static_cast<int32_t>(id))->FormatValueText(normalized, true, text, capacity, true);
    return true;
}

ParamValue PLUGIN_API IEffectVST3::plainParamToNormalized(ParamID id, ParamValue plain)
{
    if (id >= static_cast<ParamID>(ParameterCount()))
        return plain;
    return Parameter(static_cast<int32_t>(id))->ToNormalized(plain);
}

ParamValue PLUGIN_API IEffectVST3::getParamNormalized(ParamID id)
{
    ILockGuard lock(Mutex());
    if (id == kBypassParamId)
        return IsBypassed() ? 1.0 : 0.0;
    if (id >= static_cast<ParamID>(ParameterCount()))
        return 0.0;
    const IParamEntry* param = Parameter(static_cast<int32_t>(id));
    return param->ToNormalized(param->Value());
}

tresult PLUGIN_API IEffectVST3::setParamNormalized(ParamID id, ParamValue value)
{
    ILockGuard lock(Mutex());
    if (id == kBypassParamId)
        return ApplyBypassValue(value) ? kResultOk : kResultFalse;
    if (id >= static_cast<ParamID>(ParameterCount()))
        return kResultFalse;
    Parameter(static_cast<int32_t>(id))->SetFromNormalized(value);
    // The host changed the value itself (an undo, a generic editor): the editor follows,
    // while processing hears of it through the audio stream.
    if (Editor())
        Editor()->PushParameterToControls(static_cast<int32_t>(id), value, true);
    return kResultOk;
}

IPlugView* PLUGIN_API IEffectVST3::createView(FIDString name)
{
    if (!name || strcmp(name, ViewType::kEditor) != 0)
        return nullptr;
    try
    {
        return new IEffectVST3View(*this);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

// ---- IUnitInfo ------------------------------------------------------------------------------------------

int32 PLUGIN_API IEffectVST3::getUnitCount()
{
    return static_cast<int32>(ParameterGroups().size()) + 1;
}

tresult PLUGIN_API IEffectVST3::getUnitInfo(int32 unitIndex, UnitInfo& info)
{
    if (unitIndex < 0 || unitIndex >= getUnitCount())
        return kResultFalse;
    info.id = unitIndex;
    info.parentUnitId = unitIndex == 0 ? kNoParentUnitId : kRootUnitId;
    info.programListId = kNoProgramListId;
    WidenText(unitIndex == 0 ? "Root Unit" : ParameterGroups()[static_cast<size_t>(unitIndex - 1)], info.name,
              kTextUnits);
    return kResultOk;
}

tresult PLUGIN_API IEffectVST3::getProgramListInfo(int32 listIndex, ProgramListInfo& info)
{
    if (listIndex != 0)
        return kResultFalse;
    info.id = static_cast<ProgramListID>(kPresetParamId);
    info.programCount = PresetCount();
    WidenText("Factory Presets", info.name, kTextUnits);
    return kResultOk;
}

tresult PLUGIN_API IEffectVST3::getProgramName(ProgramListID listId, int32 programIndex, String128 name)
{
    if (!name)
        return kInvalidArgument;
    if (listId != static_cast<ProgramListID>(kPresetParamId))
        return kResultFalse;
    const IPresetSlot* slot = Preset(programIndex);
    WidenText(slot ? slot->name : "", name, kTextUnits);
    return kResultOk;
}

// ---- The core's link to the host -----------------------------------------------------------------------

void IEffectVST3::BeginParameterGesture(int32_t paramIndex)
{
    if (paramIndex >= 0)
        beginEdit(static_cast<ParamID>(paramIndex));
}

void IEffectVST3::ReportEditToHost(int32_t paramIndex, double normalized)
{
    if (paramIndex >= 0)
        performEdit(static_cast<ParamID>(paramIndex), normalized);
}

void IEffectVST3::EndParameterGesture(int32_t paramIndex)
{
    if (paramIndex >= 0)
        endEdit(static_cast<ParamID>(paramIndex));
}

bool IEffectVST3::IsOfflineRender()
{
    return processSetup.processMode == kOffline;
}

int32_t IEffectVST3::GetSamplePosition()
{
    return static_cast<int32_t>(static_cast<uint32_t>(lastContext.projectTimeSamples & 0xFFFFFFFF));
}

double IEffectVST3::GetHostTempo()
{
    return lastContext.tempo;
}

void IEffectVST3::GetTimeSignature(int32_t* numerator, int32_t* denominator)
{
    if (numerator)
        *numerator = lastContext.timeSigNumerator;
    if (denominator)
        *denominator = lastContext.timeSigDenominator;
}

void IEffectVST3::GetTransportInfo(ITransportInfo* info)
{
    if (!info)
        return;
    info->tempo = lastContext.tempo;
    info->samplePosition = static_cast<double>(lastContext.projectTimeSamples);
    info->musicalPosition = lastContext.projectTimeMusic;
    info->lastBarStart = lastContext.barPositionMusic;
    info->cycleStart = lastContext.cycleStartMusic;
    info->cycleEnd = lastContext.cycleEndMusic;
    info->timeSigNumerator = lastContext.timeSigNumerator;
    info->timeSigDenominator = lastContext.timeSigDenominator;
    info->transportPlaying = (lastContext.state & ProcessContext::kPlaying) != 0;
    info->cycleActive = (lastContext.state & ProcessContext::kCycleActive) != 0;
}

void IEffectVST3::EditorResized(int32_t width, int32_t height)
{
    if (Editor() && !views.empty())
        views.front()->RequestResize(width, height);
}

void IEffectVST3::ShowHostParameterMenu(int32_t paramIndex, int32_t x, int32_t y)
{
    if (!componentHandler || views.empty() || paramIndex < 0)
        return;
    FUnknownPtr<IComponentHandler3> handler(componentHandler);
    if (!handler)
        return;
    const ParamID id = static_cast<ParamID>(paramIndex);
    if (IContextMenu* menu = handler->createContextMenu(views.front(), &id))
    {
        menu->popup(x, y);
        menu->release();
    }
}

void IEffectVST3::SetLatencySamples(int32_t samples)
{
    IEffectBase::SetLatencySamples(samples);
    if (componentHandler)
        componentHandler->restartComponent(kLatencyChanged);
}

// ---- Views --------------------------------------------------------------------------------------------

void IEffectVST3::RegisterView(IEffectVST3View* view)
{
    views.push_back(view);
}

void IEffectVST3::ForgetView(IEffectVST3View* view)
{
    views.erase(std::remove(views.begin(), views.end(), view), views.end());
}

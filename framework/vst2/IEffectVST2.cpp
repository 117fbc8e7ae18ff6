#include "IEffectVST2.h"

#include "HostIdentification.h"
#include "ITextCopy.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

// Product strings are asked for with room to spare: some hosts write more than the 64 bytes
// the interface promises.
constexpr size_t kHostProductBytes = 256;
// Longest text read from the host for effString2Parameter.
constexpr size_t kTextEntryBytes = 64;

// Host integers arrive pointer-sized; anything outside int32 saturates, so that an absurd
// index or count stays invalid instead of wrapping onto a valid one.
int32_t ToInt32(VstIntPtr v)
{
    return static_cast<int32_t>(std::clamp<VstIntPtr>(v, std::numeric_limits<int32_t>::min(),
                                                      std::numeric_limits<int32_t>::max()));
}

VstInt16 ToInt16(int32_t v)
{
    return static_cast<VstInt16>(std::clamp<int32_t>(v, std::numeric_limits<VstInt16>::min(),
                                                     std::numeric_limits<VstInt16>::max()));
}

// A normalised value from the host, kept within 0..1 (a NaN reads as 0).
double ToUnitRange(float value)
{
    return value >= 0.0f ? std::min(static_cast<double>(value), 1.0) : 0.0;
}

VstInt32 ArrangementTypeFor(int32_t channels)
{
    switch (channels)
    {
    case 0: return kSpeakerArrEmpty;
    case 1: return kSpeakerArrMono;
    case 2: return kSpeakerArrStereo;
    default: return kSpeakerArrUserDefined;
    }
}

VstIntPtr CopyToHost(void* ptr, size_t capacity, const char* text)
{
    if (!ptr)
        return 0;
    CopyText(static_cast<char*>(ptr), capacity, text);
    return 1;
}

} // namespace

IEffectVST2::IEffectVST2(HostCallback host, const IEffectConfig& config)
    : IEffectBase(config), hostCallback(host)
{
    SetApiKind(kApiVST2);
    SetEditorRect(config.editorWidth, config.editorHeight);
    ResetArrangementsToChannelCounts();

    aeffect.magic = kEffectMagic;
    aeffect.dispatcher = VSTDispatcher;
    aeffect.process = VSTProcessAccumulating;
    aeffect.setParameter = VSTSetParameter;
    aeffect.getParameter = VSTGetParameter;
    aeffect.processReplacing = VSTProcessReplacing;
    aeffect.processDoubleReplacing = VSTProcessDoubleReplacing;
    aeffect.numPrograms = PresetCount();
    aeffect.numParams = ParameterCount();
    aeffect.numInputs = InputCount();
    aeffect.numOutputs = OutputCount();
    aeffect.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
    if (DoesStateChunks())
        aeffect.flags |= effFlagsProgramChunks;
    if (LegalIO(1, -1))
        aeffect.flags |= effFlagsCanMono;
    aeffect.initialDelay = Latency();
    aeffect.ioRatio = 1.0f;
    aeffect.object = this;
    aeffect.uniqueID = UniqueId();
    aeffect.version = VendorVersion();

    Inputs().SetAllConnected(true);
    Outputs().SetAllConnected(true);
    // A block size exists before the host sets one.
    SetMaxBlockFrames(1024);
}

IEffectVST2::~IEffectVST2()
{
    aeffect.object = nullptr;
}

IEffectVST2* IEffectVST2::FromAEffect(AEffect* effect)
{
    if (!effect || effect->magic != kEffectMagic)
        return nullptr;
    return static_cast<IEffectVST2*>(effect->object);
}

// ---- AEffect callbacks ------------------------------------------------------------------------

VstIntPtr IEffectVST2::VSTDispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                     void* ptr, float opt)
{
    IEffectVST2* instance = FromAEffect(effect);
    if (!instance)
        return 0;
    try
    {
        if (opcode == effClose)
        {
            // Waits for a call in progress on another thread, then lets go before destroying.
            // A host may close the instance with its editor still open: no window may outlive
            // the controls it shows.
            {
                ILockGuard lock(instance->Mutex());
                if (instance->editorOpen)
                    instance->CloseEditor();
            }
            delete instance;
            return 0;
        }
        ILockGuard lock(instance->Mutex());
        return instance->Dispatch(opcode, index, value, ptr, opt);
    }
    catch (...)
    {
        return 0;
    }
}

// No exception leaves a callback: the host cannot handle one.
void IEffectVST2::VSTProcessAccumulating(AEffect* effect, float** inputs, float** outputs, VstInt32 frames)
{
    if (IEffectVST2* instance = FromAEffect(effect))
        instance->ProcessBlock(inputs, outputs, frames, kProcessAccumulating);
}

void IEffectVST2::VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames)
{
    if (IEffectVST2* instance = FromAEffect(effect))
        instance->ProcessBlock(inputs, outputs, frames, kProcessReplacing);
}

void IEffectVST2::VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                            VstInt32 frames)
{
    if (IEffectVST2* instance = FromAEffect(effect))
        instance->ProcessBlockDouble(inputs, outputs, frames);
}

void IEffectVST2::VSTSetParameter(AEffect* effect, VstInt32 index, float value)
{
    IEffectVST2* instance = FromAEffect(effect);
    if (!instance)
        return;
    try
    {
        instance->ApplyHostParameter(index, value);
    }
    catch (...)
    {
    }
}

float IEffectVST2::VSTGetParameter(AEffect* effect, VstInt32 index)
{
    IEffectVST2* instance = FromAEffect(effect);
    return instance ? instance->GetParameterForHost(index) : 0.0f;
}

void IEffectVST2::ProcessBlock(float** inputs, float** outputs, VstInt32 frames, IBlockMode mode)
{
    try
    {
        ILockGuard lock(Mutex());
        if (DoesMidi())
            CallHost(audioMasterWantMidi, 0, 1);
        ProcessSingle(inputs, outputs, frames, mode);
    }
    catch (...)
    {
    }
}

void IEffectVST2::ProcessBlockDouble(double** inputs, double** outputs, VstInt32 frames)
{
    try
    {
        ILockGuard lock(Mutex());
        if (DoesMidi())
            CallHost(audioMasterWantMidi, 0, 1);
        ProcessDouble(inputs, outputs, frames, false);
    }
    catch (...)
    {
    }
}

float IEffectVST2::GetParameterForHost(VstInt32 index)
{
    ILockGuard lock(Mutex());
    const IParamEntry* param = Parameter(index);
    return param ? static_cast<float>(param->ToNormalized(param->Value())) : 0.0f;
}

// ---- Dispatcher ---------------------------------------------------------------------------------

VstIntPtr IEffectVST2::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    IParamEntry* param = Parameter(index);
    char* text = static_cast<char*>(ptr);
    switch (opcode)
    {
    case effOpen:
        OpenForHost();
        return 0;
    case effSetProgram:
        if (!DoesStateChunks())
            ModifyCurrentPreset(nullptr);
        SelectPreset(ToInt32(value));
        return 0;
    case effGetProgram:
        return CurrentPresetIndex();
    case effSetProgramName:
        if (text)
        {
            char name[kVstMaxProgNameLen];
            CopyText(name, text);
            ModifyCurrentPreset(name);
            OnPresetRestored();
        }
        return 0;
    case effGetProgramName:
    {
        const IPresetSlot* slot = Preset(CurrentPresetIndex());
        CopyToHost(text, kVstMaxProgNameLen, slot ? slot->name : "");
        return 0;
    }
    case effGetParamLabel:
        if (param)
            CopyToHost(text, kVstMaxParamStrLen, param->LabelForHost());
        return 0;
    case effGetParamDisplay:
        if (param && text)
            param->FormatValueText(param->Value(), false, text, kVstMaxParamStrLen, true);
        return 0;
    case effGetParamName:
        if (param)
            CopyToHost(text, kParamNameBytes, param->Name());
        return 0;
    case effSetSampleRate:
        SetSampleRateFromHost(opt);
        return 0;
    case effSetBlockSize:
        SetBlockSizeFromHost(value);
        return 0;
    case effMainsChanged:
        SetActive(value != 0);
        return 0;
    case effEditGetRect:
        return GetEditorRect(ptr);
    case effEditOpen:
        return OpenEditor(ptr);
    case effEditClose:
        return CloseEditor();
    case effIdentify:
        return kVstIdentifyAnswer;
    case effGetChunk:
        return GetChunk(index != 0, ptr);
    case effSetChunk:
        return SetChunk(index != 0, value, ptr);
    case effProcessEvents:
        return ProcessEvents(static_cast<const VstEvents*>(ptr));
    case effCanBeAutomated:
        return 1;
    case effString2Parameter:
        return StringToParameter(index, text);
    case effGetProgramNameIndexed:
    {
        const IPresetSlot* slot = Preset(index);
        if (!text)
            return 0;
        CopyToHost(text, kVstMaxProgNameLen, slot ? slot->name : "");
        return text[0] ? 1 : 0;
    }
    case effGetInputProperties:
        return GetPinProperties(true, index, static_cast<VstPinProperties*>(ptr));
    case effGetOutputProperties:
        return GetPinProperties(false, index, static_cast<VstPinProperties*>(ptr));
    case effGetPlugCategory:
        return IsInstrument() ? kPlugCategSynth : kPlugCategEffect;
    case effSetSpeakerArrangement:
        return SetSpeakerArrangement(reinterpret_cast<const VstSpeakerArrangement*>(value),
                                     static_cast<const VstSpeakerArrangement*>(ptr));
    case effGetEffectName:
        return CopyToHost(text, kVstMaxEffectNameLen, EffectName());
    case effGetVendorString:
        return CopyToHost(text, kVstMaxVendorStrLen, MakerName());
    case effGetProductString:
        return CopyToHost(text, kVstMaxProductStrLen, ProductName());
    case effGetVendorVersion:
        return VendorVersion();
    case effVendorSpecific:
        return VendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return CanDo(text);
    case effGetTailSize:
        return TailSize();
    case effGetVstVersion:
        return kVstVersion;
    case effGetMidiKeyName:
        return GetMidiKeyName(static_cast<MidiKeyName*>(ptr));
    case effGetSpeakerArrangement:
        if (value)
            *reinterpret_cast<VstSpeakerArrangement**>(value) = &inputArrangement;
        if (ptr)
            *static_cast<VstSpeakerArrangement**>(ptr) = &outputArrangement;
        return 1;
    default:
        // effSetBypass among them: this adapter has no bypass state.
        return 0;
    }
}

void IEffectVST2::OpenForHost()
{
    InitForHost();
    for (int32_t i = 0; i < ParameterCount(); ++i)
        OnParameterChanged(i);
}

void IEffectVST2::SetSampleRateFromHost(float rate)
{
    // A rate that is not a positive number would reach the processing as a division by zero.
    if (std::isfinite(rate) && rate > 0.0f)
        SetSampleRate(rate);
    OnReset();
}

void IEffectVST2::SetBlockSizeFromHost(VstIntPtr frames)
{
    SetMaxBlockFrames(ToInt32(frames));
    OnReset();
}

void IEffectVST2::SetActive(bool active)
{
    OnActivationChanged(active);
    if (!active)
        OnReset();
}

VstIntPtr IEffectVST2::GetEditorRect(void* ptr)
{
    if (!ptr || !Editor())
        return 0;
    *static_cast<ERect**>(ptr) = &editorRect;
    return 1;
}

VstIntPtr IEffectVST2::OpenEditor(void* parent)
{
    if (!Editor() || !parent || !Editor()->OpenEditorWindow(parent))
        return 0;
    editorOpen = true;
    OnEditorOpened();
    return 1;
}

VstIntPtr IEffectVST2::CloseEditor()
{
    if (!Editor())
        return 0;
    editorOpen = false;
    OnEditorClosed();
    Editor()->CloseEditorWindow();
    return 1;
}

// The program chunk is the header and the plug-in state; the bank chunk the header and every
// preset slot, the current one first brought up to date.
VstIntPtr IEffectVST2::GetChunk(bool isProgram, void* ptr)
{
    if (!ptr)
        return 0;
    IStateChunk& chunk = isProgram ? programChunk : bankChunk;
    InitChunkHeader(chunk);
    bool ok;
    if (isProgram)
    {
        ok = WriteState(chunk);
    }
    else
    {
        ModifyCurrentPreset(nullptr);
        ok = SerializePresets(chunk);
    }
    if (!ok || chunk.Size() <= 0)
        return 0;
    *static_cast<void**>(ptr) = chunk.Data();
    return chunk.Size();
}

VstIntPtr IEffectVST2::SetChunk(bool isProgram, VstIntPtr size, const void* data)
{
    if (!data || size <= 0 || size > kMaxChunkBytes)
        return 0;
    // Read into a fresh buffer first: the host may hand back the very bytes our buffer holds.
    IStateChunk incoming;
    if (!incoming.PutBytes(data, static_cast<int32_t>(size)))
        return 0;
    IStateChunk& chunk = isProgram ? programChunk : bankChunk;
    chunk = std::move(incoming);

    int32_t version = 0;
    int32_t pos = ReadChunkHeader(chunk, &version);
    if (!isProgram && version >= kChunkVersion)
    {
        pos = UnserializePresets(chunk, pos);
    }
    else
    {
        // A program that could not be read whole is not stored: the preset keeps what it held.
        pos = ReadState(chunk, pos);
        if (pos >= 0)
            ModifyCurrentPreset(nullptr);
    }
    if (pos < 0)
        return 0;
    PushAllParametersToEditor();
    return 1;
}

VstIntPtr IEffectVST2::ProcessEvents(const VstEvents* events)
{
    if (!events)
        return 0;
    for (VstInt32 i = 0; i < events->numEvents; ++i)
    {
        const VstEvent* event = events->events[i];
        if (!event)
            continue;
        if (event->type == kVstMidiType)
        {
            const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
            IMidiMessage message;
            message.sampleOffset = midi->deltaFrames;
            message.status = static_cast<uint8_t>(midi->midiData[0]);
            message.data1 = static_cast<uint8_t>(midi->midiData[1]);
            message.data2 = static_cast<uint8_t>(midi->midiData[2]);
            ProcessMidiMessage(message);
        }
        else if (event->type == kVstSysExType)
        {
            const auto* sysex = reinterpret_cast<const VstMidiSysexEvent*>(event);
            if (sysex->dumpBytes < 0 || (sysex->dumpBytes > 0 && !sysex->sysexDump))
                continue;
            ISysExMessage message;
            message.sampleOffset = sysex->deltaFrames;
            message.size = sysex->dumpBytes;
            message.data = reinterpret_cast<const uint8_t*>(sysex->sysexDump);
            ProcessSysExMessage(message);
        }
    }
    return 1;
}

// A value typed into the host: the text of a display record, or a number as displayed, which
// is clamped into the range however large it is. Text that names no record or holds no number
// changes nothing.
VstIntPtr IEffectVST2::StringToParameter(VstInt32 index, const char* text)
{
    IParamEntry* param = Parameter(index);
    if (!param)
        return 0;
    if (!text)
        return 1;
    char entry[kTextEntryBytes];
    CopyText(entry, text);

    double value = 0.0;
    if (!param->ReadValueText(entry, &value))
        return 0;
    value = param->Clamp(value);
    if (Editor())
        Editor()->PushParameterToControls(index, value, false);
    param->SetValueClamped(value);
    OnParameterChanged(index);
    return 1;
}

VstIntPtr IEffectVST2::GetPinProperties(bool isInput, VstInt32 index, VstPinProperties* properties)
{
    const int32_t count = isInput ? InputCount() : OutputCount();
    if (!properties || index < 0 || index >= count)
        return 0;
    properties->flags = kVstPinIsActive;
    // Channels pair up from the first: 0 and 1, 2 and 3, ...
    if (index % 2 == 0 && index < count - 1)
        properties->flags |= kVstPinIsStereo;
    const std::string& label = isInput ? Inputs().At(index).label : Outputs().At(index).label;
    if (!label.empty())
        CopyText(properties->label, label.c_str());
    else
        snprintf(properties->label, sizeof properties->label, isInput ? "Input %d" : "Output %d", index + 1);
    snprintf(properties->shortLabel, sizeof properties->shortLabel, isInput ? "In %d" : "Out %d", index + 1);
    return 1;
}

// The host's arrangements decide which channels it feeds: channels beyond its count read
// silence (inputs) or go nowhere (outputs).
VstIntPtr IEffectVST2::SetSpeakerArrangement(const VstSpeakerArrangement* in, const VstSpeakerArrangement* out)
{
    if (in)
        for (int32_t i = 0; i < InputCount(); ++i)
            Inputs().SetConnected(i, i < in->numChannels);
    if (out)
        for (int32_t i = 0; i < OutputCount(); ++i)
            Outputs().SetConnected(i, i < out->numChannels);
    return 1;
}

// Host-vendor queries: the display of a value the host has not set yet, and whether a
// parameter is stepped.
VstIntPtr IEffectVST2::VendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    const IParamEntry* param = Parameter(ToInt32(value));
    if (index == effGetParamDisplay)
    {
        if (!ptr)
            return 0;
        if (param)
            param->FormatValueText(ToUnitRange(opt), true, static_cast<char*>(ptr), kVstMaxParamStrLen, true);
        return kVstVendorSpecificAnswer;
    }
    if (index == effGetParamName)
        return param && param->Kind() != kParamDouble ? kVstVendorSpecificAnswer : 0;
    return 0;
}

VstIntPtr IEffectVST2::CanDo(const char* text) const
{
    if (!text)
        return 0;
    if (strcmp(text, "receiveVstTimeInfo") == 0)
        return 1;
    if (DoesMidi())
        for (const char* midi : {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent"})
            if (strcmp(text, midi) == 0)
                return 1;
    return 0;
}

VstIntPtr IEffectVST2::GetMidiKeyName(MidiKeyName* key)
{
    if (!key)
        return 0;
    key->keyName[0] = '\0';
    return GetMidiNoteName(key->thisKeyNumber, key->keyName, sizeof key->keyName) ? 1 : 0;
}

// ---- Host link ------------------------------------------------------------------------------------

VstIntPtr IEffectVST2::CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return hostCallback ? hostCallback(&aeffect, opcode, index, value, ptr, opt) : 0;
}

void IEffectVST2::BeginParameterGesture(int32_t paramIndex)
{
    CallHost(audioMasterBeginEdit, paramIndex);
}

void IEffectVST2::ReportEditToHost(int32_t paramIndex, double normalized)
{
    CallHost(audioMasterAutomate, paramIndex, 0, nullptr, static_cast<float>(normalized));
}

void IEffectVST2::EndParameterGesture(int32_t paramIndex)
{
    CallHost(audioMasterEndEdit, paramIndex);
}

void IEffectVST2::ReportPresetChangeToHost()
{
    CallHost(audioMasterUpdateDisplay);
}

bool IEffectVST2::IsOfflineRender()
{
    return CallHost(audioMasterGetCurrentProcessLevel) == kVstProcessLevelOffline;
}

const VstTimeInfo* IEffectVST2::GetTimeInfo(VstInt32 filter)
{
    return reinterpret_cast<const VstTimeInfo*>(CallHost(audioMasterGetTime, 0, filter));
}

int32_t IEffectVST2::GetSamplePosition()
{
    const VstTimeInfo* time = GetTimeInfo(0);
    if (!time || !(time->samplePos >= 0.0))
        return 0;
    return TruncToInt32(time->samplePos + 0.5);
}

double IEffectVST2::GetHostTempo()
{
    const VstTimeInfo* time = GetTimeInfo(kVstTempoValid);
    if (time && (time->flags & kVstTempoValid) && time->tempo >= 0.0)
        return time->tempo;
    return 0.0;
}

void IEffectVST2::GetTimeSignature(int32_t* numerator, int32_t* denominator)
{
    int32_t num = 0;
    int32_t den = 0;
    const VstTimeInfo* time = GetTimeInfo(kVstTimeSigValid);
    if (time && (time->flags & kVstTimeSigValid) && time->timeSigNumerator >= 0 &&
        time->timeSigDenominator >= 0)
    {
        num = time->timeSigNumerator;
        den = time->timeSigDenominator;
    }
    if (numerator)
        *numerator = num;
    if (denominator)
        *denominator = den;
}

void IEffectVST2::GetTransportInfo(ITransportInfo* info)
{
    constexpr VstInt32 kMusicalFlags =
        kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid;
    const VstTimeInfo* time = GetTimeInfo(kMusicalFlags);
    if (!info || !time || !(time->flags & kMusicalFlags))
        return;
    info->samplePosition = time->samplePos;
    if ((time->flags & kVstPpqPosValid) && time->ppqPos >= 0.0)
        info->musicalPosition = time->ppqPos;
    if ((time->flags & kVstTempoValid) && time->tempo > 0.0)
        info->tempo = time->tempo;
    if ((time->flags & kVstBarsValid) && time->barStartPos >= 0.0)
        info->lastBarStart = time->barStartPos;
    if ((time->flags & kVstCyclePosValid) && time->cycleStartPos >= 0.0 && time->cycleEndPos >= 0.0)
    {
        info->cycleStart = time->cycleStartPos;
        info->cycleEnd = time->cycleEndPos;
    }
    if ((time->flags & kVstTimeSigValid) && time->timeSigNumerator > 0 && time->timeSigDenominator > 0)
    {
        info->timeSigNumerator = time->timeSigNumerator;
        info->timeSigDenominator = time->timeSigDenominator;
    }
    info->transportPlaying = (time->flags & kVstTransportPlaying) != 0;
    info->cycleActive = (time->flags & kVstTransportCycleActive) != 0;
}

int32_t IEffectVST2::GetHostId()
{
    if (IEffectBase::GetHostId() != kHostNotIdentified)
        return IEffectBase::GetHostId();
    char product[kHostProductBytes] = "";
    CallHost(audioMasterGetProductString, 0, 0, product);
    product[sizeof product - 1] = '\0';
    int32_t hostVersion = 0;
    if (product[0])
        hostVersion = DecodeHostVersion(ToInt32(CallHost(audioMasterGetVendorVersion)));
    SetHostIdentity(IdentifyHost(product), hostVersion);
    return IEffectBase::GetHostId();
}

void IEffectVST2::InitForHost()
{
    if (hostInitDone)
        return;
    hostInitDone = true;
    switch (GetHostId())
    {
    case kHostForte:
    case kHostAudition:
    case kHostOrion:
    case kHostSAWStudio:
        // These hosts feed stereo at most.
        for (int32_t i = 2; i < InputCount(); ++i)
            Inputs().SetConnected(i, false);
        break;
    default:
        break;
    }
    aeffect.numInputs = InputCount();
    aeffect.numOutputs = OutputCount();
    inputArrangement.numChannels = InputCount();
    outputArrangement.numChannels = OutputCount();
    OnHostKnown();
}

void IEffectVST2::EditorResized(int32_t, int32_t)
{
    if (!Editor())
        return;
    SetEditorRect(Editor()->EditorWidth(), Editor()->EditorHeight());
    OnWindowResized();
}

void IEffectVST2::AttachEditor(IEditorLink* editor)
{
    IEffectBase::AttachEditor(editor);
    if (!Editor())
        return;
    aeffect.flags |= effFlagsHasEditor;
    SetEditorRect(Editor()->EditorWidth(), Editor()->EditorHeight());
}

void IEffectVST2::SetLatencySamples(int32_t samples)
{
    aeffect.initialDelay = std::max(samples, 0);
    IEffectBase::SetLatencySamples(samples);
}

bool IEffectVST2::SendMidiMessage(const IMidiMessage& message)
{
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof event;
    event.deltaFrames = message.sampleOffset;
    event.midiData[0] = static_cast<char>(message.status);
    event.midiData[1] = static_cast<char>(message.data1);
    event.midiData[2] = static_cast<char>(message.data2);
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&event);
    return CallHost(audioMasterProcessEvents, 0, 0, &events) == 1;
}

bool IEffectVST2::SendSysExMessage(const ISysExMessage& message)
{
    VstMidiSysexEvent event{};
    event.type = kVstSysExType;
    event.byteSize = sizeof event;
    event.deltaFrames = message.sampleOffset;
    event.dumpBytes = message.size;
    event.sysexDump = const_cast<char*>(reinterpret_cast<const char*>(message.data));
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&event);
    return CallHost(audioMasterProcessEvents, 0, 0, &events) == 1;
}

// ---- Helpers ------------------------------------------------------------------------------------

void IEffectVST2::SetEditorRect(int32_t width, int32_t height)
{
    editorRect.top = 0;
    editorRect.left = 0;
    editorRect.bottom = ToInt16(height);
    editorRect.right = ToInt16(width);
}

void IEffectVST2::ResetArrangementsToChannelCounts()
{
    inputArrangement.numChannels = InputCount();
    inputArrangement.type = ArrangementTypeFor(InputCount());
    outputArrangement.numChannels = OutputCount();
    outputArrangement.type = ArrangementTypeFor(OutputCount());
}

// The version as VST 2.4 hosts show it: major * 10000 + minor * 100 + bug-fix.
VstInt32 IEffectVST2::VendorVersion() const
{
    const int32_t v = Version();
    return ((v >> 16) & 0xFFFF) * 10000 + ((v >> 8) & 0xFF) * 100 + (v & 0xFF);
}

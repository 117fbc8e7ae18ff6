#include "IEffectBase.h"

#include "ITextCopy.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int32_t kMaxHintedChannels = 64;  // bits of a silence hint

// -0.0 is left out: it would convert to -0.0, which a scratch of zeros does not hold.
bool HoldsOnlyPositiveZeros(const float* samples, int32_t frames)
{
    for (int32_t f = 0; f < frames; ++f)
        if (samples[f] != 0.0f || std::signbit(samples[f]))
            return false;
    return true;
}

void ZeroScratch(IInputChannel& channel, int32_t frames)
{
    if (channel.zeroFrames >= frames)
        return;
    std::fill(channel.scratch.begin(), channel.scratch.begin() + frames, 0.0);
    channel.zeroFrames = frames;
}

void ConvertIntoScratch(IInputChannel& channel, const float* samples, int32_t frames)
{
    std::copy(samples, samples + frames, channel.scratch.begin());
    channel.zeroFrames = 0;
}

} // namespace

IEffectBase::IEffectBase(const IEffectConfig& config)
    : uniqueId(config.uniqueId),
      makerId(config.makerId),
      version(config.version),
      doesStateChunks(config.doesStateChunks),
      isInstrument(config.isInstrument),
      doesMidi(config.doesMidi)
{
    for (int32_t i = 0; i < std::max(config.parameterCount, 0); ++i)
        parameters.push_back(std::make_unique<IParamEntry>());
    for (int32_t i = 0; i < std::max(config.presetCount, 0); ++i)
    {
        auto slot = std::make_unique<IPresetSlot>();
        snprintf(slot->name, sizeof slot->name, "%s", "empty");
        presets.push_back(std::move(slot));
    }
    CopyText(effectName, config.effectName);
    CopyText(productName, config.productName);
    CopyText(makerName, config.makerName);
    ParseChannelIO(config.channelIO);
}

IEffectBase::~IEffectBase()
{
    delete editor;
    editor = nullptr;
}

// Reads "in-out" tokens separated by blanks; a count that cannot be read stays 0. The
// channel records are sized for the largest counts seen.
void IEffectBase::ParseChannelIO(const char* channelIO)
{
    int32_t maxInputs = 0;
    int32_t maxOutputs = 0;
    const char* p = channelIO ? channelIO : "";
    while (true)
    {
        int in = 0;
        int out = 0;
        sscanf(p, "%d-%d", &in, &out);
        legalPairs.push_back({in, out});
        maxInputs = std::max(maxInputs, in);
        maxOutputs = std::max(maxOutputs, out);
        p = strchr(p, ' ');
        if (!p)
            break;
        ++p;
    }
    inputs.Create(maxInputs);
    outputs.Create(maxOutputs);
    sliceInputs.assign(static_cast<size_t>(maxInputs), nullptr);
    sliceOutputs.assign(static_cast<size_t>(maxOutputs), nullptr);
}

// ---- Hooks ----------------------------------------------------------------------------------

void IEffectBase::OnReset()
{
    ILockGuard lock(mutex);
}

void IEffectBase::OnParameterChanged(int32_t)
{
    ILockGuard lock(mutex);
}

void IEffectBase::OnActivationChanged(bool)
{
    ILockGuard lock(mutex);
}

void IEffectBase::ProcessAudioBlock(double** in, double** out, int32_t frames)
{
    if (frames <= 0)
        return;
    const int32_t nIn = InputCount();
    for (int32_t i = 0; i < OutputCount(); ++i)
    {
        if (i < nIn)
        {
            if (out[i] != in[i])
                std::copy(in[i], in[i] + frames, out[i]);
        }
        else
        {
            std::fill(out[i], out[i] + frames, 0.0);
        }
    }
}

void IEffectBase::ProcessMidiMessage(const IMidiMessage& message)
{
    SendMidiMessage(message);
}

bool IEffectBase::GetMidiNoteName(int32_t, char* text, size_t capacity)
{
    CopyText(text, capacity, "");
    return false;
}

bool IEffectBase::WriteState(IStateChunk& chunk)
{
    return SerializeParams(chunk);
}

int32_t IEffectBase::ReadState(const IStateChunk& chunk, int32_t startPos)
{
    return UnserializeParams(chunk, startPos);
}

bool IEffectBase::StateMatches(const double* values, int32_t startPos) const
{
    if (!values || startPos < 0)
        return false;
    for (int32_t i = 0; i < ParameterCount(); ++i)
    {
        const float current = static_cast<float>(parameters[static_cast<size_t>(i)]->Value());
        const float stored = static_cast<float>(values[startPos + i]);
        if (std::fabs(current - stored) > 1e-5f)
            return false;
    }
    return true;
}

void IEffectBase::SetParameterFromEditor(int32_t paramIndex, double normalized)
{
    ILockGuard lock(mutex);
    IParamEntry* param = Parameter(paramIndex);
    if (!param)
        return;
    param->SetFromNormalized(normalized);
    ReportEditToHost(paramIndex, normalized);
    OnParameterChanged(paramIndex);
}

void IEffectBase::ApplyHostParameter(int32_t paramIndex, double normalized)
{
    ILockGuard lock(mutex);
    IParamEntry* param = Parameter(paramIndex);
    if (!param)
        return;
    normalized = normalized >= 0.0 ? std::min(normalized, 1.0) : 0.0;
    param->SetFromNormalized(normalized);
    if (editor)
        editor->PushParameterToControls(paramIndex, normalized, true);
    OnParameterChanged(paramIndex);
}

// ---- Editor -----------------------------------------------------------------------------------

void IEffectBase::AttachEditor(IEditorLink* newEditor)
{
    if (!newEditor)
        return;
    ILockGuard lock(mutex);
    // The first value each control receives also becomes its default for double clicks.
    for (int32_t i = 0; i < ParameterCount(); ++i)
        newEditor->PushParameterToControls(i, parameters[static_cast<size_t>(i)]->Value(), false);
    newEditor->CreateSurfaces();
    if (editor != newEditor)
        delete editor;
    editor = newEditor;
}

void IEffectBase::PushAllParametersToEditor()
{
    if (!editor)
        return;
    for (int32_t i = 0; i < ParameterCount(); ++i)
        editor->PushParameterToControls(i, parameters[static_cast<size_t>(i)]->Value(), false);
}

// ---- Sizes --------------------------------------------------------------------------------------

bool IEffectBase::SetMaxBlockFrames(int32_t frames)
{
    if (frames < 0)
        return false;
    if (frames == blockSize)
        return true;
    const int32_t scratchFrames = std::min(frames, kMaxScratchFrames);
    if (scratchFrames != inputs.ScratchFrames() || scratchFrames != outputs.ScratchFrames())
    {
        if (!inputs.ResizeScratch(scratchFrames) || !outputs.ResizeScratch(scratchFrames))
        {
            // Keep both directions on one length, the previous one.
            inputs.ResizeScratch(outputs.ScratchFrames());
            return false;
        }
    }
    else
    {
        ClearScratchBuffers();
    }
    blockSize = frames;
    return true;
}

void IEffectBase::SetLatencySamples(int32_t samples)
{
    latency = std::max(samples, 0);
    if (latencyDelay)
        latencyDelay->SetLength(latency);
}

void IEffectBase::CreateLatencyDelay()
{
    if (InputCount() > 0 && !latencyDelay)
    {
        latencyDelay = std::make_unique<ILatencyDelay>(InputCount(), OutputCount());
        latencyDelay->SetLength(latency);
    }
}

// ---- Channels ---------------------------------------------------------------------------------

bool IEffectBase::LegalIO(int32_t nIn, int32_t nOut) const
{
    for (const IChannelPair& pair : legalPairs)
        if ((nIn < 0 || nIn == pair.inputs) && (nOut < 0 || nOut == pair.outputs))
            return true;
    return false;
}

void IEffectBase::AttachInputsSingle(int32_t first, int32_t count, const float* const* hostBuffers,
                                     int32_t frames, uint64_t silentHint)
{
    const int32_t last = std::min(first + count, InputCount());
    frames = std::min(frames, inputs.ScratchFrames());
    int32_t next = 0;
    for (int32_t i = std::max(first, 0); i < last; ++i)
    {
        IInputChannel& channel = inputs.At(i);
        if (!channel.connected)
            continue;
        const int32_t k = next++;
        const float* src = hostBuffers ? hostBuffers[k] : nullptr;
        const bool markedSilent = k < kMaxHintedChannels && ((silentHint >> k) & 1) != 0;
        if (!src || (markedSilent && HoldsOnlyPositiveZeros(src, frames)))
            ZeroScratch(channel, frames);
        else
            ConvertIntoScratch(channel, src, frames);
        *channel.slot = channel.scratch.data();
    }
}

void IEffectBase::AttachOutputsSingle(float* const* hostBuffers)
{
    int32_t next = 0;
    for (int32_t i = 0; i < OutputCount(); ++i)
    {
        IOutputChannel& channel = outputs.At(i);
        if (!channel.connected)
            continue;
        *channel.slot = channel.scratch.data();
        channel.singleDest = hostBuffers ? hostBuffers[next++] : nullptr;
    }
}

void IEffectBase::ConvertOutputsToSingle(int32_t frames)
{
    frames = std::min(frames, outputs.ScratchFrames());
    for (int32_t i = 0; i < OutputCount(); ++i)
    {
        IOutputChannel& channel = outputs.At(i);
        if (!channel.connected || !channel.singleDest)
            continue;
        for (int32_t f = 0; f < frames; ++f)
            channel.singleDest[f] = static_cast<float>(channel.scratch[static_cast<size_t>(f)]);
    }
}

void IEffectBase::AccumulateOutputsSingle(int32_t frames)
{
    frames = std::min(frames, outputs.ScratchFrames());
    ProcessAudioBlock(inputs.Table(), outputs.Table(), frames);
    for (int32_t i = 0; i < OutputCount(); ++i)
    {
        IOutputChannel& channel = outputs.At(i);
        if (!channel.connected || !channel.singleDest)
            continue;
        for (int32_t f = 0; f < frames; ++f)
            channel.singleDest[f] += static_cast<float>(channel.scratch[static_cast<size_t>(f)]);
    }
}

void IEffectBase::PassThroughBlock(int32_t frames)
{
    if (frames <= 0)
        return;
    if (latency > 0 && latencyDelay)
    {
        latencyDelay->Process(inputs.Table(), outputs.Table(), OutputCount(), frames);
        return;
    }
    IEffectBase::ProcessAudioBlock(inputs.Table(), outputs.Table(), frames);
}

void IEffectBase::ClearScratchBuffers()
{
    inputs.ClearScratch();
    outputs.ClearScratch();
}

void IEffectBase::ProcessSlice(int32_t frames, IBlockMode mode)
{
    switch (mode)
    {
    case kProcessReplacing:
        ProcessAudioBlock(inputs.Table(), outputs.Table(), frames);
        break;
    case kProcessBypassed:
        PassThroughBlock(frames);
        break;
    case kProcessAccumulating:
        AccumulateOutputsSingle(frames);
        return;
    }
    ConvertOutputsToSingle(frames);
}

void IEffectBase::ProcessSingle(const float* const* hostInputs, float* const* hostOutputs, int32_t frames,
                                IBlockMode mode, uint64_t silentInputs)
{
    ILockGuard lock(mutex);
    const int32_t sliceFrames = std::min(inputs.ScratchFrames(), outputs.ScratchFrames());
    const int32_t nIn = inputs.ConnectedCount();
    const int32_t nOut = outputs.ConnectedCount();
    if (sliceFrames <= 0)
    {
        // No block size was ever set: there is nowhere to process, so the host hears silence.
        if (hostOutputs && mode != kProcessAccumulating)
            for (int32_t k = 0; k < nOut; ++k)
                if (hostOutputs[k])
                    std::fill(hostOutputs[k], hostOutputs[k] + std::max(frames, 0), 0.0f);
        return;
    }
    for (int32_t done = 0; done < frames;)
    {
        const int32_t n = std::min(sliceFrames, frames - done);
        for (int32_t k = 0; k < nIn; ++k)
            sliceInputs[static_cast<size_t>(k)] =
                hostInputs && hostInputs[k] ? hostInputs[k] + done : nullptr;
        for (int32_t k = 0; k < nOut; ++k)
            sliceOutputs[static_cast<size_t>(k)] =
                hostOutputs && hostOutputs[k] ? hostOutputs[k] + done : nullptr;
        AttachInputsSingle(0, InputCount(), sliceInputs.data(), n, silentInputs);
        AttachOutputsSingle(sliceOutputs.data());
        ProcessSlice(n, mode);
        done += n;
    }
}

void IEffectBase::ProcessDouble(const double* const* hostInputs, double* const* hostOutputs,
                                int32_t frames, bool bypass)
{
    ILockGuard lock(mutex);
    const int32_t sliceFrames = std::min(inputs.ScratchFrames(), outputs.ScratchFrames());
    if (sliceFrames <= 0)
    {
        if (hostOutputs)
            for (int32_t k = 0; k < outputs.ConnectedCount(); ++k)
                if (hostOutputs[k])
                    std::fill(hostOutputs[k], hostOutputs[k] + std::max(frames, 0), 0.0);
        return;
    }
    for (int32_t done = 0; done < frames;)
    {
        const int32_t n = std::min(sliceFrames, frames - done);
        int32_t next = 0;
        for (int32_t i = 0; i < InputCount(); ++i)
        {
            IInputChannel& channel = inputs.At(i);
            if (!channel.connected)
                continue;
            const double* src = hostInputs ? hostInputs[next++] : nullptr;
            if (src)
            {
                *channel.slot = const_cast<double*>(src + done);
            }
            else
            {
                std::fill(channel.scratch.begin(), channel.scratch.begin() + n, 0.0);
                *channel.slot = channel.scratch.data();
            }
        }
        next = 0;
        for (int32_t i = 0; i < OutputCount(); ++i)
        {
            IOutputChannel& channel = outputs.At(i);
            if (!channel.connected)
                continue;
            double* dest = hostOutputs ? hostOutputs[next++] : nullptr;
            *channel.slot = dest ? dest + done : channel.scratch.data();
        }
        if (bypass)
            PassThroughBlock(n);
        else
            ProcessAudioBlock(inputs.Table(), outputs.Table(), n);
        done += n;
    }
}

// ---- Parameters -----------------------------------------------------------------------------

IParamEntry* IEffectBase::Parameter(int32_t index)
{
    if (index < 0 || index >= ParameterCount())
        return nullptr;
    return parameters[static_cast<size_t>(index)].get();
}

const IParamEntry* IEffectBase::Parameter(int32_t index) const
{
    if (index < 0 || index >= ParameterCount())
        return nullptr;
    return parameters[static_cast<size_t>(index)].get();
}

int32_t IEffectBase::GroupIndex(const char* group)
{
    if (!group || !group[0])
        return 0;
    for (size_t i = 0; i < parameterGroups.size(); ++i)
        if (strcmp(parameterGroups[i], group) == 0)
            return static_cast<int32_t>(i + 1);
    parameterGroups.push_back(group);
    return static_cast<int32_t>(parameterGroups.size());
}

void IEffectBase::SetHostIdentity(int32_t id, int32_t versionNumber)
{
    hostId = id;
    hostVersion = versionNumber;
}

// ---- Presets and state ----------------------------------------------------------------------

IPresetSlot* IEffectBase::Preset(int32_t index)
{
    return const_cast<IPresetSlot*>(static_cast<const IEffectBase&>(*this).Preset(index));
}

const IPresetSlot* IEffectBase::Preset(int32_t index) const
{
    if (index < 0 || index >= PresetCount())
        return nullptr;
    return presets[static_cast<size_t>(index)].get();
}

bool IEffectBase::SerializeParams(IStateChunk& chunk)
{
    ILockGuard lock(mutex);
    for (const auto& param : parameters)
        if (!chunk.PutDouble(param->Value()) || chunk.Size() <= 0)
            return false;
    return true;
}

int32_t IEffectBase::UnserializeParams(const IStateChunk& chunk, int32_t pos)
{
    ILockGuard lock(mutex);
    // Only whole values are read: a value cut short by the end of the chunk would be half
    // one state and half garbage, so its parameter keeps the value it had.
    for (int32_t i = 0; i < ParameterCount() && pos >= 0; ++i)
    {
        double v = 0.0;
        pos = chunk.GetDouble(&v, pos);
        if (pos >= 0)
            parameters[static_cast<size_t>(i)]->SetValueClamped(v);
    }
    for (int32_t i = 0; i < ParameterCount(); ++i)
        OnParameterChanged(i);
    return pos;
}

bool IEffectBase::SelectPreset(int32_t index)
{
    ILockGuard lock(mutex);
    IPresetSlot* slot = Preset(index);
    if (!slot)
        return false;
    bool ok;
    if (slot->initialised)
    {
        ok = ReadState(slot->state, 0) > 0;
    }
    else
    {
        int32_t userPresets = 0;
        for (const auto& p : presets)
            if (strstr(p->name, "user preset"))
                ++userPresets;
        slot->initialised = true;
        snprintf(slot->name, sizeof slot->name, "%s %d", "user preset", static_cast<int>(userPresets + 1));
        // A slot a bank marked empty may still hold bytes; the new preset replaces them.
        slot->state.Clear();
        ok = WriteState(slot->state);
    }
    if (ok)
    {
        currentPreset = index;
        OnPresetRestored();
        PushAllParametersToEditor();
    }
    return ok;
}

void IEffectBase::FillEmptyPresets(const char* name, int32_t count)
{
    ILockGuard lock(mutex);
    for (int32_t n = 0; n < count; ++n)
    {
        auto empty = std::find_if(presets.begin(), presets.end(),
                                  [](const std::unique_ptr<IPresetSlot>& p) { return !p->initialised; });
        if (empty == presets.end())
            return;
        IPresetSlot& slot = **empty;
        slot.initialised = true;
        CopyText(slot.name, name && name[0] ? name : "Empty");
        WriteState(slot.state);
    }
}

void IEffectBase::ModifyCurrentPreset(const char* name)
{
    ILockGuard lock(mutex);
    IPresetSlot* slot = Preset(currentPreset);
    if (!slot)
        return;
    slot->state.Clear();
    WriteState(slot->state);
    if (name && name[0])
        CopyText(slot->name, name);
}

bool IEffectBase::SerializePresets(IStateChunk& chunk)
{
    ILockGuard lock(mutex);
    bool ok = true;
    for (size_t i = 0; i < presets.size() && ok; ++i)
    {
        const IPresetSlot& slot = *presets[i];
        const int32_t nameLength = static_cast<int32_t>(strlen(slot.name));
        ok = chunk.PutInt32(nameLength) && chunk.PutBytes(slot.name, nameLength) &&
             chunk.PutFlag(slot.initialised);
        if (ok && slot.initialised)
            ok = chunk.PutBytes(slot.state.Data(), slot.state.Size()) && chunk.Size() > 0;
    }
    return ok;
}

int32_t IEffectBase::UnserializePresets(const IStateChunk& chunk, int32_t pos)
{
    ILockGuard lock(mutex);
    // A bank that runs out is refused whole. Read as far as it goes, it would leave a slot
    // named by a cut-off field and the sound switched to a stored preset, although the host
    // is told that nothing was restored.
    std::vector<IPresetSlot> slotsBefore;
    for (const auto& slot : presets)
        slotsBefore.push_back(*slot);
    IStateChunk stateBefore;
    WriteState(stateBefore);

    pos = ReadPresetSlots(chunk, pos);
    if (pos < 0)
    {
        for (size_t i = 0; i < presets.size(); ++i)
            *presets[i] = slotsBefore[i];
        ReadState(stateBefore, 0);
        return pos;
    }
    SelectPreset(currentPreset);
    return pos;
}

int32_t IEffectBase::ReadPresetSlots(const IStateChunk& chunk, int32_t pos)
{
    for (size_t i = 0; i < presets.size() && pos >= 0; ++i)
    {
        IPresetSlot& slot = *presets[i];
        int32_t nameLength = 0;
        int64_t flagPos = -1;
        char name[IPresetSlot::kNameCapacity] = "";
        if (chunk.GetInt32(&nameLength, pos) >= 0 && nameLength >= 0)
        {
            // A negative length marks a damaged bank; it never moves the reading backwards.
            flagPos = static_cast<int64_t>(pos) + 4 + nameLength;
            if (nameLength > 0 && flagPos <= chunk.Size())
            {
                const size_t copied = std::min(static_cast<size_t>(nameLength), sizeof name - 1);
                memcpy(name, chunk.Data() + pos + 4, copied);
                name[copied] = '\0';  // also cut at an embedded zero byte by the copy below
            }
        }
        CopyText(slot.name, name);
        if (flagPos < 0 || flagPos >= chunk.Size())
        {
            pos = -1;
            break;
        }
        bool initialised = false;
        chunk.GetFlag(&initialised, static_cast<int32_t>(flagPos));
        slot.initialised = initialised;
        pos = static_cast<int32_t>(flagPos) + 1;
        if (slot.initialised)
        {
            pos = ReadState(chunk, pos);
            if (pos > 0)
            {
                slot.state.Clear();
                WriteState(slot.state);
            }
        }
    }
    return pos;
}

void IEffectBase::InitChunkHeader(IStateChunk& chunk)
{
    chunk.Clear();
    chunk.PutInt32(kChunkMagic);
    chunk.PutInt32(kChunkVersion);
}

int32_t IEffectBase::ReadChunkHeader(const IStateChunk& chunk, int32_t* version)
{
    int32_t magic = 0;
    *version = 0;
    if (chunk.GetInt32(&magic, 0) < 0 || magic != kChunkMagic)
        return 0;
    int32_t v = 0;
    if (chunk.GetInt32(&v, 4) < 0)
        return -1;
    *version = v;
    return 8;
}

#pragma once

#include "IChannelBuffers.h"
#include "IEditorLink.h"
#include "IEffectTypes.h"
#include "ILatencyDelay.h"
#include "IParamEntry.h"
#include "IPresetSlot.h"
#include "IRecursiveMutex.h"
#include "IStateChunk.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The host-independent plug-in instance: parameters, presets, channel configuration and
// buffers, the processing entry and the instance lock. A host adapter derives from it and
// the plug-in derives from the adapter.
//
// One recursive mutex serialises processing, parameter changes, state transfer and editor
// attachment; nested calls on one thread take it again.
class IEffectBase
{
public:
    static constexpr size_t kNameCapacity = 128;
    // Scratch buffers never grow beyond this many frames; longer host blocks are processed
    // in slices, so that an absurd block size cannot exhaust memory.
    static constexpr int32_t kMaxScratchFrames = 65536;
    // The chunk header that VST 2.4 chunks start with, and the framework chunk version 1.0.0.
    static constexpr int32_t kChunkMagic = 0x70666674;
    static constexpr int32_t kChunkVersion = 0x00010000;

    explicit IEffectBase(const IEffectConfig& config);
    virtual ~IEffectBase();
    IEffectBase(const IEffectBase&) = delete;
    IEffectBase& operator=(const IEffectBase&) = delete;

    // ---- Hooks for the plug-in -------------------------------------------------------------
    virtual void OnReset();
    virtual void OnParameterChanged(int32_t paramIndex);
    // Renders frames samples from the input table into the output table. The default copies
    // each input to the output of the same index and zeroes the outputs without an input.
    virtual void ProcessAudioBlock(double** inputs, double** outputs, int32_t frames);
    virtual void OnEditorOpened() {}
    virtual void OnEditorClosed() {}
    // On the editor's window thread, once its controls show a value the host, a state or a
    // preset gave the parameter: the plug-in updates what else it shows of it (readouts).
    virtual void OnParameterShown(int32_t, double) {}
    virtual void OnActivationChanged(bool active);
    virtual void ProcessMidiMessage(const IMidiMessage& message);
    virtual void ProcessSysExMessage(const ISysExMessage&) {}
    virtual bool GetMidiNoteName(int32_t note, char* text, size_t capacity);
    virtual bool WriteState(IStateChunk& chunk);
    virtual int32_t ReadState(const IStateChunk& chunk, int32_t startPos);
    // True when every parameter's value equals the double at startPos + index (counted in
    // doubles) within 1e-5 in single precision.
    virtual bool StateMatches(const double* values, int32_t startPos) const;
    virtual void OnWindowResized() {}
    virtual void OnHostKnown() {}
    virtual void ShowHostParameterMenu(int32_t, int32_t, int32_t) {}

    // ---- Operations the editor and adapters call ---------------------------------------------
    // Under the lock: the parameter takes the normalised value, the host is told, then the
    // plug-in reacts.
    virtual void SetParameterFromEditor(int32_t paramIndex, double normalized);
    // Under the lock: a change the host made (automation, a value set through the plug-in
    // interface). The parameter takes the value, the editor's controls show it, the plug-in
    // reacts; the host already knows. Values outside 0..1 and NaN are kept in range.
    void ApplyHostParameter(int32_t paramIndex, double normalized);

    // ---- Host link, provided by the adapter --------------------------------------------------
    virtual void BeginParameterGesture(int32_t paramIndex) = 0;
    virtual void ReportEditToHost(int32_t paramIndex, double normalized) = 0;
    virtual void EndParameterGesture(int32_t paramIndex) = 0;
    virtual void ReportPresetChangeToHost() = 0;
    virtual bool IsOfflineRender() { return false; }
    virtual int32_t GetSamplePosition() = 0;
    virtual double GetHostTempo() = 0;
    virtual void GetTimeSignature(int32_t* numerator, int32_t* denominator) = 0;
    virtual void GetTransportInfo(ITransportInfo* info) = 0;
    virtual int32_t GetHostId() { return hostId; }
    virtual int32_t GetApiKind() { return apiKind; }
    virtual void EditorResized(int32_t width, int32_t height) = 0;
    virtual void InitForHost() {}
    virtual void AttachEditor(IEditorLink* editor);
    virtual void SetLatencySamples(int32_t samples);
    virtual bool SendMidiMessage(const IMidiMessage&) { return false; }
    virtual bool SendSysExMessage(const ISysExMessage&) { return false; }
    virtual void PushAllParametersToEditor();
    virtual void OnPresetRestored() {}
    // Sizes every scratch buffer for blocks of `frames`; the same size keeps their contents,
    // a new size zeroes them. False, keeping the previous buffers, when memory runs out.
    virtual bool SetMaxBlockFrames(int32_t frames);

    // ---- Channels and processing --------------------------------------------------------------
    // True when a legal channel pair matches both counts; a negative count matches any.
    bool LegalIO(int32_t inputs, int32_t outputs) const;
    IChannelBuffers<IInputChannel>& Inputs() { return inputs; }
    IChannelBuffers<IOutputChannel>& Outputs() { return outputs; }
    int32_t InputCount() const { return inputs.Count(); }
    int32_t OutputCount() const { return outputs.Count(); }

    // Converts frames samples of each connected input channel from the next host buffer into
    // its scratch, for channels first .. first + count - 1. A missing host buffer reads as
    // silence. Bit k of silentHint marks the k-th host buffer as silent, as hosts flag it: such
    // a buffer is checked rather than converted, and a buffer that is not silent after all is
    // converted as usual, so the hint never changes a sample.
    void AttachInputsSingle(int32_t first, int32_t count, const float* const* hostBuffers, int32_t frames,
                            uint64_t silentHint = 0);
    // Gives each connected output its scratch as slot and the next host buffer as destination.
    void AttachOutputsSingle(float* const* hostBuffers);
    void ConvertOutputsToSingle(int32_t frames);
    void AccumulateOutputsSingle(int32_t frames);
    // The bypass path: inputs to outputs, delayed by the latency when there is one.
    void PassThroughBlock(int32_t frames);
    void ClearScratchBuffers();

    enum IBlockMode
    {
        kProcessReplacing,
        kProcessAccumulating,
        kProcessBypassed,
    };
    // The processing entry for single-precision hosts: takes the lock, attaches the host
    // buffers (consumed by connected channels only, in order), processes and converts back.
    // Blocks longer than the scratch buffers are processed in slices.
    void ProcessSingle(const float* const* hostInputs, float* const* hostOutputs, int32_t frames,
                       IBlockMode mode, uint64_t silentInputs = 0);
    // The same for double-precision hosts: connected channels use the host buffers in place.
    void ProcessDouble(const double* const* hostInputs, double* const* hostOutputs, int32_t frames,
                       bool bypassed);

    // ---- Parameters ---------------------------------------------------------------------------
    int32_t ParameterCount() const { return static_cast<int32_t>(parameters.size()); }
    IParamEntry* Parameter(int32_t index);
    const IParamEntry* Parameter(int32_t index) const;

    // ---- Presets and state ------------------------------------------------------------------
    int32_t PresetCount() const { return static_cast<int32_t>(presets.size()); }
    IPresetSlot* Preset(int32_t index);
    const IPresetSlot* Preset(int32_t index) const;
    int32_t CurrentPresetIndex() const { return currentPreset; }
    bool SelectPreset(int32_t index);
    void FillEmptyPresets(const char* name, int32_t count);
    void ModifyCurrentPreset(const char* name);
    bool SerializeParams(IStateChunk& chunk);
    int32_t UnserializeParams(const IStateChunk& chunk, int32_t pos);
    bool SerializePresets(IStateChunk& chunk);
    // Reads a bank into the slots and recalls the current preset. A bank that runs out changes
    // nothing (slots, values) and answers -1.
    int32_t UnserializePresets(const IStateChunk& chunk, int32_t pos);
    static void InitChunkHeader(IStateChunk& chunk);
    // Reads the header written by InitChunkHeader. Returns where the state starts (0 without
    // the header, -1 for a cut header) and stores the version (0 without the header).
    static int32_t ReadChunkHeader(const IStateChunk& chunk, int32_t* version);

    // ---- Identity and host ------------------------------------------------------------------
    const char* EffectName() const { return effectName; }
    const char* ProductName() const { return productName; }
    const char* MakerName() const { return makerName; }
    int32_t UniqueId() const { return uniqueId; }
    int32_t MakerId() const { return makerId; }
    int32_t Version() const { return version; }
    int32_t HostVersion() const { return hostVersion; }
    void SetHostIdentity(int32_t id, int32_t versionNumber);
    bool DoesStateChunks() const { return doesStateChunks; }
    bool IsInstrument() const { return isInstrument; }
    bool DoesMidi() const { return doesMidi; }
    bool IsBypassed() const { return bypassed; }
    void SetBypassed(bool b) { bypassed = b; }
    double SampleRate() const { return sampleRate; }
    void SetSampleRate(double rate) { sampleRate = rate; }
    int32_t BlockSize() const { return blockSize; }
    int32_t Latency() const { return latency; }
    int32_t TailSize() const { return tailSize; }
    ILatencyDelay* LatencyDelay() { return latencyDelay.get(); }
    void CreateLatencyDelay();
    IEditorLink* Editor() { return editor; }
    const std::vector<const char*>& ParameterGroups() const { return parameterGroups; }
    // Position (1-based) of a group name in the group list, appending it when new; 0 for "".
    int32_t GroupIndex(const char* group);
    std::vector<std::string>& InputBusNames() { return inputBusNames; }
    std::vector<std::string>& OutputBusNames() { return outputBusNames; }

    IRecursiveMutex& Mutex() { return mutex; }

protected:
    void SetApiKind(int32_t kind) { apiKind = kind; }
    void SetTailSize(int32_t samples) { tailSize = samples; }

private:
    void ParseChannelIO(const char* channelIO);
    void ProcessSlice(int32_t frames, IBlockMode mode);
    // The bank body into the slots, as far as it goes; the position after it, or -1.
    int32_t ReadPresetSlots(const IStateChunk& chunk, int32_t pos);

    std::vector<IChannelPair> legalPairs;
    IRecursiveMutex mutex;
    char effectName[kNameCapacity] = "";
    char productName[kNameCapacity] = "";
    char makerName[kNameCapacity] = "";
    int32_t uniqueId = 0;
    int32_t makerId = 0;
    int32_t version = 0;
    int32_t apiKind = kApiOffline;
    int32_t hostId = -1;
    int32_t hostVersion = 0;
    bool doesStateChunks = true;
    bool isInstrument = false;
    bool doesMidi = false;
    bool bypassed = false;
    int32_t currentPreset = 0;
    double sampleRate = 44100.0;
    int32_t blockSize = 0;
    int32_t latency = 0;
    int32_t tailSize = 0;
    std::unique_ptr<ILatencyDelay> latencyDelay;
    std::vector<const char*> parameterGroups;
    IEditorLink* editor = nullptr;
    std::vector<std::unique_ptr<IParamEntry>> parameters;
    std::vector<std::unique_ptr<IPresetSlot>> presets;
    IChannelBuffers<IInputChannel> inputs;
    IChannelBuffers<IOutputChannel> outputs;
    std::vector<std::string> inputBusNames;
    std::vector<std::string> outputBusNames;
    // Host buffer pointers of the slice under way; sized once so that processing allocates nothing.
    std::vector<const float*> sliceInputs;
    std::vector<float*> sliceOutputs;
};

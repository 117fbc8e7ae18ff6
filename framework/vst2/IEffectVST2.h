#pragma once

#include "IEffectBase.h"
#include "Vst2Interface.h"

// The VST 2.4 host adapter. It owns the AEffect that the host drives and translates each
// dispatcher opcode and callback into framework operations; the plug-in derives from it.
//
// Every dispatcher call, processing call and parameter callback holds the instance lock for
// its whole duration, so calls from the host's user-interface thread never overlap a block
// on its audio thread.
class IEffectVST2 : public IEffectBase
{
public:
    using HostCallback = audioMasterCallback;

    // Chunks from the host larger than this are refused: far beyond any state or bank the
    // framework writes, so such a size can only be a host error.
    static constexpr VstIntPtr kMaxChunkBytes = 1 << 20;
    // Parameter names are copied whole: the published 8 bytes would cut them to seven
    // characters, while hosts offer larger buffers and the widely used wrappers write names of
    // up to 32 bytes. Labels and display texts keep to the published size.
    static constexpr size_t kParamNameBytes = 32;

    IEffectVST2(HostCallback host, const IEffectConfig& config);
    ~IEffectVST2() override;

    AEffect* GetAEffect() { return &aeffect; }
    // The instance an AEffect belongs to, or null.
    static IEffectVST2* FromAEffect(AEffect* effect);

    // ---- Host link -----------------------------------------------------------------------------
    void BeginParameterGesture(int32_t paramIndex) override;
    void ReportEditToHost(int32_t paramIndex, double normalized) override;
    void EndParameterGesture(int32_t paramIndex) override;
    void ReportPresetChangeToHost() override;
    bool IsOfflineRender() override;
    int32_t GetSamplePosition() override;
    double GetHostTempo() override;
    void GetTimeSignature(int32_t* numerator, int32_t* denominator) override;
    void GetTransportInfo(ITransportInfo* info) override;
    // Asks the host for its product string and version on first use only.
    int32_t GetHostId() override;
    void EditorResized(int32_t width, int32_t height) override;
    void InitForHost() override;
    void AttachEditor(IEditorLink* editor) override;
    void SetLatencySamples(int32_t samples) override;
    bool SendMidiMessage(const IMidiMessage& message) override;
    bool SendSysExMessage(const ISysExMessage& message) override;

private:
    // The AEffect callbacks.
    static VstIntPtr VSTDispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                   void* ptr, float opt);
    static void VSTProcessAccumulating(AEffect* effect, float** inputs, float** outputs, VstInt32 frames);
    static void VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames);
    static void VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                          VstInt32 frames);
    static void VSTSetParameter(AEffect* effect, VstInt32 index, float value);
    static float VSTGetParameter(AEffect* effect, VstInt32 index);

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    void ProcessBlock(float** inputs, float** outputs, VstInt32 frames, IBlockMode mode);
    void ProcessBlockDouble(double** inputs, double** outputs, VstInt32 frames);
    float GetParameterForHost(VstInt32 index);

    // One operation per group of opcodes.
    void OpenForHost();
    void SetSampleRateFromHost(float rate);
    void SetBlockSizeFromHost(VstIntPtr frames);
    void SetActive(bool active);
    VstIntPtr GetEditorRect(void* ptr);
    VstIntPtr OpenEditor(void* parent);
    VstIntPtr CloseEditor();
    VstIntPtr GetChunk(bool isProgram, void* ptr);
    VstIntPtr SetChunk(bool isProgram, VstIntPtr size, const void* data);
    VstIntPtr ProcessEvents(const VstEvents* events);
    VstIntPtr StringToParameter(VstInt32 index, const char* text);
    VstIntPtr GetPinProperties(bool isInput, VstInt32 index, VstPinProperties* properties);
    VstIntPtr SetSpeakerArrangement(const VstSpeakerArrangement* in, const VstSpeakerArrangement* out);
    VstIntPtr VendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt);
    VstIntPtr CanDo(const char* text) const;
    VstIntPtr GetMidiKeyName(MidiKeyName* key);

    VstIntPtr CallHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    // The host's time information for the given validity filter, or null.
    const VstTimeInfo* GetTimeInfo(VstInt32 filter);
    void SetEditorRect(int32_t width, int32_t height);
    void ResetArrangementsToChannelCounts();
    VstInt32 VendorVersion() const;

    HostCallback hostCallback;
    ERect editorRect{};
    VstSpeakerArrangement inputArrangement{};
    VstSpeakerArrangement outputArrangement{};
    bool hostInitDone = false;
    bool editorOpen = false;     // the host opened the editor and has not closed it
    IStateChunk programChunk;
    IStateChunk bankChunk;
    AEffect aeffect{};
};

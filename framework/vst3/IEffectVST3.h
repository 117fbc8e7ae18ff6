#pragma once

#include "IEffectBase.h"
#include "SingleComponentEffect.h"

#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <vector>

class IEffectVST3View;

// The VST3 face of a plug-in: one reference-counted object that is the host's audio processor
// and edit controller at once. Host calls become operations of the instance core; the core's
// reports (edits, gestures, latency) go back to the host's component handler.
//
// Parameter ids: 0 .. n-1 are the plug-in's parameters; 'prst' selects a preset and 'bpas'
// is the host's bypass switch.
class IEffectVST3 : public IEffectBase, public SingleComponentEffect
{
public:
    using HostCallback = void*;  // VST3 hosts speak through interfaces, not a callback

    static constexpr Steinberg::Vst::ParamID kPresetParamId = 0x70727374;  // 'prst'
    static constexpr Steinberg::Vst::ParamID kBypassParamId = 0x62706173;  // 'bpas'

    IEffectVST3(HostCallback host, const IEffectConfig& config);
    ~IEffectVST3() override;

    // ---- IPluginBase ------------------------------------------------------------------------------
    Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;

    // ---- IComponent ---------------------------------------------------------------------------------
    Steinberg::tresult PLUGIN_API activateBus(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir,
                                              Steinberg::int32 index, Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API setActive(Steinberg::TBool state) override;

    // ---- IAudioProcessor ------------------------------------------------------------------------------
    Steinberg::tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs, Steinberg::int32 numIns,
                                                     Steinberg::Vst::SpeakerArrangement* outputs,
                                                     Steinberg::int32 numOuts) override;
    Steinberg::tresult PLUGIN_API canProcessSampleSize(Steinberg::int32 symbolicSampleSize) override;
    Steinberg::uint32 PLUGIN_API getLatencySamples() override;
    Steinberg::uint32 PLUGIN_API getTailSamples() override;
    Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
    Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;

    // ---- IEditController ------------------------------------------------------------------------------
    Steinberg::tresult PLUGIN_API getParamStringByValue(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue normalized,
                                                        Steinberg::Vst::String128 string) override;
    Steinberg::Vst::ParamValue PLUGIN_API plainParamToNormalized(Steinberg::Vst::ParamID id,
                                                                 Steinberg::Vst::ParamValue plain) override;
    Steinberg::Vst::ParamValue PLUGIN_API getParamNormalized(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API setParamNormalized(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value) override;
    Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) override;

    // ---- IUnitInfo ----------------------------------------------------------------------------------------
    Steinberg::int32 PLUGIN_API getUnitCount() override;
    Steinberg::tresult PLUGIN_API getUnitInfo(Steinberg::int32 unitIndex, Steinberg::Vst::UnitInfo& info) override;
    Steinberg::int32 PLUGIN_API getProgramListCount() override { return 0; }
    Steinberg::tresult PLUGIN_API getProgramListInfo(Steinberg::int32 listIndex,
                                                     Steinberg::Vst::ProgramListInfo& info) override;
    Steinberg::tresult PLUGIN_API getProgramName(Steinberg::Vst::ProgramListID listId, Steinberg::int32 programIndex,
                                                 Steinberg::Vst::String128 name) override;
    Steinberg::Vst::UnitID PLUGIN_API getSelectedUnit() override { return Steinberg::Vst::kRootUnitId; }

    // ---- The core's link to the host ----------------------------------------------------------------------
    void BeginParameterGesture(int32_t paramIndex) override;
    void ReportEditToHost(int32_t paramIndex, double normalized) override;
    void EndParameterGesture(int32_t paramIndex) override;
    void ReportPresetChangeToHost() override {}
    bool IsOfflineRender() override;
    int32_t GetSamplePosition() override;
    double GetHostTempo() override;
    void GetTimeSignature(int32_t* numerator, int32_t* denominator) override;
    void GetTransportInfo(ITransportInfo* info) override;
    void EditorResized(int32_t width, int32_t height) override;
    void ShowHostParameterMenu(int32_t paramIndex, int32_t x, int32_t y) override;
    void SetLatencySamples(int32_t samples) override;

    // ---- Views --------------------------------------------------------------------------------------------
    void RegisterView(IEffectVST3View* view);
    void ForgetView(IEffectVST3View* view);
    int32_t OpenViewCount() const { return static_cast<int32_t>(views.size()); }

    OBJ_METHODS(IEffectVST3, SingleComponentEffect)

protected:
    Steinberg::tresult ReadComponentState(Steinberg::IBStream* stream) override;
    Steinberg::tresult WriteComponentState(Steinberg::IBStream* stream) override;
    Steinberg::tresult ReadControllerState(Steinberg::IBStream* stream) override;
    Steinberg::tresult WriteControllerState(Steinberg::IBStream* stream) override;

private:
    void IdentifyHostApplication(Steinberg::FUnknown* context);
    void AddBuses();
    void AddParameters();
    // Reads at most the current state's length of bytes from the stream into chunk. False
    // when the stream holds none.
    bool ReadStateBytes(Steinberg::IBStream* stream, IStateChunk& chunk);
    void RestoreState(const IStateChunk& chunk);

    void ApplyParameterChanges(Steinberg::Vst::IParameterChanges* changes);
    void ApplyHostValue(Steinberg::Vst::ParamID id, double value);
    // Above one half is on. False for an instrument, which has no bypass.
    bool ApplyBypassValue(double value);
    // The slot a normalised preset value selects; it need not exist.
    int32_t PresetIndexFor(double value) const;
    bool FormatHostValue(Steinberg::Vst::ParamID id, double normalized, char* text, size_t capacity);
    void ApplyEvents(Steinberg::Vst::IEventList* events);
    // A disconnected input reads silence from its scratch, not the last block it held.
    void ConnectInputs(const Steinberg::Vst::ProcessData& data);
    void ConnectOutputs(const Steinberg::Vst::ProcessData& data);
    // Fills the tables with the host buffers of the connected channels, in channel order.
    template <class Sample>
    void GatherHostBuffers(const Steinberg::Vst::ProcessData& data, std::vector<const Sample*>& inputTable,
                           std::vector<Sample*>& outputTable);
    template <class Sample>
    Sample* HostOutputBuffer(const Steinberg::Vst::ProcessData& data, int32_t channel) const;
    // Sets the silence flags of the plug-in's own output buses after a block.
    template <class Sample>
    void FlagSilentOutputs(Steinberg::Vst::ProcessData& data);

    // Where each output channel lies among the host's output buses: bus index and channel
    // within that bus, or -1 for a channel beyond all buses.
    std::vector<int32_t> outputBus;
    std::vector<int32_t> outputBusChannel;
    std::vector<IEffectVST3View*> views;  // open views, first opened first; not owned
    Steinberg::Vst::ProcessContext lastContext{};
    // Host buffer tables of the block under way, sized once so that processing never allocates.
    std::vector<const float*> hostInputs32;
    std::vector<float*> hostOutputs32;
    std::vector<const double*> hostInputs64;
    std::vector<double*> hostOutputs64;
};

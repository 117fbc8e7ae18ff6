#pragma once

#include "public.sdk/source/vst/vstbus.h"
#include "public.sdk/source/vst/vsteditcontroller.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"

// The component face's state operations have the same names and signatures as the edit
// controller's, so one override in a class that has both faces would serve both. These two
// thin layers give each face its own name before the faces meet in SingleComponentEffect.
class SingleComponentStateFace : public Steinberg::Vst::IComponent
{
public:
    Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) final { return ReadComponentState(state); }
    Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) final { return WriteComponentState(state); }

protected:
    virtual Steinberg::tresult ReadComponentState(Steinberg::IBStream* state) = 0;
    virtual Steinberg::tresult WriteComponentState(Steinberg::IBStream* state) = 0;
};

class SingleControllerStateFace : public Steinberg::Vst::EditControllerEx1
{
public:
    Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) final { return ReadControllerState(state); }
    Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) final { return WriteControllerState(state); }

protected:
    virtual Steinberg::tresult ReadControllerState(Steinberg::IBStream*) { return Steinberg::kNotImplemented; }
    virtual Steinberg::tresult WriteControllerState(Steinberg::IBStream*) { return Steinberg::kNotImplemented; }
};

// One object that is at once the audio processor component and its edit controller, so that
// processing, parameters and editor share one instance. Built on the SDK's edit controller
// (parameters, units, component handler) with the component's buses and process set-up
// added. Hosts find the controller by querying the component for IEditController.
class SingleComponentEffect : public SingleControllerStateFace,
                              public SingleComponentStateFace,
                              public Steinberg::Vst::IAudioProcessor
{
public:
    SingleComponentEffect();

    // ---- IPluginBase (shared by both faces) -----------------------------------------------
    Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
    Steinberg::tresult PLUGIN_API terminate() override;

    // ---- IComponent ---------------------------------------------------------------------------
    Steinberg::tresult PLUGIN_API getControllerClassId(Steinberg::TUID classId) override;
    Steinberg::tresult PLUGIN_API setIoMode(Steinberg::Vst::IoMode mode) override;
    Steinberg::int32 PLUGIN_API getBusCount(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir) override;
    Steinberg::tresult PLUGIN_API getBusInfo(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir,
                                             Steinberg::int32 index, Steinberg::Vst::BusInfo& bus) override;
    Steinberg::tresult PLUGIN_API getRoutingInfo(Steinberg::Vst::RoutingInfo& inInfo,
                                                 Steinberg::Vst::RoutingInfo& outInfo) override;
    Steinberg::tresult PLUGIN_API activateBus(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir,
                                              Steinberg::int32 index, Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API setActive(Steinberg::TBool state) override;

    // ---- IAudioProcessor ----------------------------------------------------------------------
    Steinberg::tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs, Steinberg::int32 numIns,
                                                     Steinberg::Vst::SpeakerArrangement* outputs,
                                                     Steinberg::int32 numOuts) override;
    Steinberg::tresult PLUGIN_API getBusArrangement(Steinberg::Vst::BusDirection dir, Steinberg::int32 index,
                                                    Steinberg::Vst::SpeakerArrangement& arr) override;
    Steinberg::tresult PLUGIN_API canProcessSampleSize(Steinberg::int32 symbolicSampleSize) override;
    Steinberg::uint32 PLUGIN_API getLatencySamples() override { return 0; }
    Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
    Steinberg::tresult PLUGIN_API setProcessing(Steinberg::TBool) override { return Steinberg::kNotImplemented; }
    Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;
    Steinberg::uint32 PLUGIN_API getTailSamples() override { return Steinberg::Vst::kNoTail; }

    // ---- IEditController: index and text queries guarded against bad host input ----------------
    Steinberg::tresult PLUGIN_API getParameterInfo(Steinberg::int32 paramIndex,
                                                   Steinberg::Vst::ParameterInfo& info) override;
    Steinberg::tresult PLUGIN_API getParamStringByValue(Steinberg::Vst::ParamID tag,
                                                        Steinberg::Vst::ParamValue valueNormalized,
                                                        Steinberg::Vst::String128 string) override;
    Steinberg::tresult PLUGIN_API getParamValueByString(Steinberg::Vst::ParamID tag, Steinberg::Vst::TChar* string,
                                                        Steinberg::Vst::ParamValue& valueNormalized) override;
    Steinberg::Vst::ParamValue PLUGIN_API normalizedParamToPlain(Steinberg::Vst::ParamID tag,
                                                                 Steinberg::Vst::ParamValue valueNormalized) override;

    // ---- IUnitInfo: the SDK's lookups answer an out-of-range index with an exception --------------
    Steinberg::tresult PLUGIN_API getUnitInfo(Steinberg::int32 unitIndex, Steinberg::Vst::UnitInfo& info) override;

    // ---- Buses --------------------------------------------------------------------------------
    Steinberg::Vst::AudioBus* addAudioInput(const Steinberg::Vst::TChar* name, Steinberg::Vst::SpeakerArrangement arr,
                                            Steinberg::Vst::BusType busType = Steinberg::Vst::kMain,
                                            Steinberg::int32 flags = Steinberg::Vst::BusInfo::kDefaultActive);
    Steinberg::Vst::AudioBus* addAudioOutput(const Steinberg::Vst::TChar* name, Steinberg::Vst::SpeakerArrangement arr,
                                             Steinberg::Vst::BusType busType = Steinberg::Vst::kMain,
                                             Steinberg::int32 flags = Steinberg::Vst::BusInfo::kDefaultActive);
    Steinberg::Vst::EventBus* addEventInput(const Steinberg::Vst::TChar* name, Steinberg::int32 channels = 16,
                                            Steinberg::Vst::BusType busType = Steinberg::Vst::kMain,
                                            Steinberg::int32 flags = Steinberg::Vst::BusInfo::kDefaultActive);
    void removeAudioInputBusses() { audioInputs.clear(); }
    void removeAudioOutputBusses() { audioOutputs.clear(); }
    void removeAllBusses();
    // The audio bus at index, or null.
    Steinberg::Vst::AudioBus* getAudioInput(Steinberg::int32 index);
    Steinberg::Vst::AudioBus* getAudioOutput(Steinberg::int32 index);

    bool isInitialized() const { return initialized; }
    const Steinberg::Vst::ProcessSetup& getProcessSetup() const { return processSetup; }

    OBJ_METHODS(SingleComponentEffect, EditControllerEx1)
    DEFINE_INTERFACES
        DEF_INTERFACE(Steinberg::Vst::IComponent)
        DEF_INTERFACE(Steinberg::Vst::IAudioProcessor)
    END_DEFINE_INTERFACES(EditControllerEx1)
    REFCOUNT_METHODS(EditControllerEx1)

protected:
    Steinberg::tresult ReadComponentState(Steinberg::IBStream*) override { return Steinberg::kNotImplemented; }
    Steinberg::tresult WriteComponentState(Steinberg::IBStream*) override { return Steinberg::kNotImplemented; }

    Steinberg::Vst::BusList* getBusList(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir);

    Steinberg::Vst::BusList audioInputs;
    Steinberg::Vst::BusList audioOutputs;
    Steinberg::Vst::BusList eventInputs;
    Steinberg::Vst::BusList eventOutputs;
    Steinberg::Vst::ProcessSetup processSetup;

private:
    bool initialized = false;
};

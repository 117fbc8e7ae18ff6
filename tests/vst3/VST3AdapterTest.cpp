// The VST3 adapter driven in-process through the SDK interfaces, where the test can also look
// at the instance core: host identification, the link to the editor and its views, edits and
// gestures reported to the host, transport, latency, instruments with MIDI, and the guards
// against careless hosts.

#include "GainDelayEffect.h"
#include "HostIdentification.h"
#include "HostObjects.h"
#include "IVST3Parameter.h"
#include "RecordingEditor.h"
#include "VST3Text.h"

#include "public.sdk/source/common/memorystream.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstevents.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

extern "C" IPluginFactory* PLUGIN_API GetPluginFactory();
extern "C" bool PLUGIN_API ExitDll();

namespace {

constexpr int32 kBlock = 64;

std::basic_string<TChar> WideString(const TChar* text)
{
    return text;
}

// The test plug-in with a log of the hooks the adapter calls.
class ObservedEffect : public GainDelayEffect
{
public:
    ObservedEffect() : GainDelayEffect(nullptr) {}
    void OnEditorOpened() override { log += "opened "; }
    void OnEditorClosed() override { log += "closed "; }
    void OnWindowResized() override { log += "resized "; }
    void OnHostKnown() override { log += "host "; }
    void OnActivationChanged(bool active) override { log += active ? "active " : "inactive "; }
    std::string log;
};

// A reference-counted instance that goes away with the test.
template <class Effect>
struct Instance
{
    Instance() : effect(new Effect) {}
    ~Instance() { effect->release(); }
    Effect* operator->() { return effect; }
    IComponent* component() { return effect; }
    IAudioProcessor* processor() { return effect; }
    IEditController* controller() { return effect; }
    Effect* effect;
};

class RecordingFrame : public IPlugFrame
{
public:
    std::vector<ViewRect> requests;
    IPlugView* lastView = nullptr;
    tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) override
    {
        lastView = view;
        requests.push_back(*newSize);
        return kResultOk;
    }
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override
    {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }
};

class RecordingMenu : public IContextMenu
{
public:
    int popups = 0;
    int releases = 0;
    UCoord x = 0, y = 0;
    int32 PLUGIN_API getItemCount() override { return 0; }
    tresult PLUGIN_API getItem(int32, Item&, IContextMenuTarget**) override { return kResultFalse; }
    tresult PLUGIN_API addItem(const Item&, IContextMenuTarget*) override { return kResultOk; }
    tresult PLUGIN_API removeItem(const Item&, IContextMenuTarget*) override { return kResultOk; }
    tresult PLUGIN_API popup(UCoord atX, UCoord atY) override
    {
        ++popups;
        x = atX;
        y = atY;
        return kResultOk;
    }
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override
    {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return ++releases, 1; }
};

class MenuHandler : public RecordingComponentHandler
{
public:
    RecordingMenu menu;
    IContextMenu* PLUGIN_API createContextMenu(IPlugView* view, const ParamID* paramId) override
    {
        RecordingComponentHandler::createContextMenu(view, paramId);
        return &menu;
    }
};

// Processes one block of frames in the given precision with optional parameter changes and
// context; answers the output.
template <class Sample = double>
std::vector<std::vector<Sample>> ProcessBlock(IAudioProcessor* processor, int32 channels,
                                              std::vector<std::vector<Sample>> input,
                                              IParameterChanges* changes = nullptr,
                                              ProcessContext* context = nullptr)
{
    const int32 frames = input.empty() ? 0 : static_cast<int32>(input[0].size());
    std::vector<std::vector<Sample>> output(static_cast<size_t>(channels), std::vector<Sample>(frames, Sample(-7)));
    std::vector<Sample*> in, out;
    for (auto& c : input)
        in.push_back(c.data());
    for (auto& c : output)
        out.push_back(c.data());
    AudioBusBuffers inBus, outBus;
    inBus.numChannels = static_cast<int32>(in.size());
    outBus.numChannels = channels;
    ProcessData data;
    if constexpr (sizeof(Sample) == sizeof(float))
    {
        inBus.channelBuffers32 = in.data();
        outBus.channelBuffers32 = out.data();
        data.symbolicSampleSize = kSample32;
    }
    else
    {
        inBus.channelBuffers64 = in.data();
        outBus.channelBuffers64 = out.data();
        data.symbolicSampleSize = kSample64;
    }
    data.numSamples = frames;
    data.numInputs = 1;
    data.inputs = &inBus;
    data.numOutputs = 1;
    data.outputs = &outBus;
    data.inputParameterChanges = changes;
    data.processContext = context;
    EXPECT_EQ(processor->process(data), kResultOk);
    return output;
}

template <class Sample = double>
std::vector<std::vector<Sample>> Ramp(int32 channels, int32 frames, double scale)
{
    std::vector<std::vector<Sample>> signal(static_cast<size_t>(channels), std::vector<Sample>(frames));
    for (int32 c = 0; c < channels; ++c)
        for (int32 f = 0; f < frames; ++f)
            signal[static_cast<size_t>(c)][static_cast<size_t>(f)] =
                static_cast<Sample>(scale * ((f * 37 + c * 11) % 101 - 50) / 50.0);
    return signal;
}

template <class Effect>
void PrepareToProcess(Instance<Effect>& instance, double rate = 44100.0, int32 mode = kRealtime)
{
    ASSERT_EQ(instance.component()->initialize(nullptr), kResultOk);
    for (BusDirection dir : {kInput, kOutput})
        for (int32 b = 0; b < instance.component()->getBusCount(kAudio, dir); ++b)
            instance.component()->activateBus(kAudio, dir, b, true);
    ProcessSetup setup{mode, kSample64, kBlock, rate};
    ASSERT_EQ(instance.processor()->setupProcessing(setup), kResultOk);
    instance.component()->setActive(true);
}

} // namespace

// ---- Identity and host -----------------------------------------------------------------------------

TEST(VST3Adapter, AnswersClassNameQueriesWithItsOwnAndTheSdkNames)
{
    Instance<ObservedEffect> instance;
    EXPECT_STREQ(instance->isA(), "IEffectVST3");
    for (const char* name : {"IEffectVST3", "SingleComponentEffect", "EditControllerEx1", "EditController",
                             "ComponentBase", "FObject"})
        EXPECT_TRUE(instance->isTypeOf(name)) << name;
    EXPECT_FALSE(instance->isTypeOf("Component"));

    ASSERT_EQ(instance.component()->initialize(nullptr), kResultOk);
    Steinberg::Vst::Parameter* param = instance->getParameterObject(0);
    ASSERT_NE(param, nullptr);
    EXPECT_STREQ(param->isA(), "IVST3Parameter");
    EXPECT_TRUE(param->isTypeOf("Parameter"));
    EXPECT_EQ(instance->GetApiKind(), kApiVST3);
}

TEST(VST3Adapter, InitializeIdentifiesTheHostByItsName)
{
    // The host's objects outlive the instances that hold them until terminate.
    TestHostApplication reaper("REAPER (x64)");
    TestHostApplication cubase("Cubase Pro");
    TestHostApplication someHost("Some Studio");

    Instance<ObservedEffect> instance;
    EXPECT_EQ(instance->GetHostId(), kHostNotIdentified);
    EXPECT_EQ(instance.component()->initialize(&reaper), kResultOk);
    EXPECT_EQ(instance->GetHostId(), kHostReaper);
    EXPECT_EQ(instance->HostVersion(), 0);
    EXPECT_EQ(instance->log, "host ");
    // A repeated initialisation still learns the host, but is refused.
    EXPECT_EQ(instance.controller()->initialize(&cubase), kResultFalse);
    EXPECT_EQ(instance->GetHostId(), kHostCubase);

    Instance<ObservedEffect> unnamed;
    unnamed.component()->initialize(&someHost);
    EXPECT_EQ(unnamed->GetHostId(), kHostUnknown);

    Instance<ObservedEffect> contextless;
    contextless.component()->initialize(nullptr);
    EXPECT_EQ(contextless->GetHostId(), kHostNotIdentified);
}

TEST(VST3Adapter, OfflineModeAndTheDefaultProcessSetUp)
{
    Instance<ObservedEffect> instance;
    const ProcessSetup& defaults = instance->getProcessSetup();
    EXPECT_EQ(defaults.sampleRate, 44100.0);
    EXPECT_EQ(defaults.maxSamplesPerBlock, 1024);
    EXPECT_EQ(defaults.processMode, kRealtime);
    EXPECT_EQ(defaults.symbolicSampleSize, kSample32);
    EXPECT_FALSE(instance->IsOfflineRender());

    PrepareToProcess(instance, 96000.0, kOffline);
    EXPECT_TRUE(instance->IsOfflineRender());
    EXPECT_EQ(instance->SampleRate(), 96000.0);
    EXPECT_EQ(instance->BlockSize(), kBlock);
    EXPECT_EQ(instance->log, "host active ");
    instance.component()->setActive(false);
    EXPECT_EQ(instance->log, "host active inactive ");
}

TEST(VST3Adapter, TransportComesFromTheLastProcessContext)
{
    Instance<ObservedEffect> instance;
    PrepareToProcess(instance);
    ITransportInfo before;
    before.tempo = 99.0;
    instance->GetTransportInfo(&before);
    EXPECT_EQ(before.tempo, 0.0);

    ProcessContext context{};
    context.state = ProcessContext::kPlaying | ProcessContext::kCycleActive;
    context.projectTimeSamples = (int64{1} << 32) + 5;
    context.projectTimeMusic = 16.5;
    context.barPositionMusic = 16.0;
    context.cycleStartMusic = 8.0;
    context.cycleEndMusic = 24.0;
    context.tempo = 133.0;
    context.timeSigNumerator = 7;
    context.timeSigDenominator = 8;
    ProcessBlock(instance.processor(), 2, Ramp(2, 0, 1.0), nullptr, &context);

    EXPECT_EQ(instance->GetSamplePosition(), 5);  // the low 32 bits
    EXPECT_EQ(instance->GetHostTempo(), 133.0);
    int32_t numerator = 0, denominator = 0;
    instance->GetTimeSignature(&numerator, &denominator);
    EXPECT_EQ(numerator, 7);
    EXPECT_EQ(denominator, 8);
    ITransportInfo info;
    instance->GetTransportInfo(&info);
    EXPECT_EQ(info.samplePosition, static_cast<double>((int64{1} << 32) + 5));
    EXPECT_EQ(info.musicalPosition, 16.5);
    EXPECT_EQ(info.lastBarStart, 16.0);
    EXPECT_EQ(info.cycleStart, 8.0);
    EXPECT_EQ(info.cycleEnd, 24.0);
    EXPECT_TRUE(info.transportPlaying);
    EXPECT_TRUE(info.cycleActive);
    instance->GetTimeSignature(nullptr, nullptr);
    instance->GetTransportInfo(nullptr);
}

// ---- Reports to the host -----------------------------------------------------------------------------

TEST(VST3Adapter, EditorEditsAndGesturesReachTheComponentHandler)
{
    Instance<ObservedEffect> instance;
    instance.component()->initialize(nullptr);
    // Without a handler there is nobody to tell, and nothing breaks.
    instance->BeginParameterGesture(3);
    instance->SetParameterFromEditor(3, 0.25);
    instance->EndParameterGesture(3);

    RecordingComponentHandler handler;
    instance.controller()->setComponentHandler(&handler);
    instance->BeginParameterGesture(3);
    instance->SetParameterFromEditor(3, 0.75);
    instance->EndParameterGesture(3);
    ASSERT_EQ(handler.edits.size(), 3u);
    EXPECT_EQ(handler.edits[0].kind, 'b');
    EXPECT_EQ(handler.edits[1].kind, 'p');
    EXPECT_EQ(handler.edits[1].id, 3u);
    EXPECT_EQ(handler.edits[1].value, 0.75);
    EXPECT_EQ(handler.edits[2].kind, 'e');
    EXPECT_DOUBLE_EQ(instance.controller()->getParamNormalized(3), 0.75);
    instance.controller()->setComponentHandler(nullptr);
}

TEST(VST3Adapter, LatencyChangesRestartTheComponentAndDelayTheBypass)
{
    Instance<ObservedEffect> instance;
    PrepareToProcess(instance);
    RecordingComponentHandler handler;
    instance.controller()->setComponentHandler(&handler);
    instance->SetLatencySamples(16);
    ASSERT_EQ(handler.restarts.size(), 1u);
    EXPECT_EQ(handler.restarts[0], kLatencyChanged);
    EXPECT_EQ(instance.processor()->getLatencySamples(), 16u);

    HostParamChanges bypass;
    bypass.Add(IEffectVST3::kBypassParamId, 0, 1.0);
    const auto input = Ramp(2, kBlock, 1.0);
    const auto output = ProcessBlock(instance.processor(), 2, input, &bypass);
    for (size_t c = 0; c < 2; ++c)
        for (int32 f = 0; f < kBlock; ++f)
            EXPECT_EQ(output[c][static_cast<size_t>(f)], f < 16 ? 0.0 : input[c][static_cast<size_t>(f - 16)]);
    instance.controller()->setComponentHandler(nullptr);
}

// ---- The editor ------------------------------------------------------------------------------------------

TEST(VST3Adapter, HostChangesAndRestoredStateReachTheEditor)
{
    Instance<ObservedEffect> instance;
    auto* editor = new RecordingEditor;
    instance->AttachEditor(editor);
    PrepareToProcess(instance);
    editor->pushes.clear();

    HostParamChanges changes;
    changes.Add(2, 0, 0.3);
    ProcessBlock(instance.processor(), 2, Ramp(2, 8, 1.0), &changes);
    ASSERT_EQ(editor->pushes.size(), 1u);
    EXPECT_EQ(editor->pushes[0].index, 2);
    EXPECT_EQ(editor->pushes[0].value, 0.3);
    EXPECT_TRUE(editor->pushes[0].normalized);

    MemoryStream state;
    instance.component()->getState(&state);
    state.seek(0, IBStream::kIBSeekSet, nullptr);
    editor->pushes.clear();
    ASSERT_EQ(instance.component()->setState(&state), kResultOk);
    ASSERT_EQ(editor->pushes.size(), static_cast<size_t>(instance->ParameterCount()));
    EXPECT_EQ(editor->pushes[2].value, instance->Parameter(2)->Value());
    EXPECT_FALSE(editor->pushes[2].normalized);
}

TEST(VST3Adapter, ViewShowsAnAttachedEditorInAWindowHandle)
{
    Instance<ObservedEffect> instance;
    auto* editor = new RecordingEditor;
    instance->AttachEditor(editor);
    instance.component()->initialize(nullptr);
    IPlugView* view = instance.controller()->createView("editor");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeNSView), kResultFalse);
    EXPECT_EQ(view->isPlatformTypeSupported(nullptr), kResultFalse);

    ViewRect size;
    ASSERT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.left, 0);
    EXPECT_EQ(size.top, 0);
    EXPECT_EQ(size.getWidth(), 251);
    EXPECT_EQ(size.getHeight(), 373);
    EXPECT_EQ(view->getSize(nullptr), kInvalidArgument);

    int parent = 0;
    EXPECT_EQ(view->attached(&parent, kPlatformTypeX11EmbedWindowID), kResultFalse);
    EXPECT_EQ(view->attached(nullptr, kPlatformTypeHWND), kInvalidArgument);
    EXPECT_EQ(editor->openCount, 0);
    ASSERT_EQ(view->attached(&parent, kPlatformTypeHWND), kResultOk);
    EXPECT_EQ(editor->openCount, 1);
    EXPECT_EQ(editor->openedIn, &parent);
    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_EQ(editor->closeCount, 1);
    // A second removal has no window to close.
    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_EQ(editor->closeCount, 1);
    EXPECT_EQ(instance->log, "host opened closed ");

    // A window that cannot be made is no attachment.
    editor->opens = false;
    EXPECT_EQ(view->attached(&parent, kPlatformTypeHWND), kResultFalse);
    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_EQ(instance->log, "host opened closed ");
    view->release();
}

TEST(VST3Adapter, AViewReleasedWithoutRemovalClosesItsWindowFirst)
{
    Instance<ObservedEffect> instance;
    auto* editor = new RecordingEditor;
    instance->AttachEditor(editor);
    IPlugView* view = instance.controller()->createView("editor");
    ASSERT_NE(view, nullptr);
    int parent = 0;
    ASSERT_EQ(view->attached(&parent, kPlatformTypeHWND), kResultOk);
    view->release();
    EXPECT_EQ(editor->closeCount, 1);
    EXPECT_EQ(instance->log, "opened closed ");

    // A removed view has nothing left to close when it goes.
    view = instance.controller()->createView("editor");
    ASSERT_EQ(view->attached(&parent, kPlatformTypeHWND), kResultOk);
    EXPECT_EQ(view->removed(), kResultOk);
    view->release();
    EXPECT_EQ(editor->closeCount, 2);
}

TEST(VST3Adapter, EditorResizeAsksTheFrameAndReportsTheNewSize)
{
    Instance<ObservedEffect> instance;
    instance.component()->initialize(nullptr);
    IPlugView* view = instance.controller()->createView("editor");
    RecordingFrame frame;
    view->setFrame(&frame);
    instance->EditorResized(300, 400);  // no editor: nothing to resize
    EXPECT_TRUE(frame.requests.empty());

    instance->AttachEditor(new RecordingEditor);
    instance->EditorResized(300, 400);
    ASSERT_EQ(frame.requests.size(), 1u);
    EXPECT_EQ(frame.lastView, view);
    EXPECT_EQ(frame.requests[0].right, 300);
    EXPECT_EQ(frame.requests[0].bottom, 400);
    ViewRect granted(0, 0, 300, 400);
    EXPECT_EQ(view->onSize(&granted), kResultOk);
    EXPECT_EQ(view->onSize(&granted), kResultOk);
    EXPECT_EQ(instance->log, "host resized ");
    view->release();
}

TEST(VST3Adapter, HostContextMenuOpensOverTheFirstView)
{
    Instance<ObservedEffect> instance;
    instance.component()->initialize(nullptr);
    instance->ShowHostParameterMenu(5, 10, 20);  // no handler, no view
    MenuHandler handler;
    instance.controller()->setComponentHandler(&handler);
    instance->ShowHostParameterMenu(5, 10, 20);  // no view yet
    EXPECT_EQ(handler.contextMenus, 0);

    IPlugView* first = instance.controller()->createView("editor");
    IPlugView* second = instance.controller()->createView("editor");
    EXPECT_EQ(instance->OpenViewCount(), 2);
    instance->ShowHostParameterMenu(5, 10, 20);
    EXPECT_EQ(handler.contextMenus, 1);
    EXPECT_EQ(handler.contextMenuView, first);
    EXPECT_EQ(handler.contextMenuParam, 5u);
    EXPECT_EQ(handler.menu.popups, 1);
    EXPECT_EQ(handler.menu.x, 10);
    EXPECT_EQ(handler.menu.y, 20);
    EXPECT_EQ(handler.menu.releases, 1);

    // Closing one view leaves the other in service.
    first->release();
    EXPECT_EQ(instance->OpenViewCount(), 1);
    instance->ShowHostParameterMenu(6, 1, 2);
    EXPECT_EQ(handler.contextMenuView, second);
    second->release();
    EXPECT_EQ(instance->OpenViewCount(), 0);
    instance.controller()->setComponentHandler(nullptr);
}

// ---- Buses and channels ----------------------------------------------------------------------------------

TEST(VST3Adapter, ReplacedBusesKeepTheirActivation)
{
    for (bool active : {true, false})
    {
        Instance<ObservedEffect> instance;
        PrepareToProcess(instance);
        instance.component()->activateBus(kAudio, kOutput, 0, active);
        SpeakerArrangement mono = SpeakerArr::kMono;
        ASSERT_EQ(instance.processor()->setBusArrangements(&mono, 1, &mono, 1), kResultOk);
        const auto output = ProcessBlock(instance.processor(), 1, Ramp(1, 8, 1.0));
        // An inactive bus is not written to at all.
        EXPECT_EQ(output[0][3] == -7.0, !active);
    }
}

TEST(VST3Adapter, AnInputLeftOutOfTheBusesReadsSilenceNotItsLastBlock)
{
    // Mono mode mixes both inputs, so a stale second input would be heard. Single-precision
    // input passes through the channels' own buffers, where a stale block could stay.
    HostParamChanges monoMode;
    monoMode.Add(GainDelayEffect::kMode, 0, 1.0);
    SpeakerArrangement mono = SpeakerArr::kMono;
    ProcessSetup setup{kRealtime, kSample32, kBlock, 44100.0};

    Instance<ObservedEffect> used;
    PrepareToProcess(used);
    used.processor()->setupProcessing(setup);
    ProcessBlock<float>(used.processor(), 2, Ramp<float>(2, kBlock, 1.0), &monoMode);
    used.component()->setActive(false);
    used.processor()->setBusArrangements(&mono, 1, &mono, 1);
    used.processor()->setupProcessing(setup);
    used.component()->setActive(true);

    Instance<ObservedEffect> fresh;
    PrepareToProcess(fresh);
    fresh.processor()->setupProcessing(setup);
    ProcessBlock<float>(fresh.processor(), 2, Ramp<float>(2, 0, 1.0), &monoMode);
    fresh.processor()->setBusArrangements(&mono, 1, &mono, 1);

    const auto input = Ramp<float>(1, kBlock, 0.5);
    EXPECT_EQ(ProcessBlock<float>(used.processor(), 1, input), ProcessBlock<float>(fresh.processor(), 1, input));
}

namespace {

// An instrument with MIDI input and two stereo output pairs, which logs the MIDI it receives.
class MidiInstrument : public IEffectVST3
{
public:
    static const IEffectConfig& Config()
    {
        static const IEffectConfig config = {"Test Synth", "", "Tessivane Audio", FourCharCode('T', 's', 'v', 's'),
                                             FourCharCode('T', 's', 'v', 'n'), 0x00010000, "0-4", 2, 1,
                                             100, 100, true, true, true};
        return config;
    }
    MidiInstrument() : IEffectVST3(nullptr, Config())
    {
        Parameter(0)->InitContinuous("Level", 0.5, 0.0, 1.0, 0.01, "");
        Parameter(1)->InitContinuous("Tone", 0.5, 0.0, 1.0, 0.01, "");
    }
    void ProcessMidiMessage(const IMidiMessage& message) override { midi.push_back(message); }
    void ProcessAudioBlock(double**, double** outputs, int32_t frames) override
    {
        for (int32_t c = 0; c < OutputCount(); ++c)
            for (int32_t f = 0; f < frames; ++f)
                outputs[c][f] = c + 1;
    }
    std::vector<IMidiMessage> midi;
};

class EventList : public IEventList
{
public:
    std::vector<Event> events;
    int32 PLUGIN_API getEventCount() override { return static_cast<int32>(events.size()); }
    tresult PLUGIN_API getEvent(int32 index, Event& e) override
    {
        if (index < 0 || index >= getEventCount())
            return kInvalidArgument;
        e = events[static_cast<size_t>(index)];
        return kResultOk;
    }
    tresult PLUGIN_API addEvent(Event& e) override
    {
        events.push_back(e);
        return kResultOk;
    }
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override
    {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }
};

} // namespace

TEST(VST3Adapter, InstrumentsGetOutputPairsAnEventBusAndNoBypass)
{
    Instance<MidiInstrument> instance;
    PrepareToProcess(instance);
    IComponent* component = instance.component();
    EXPECT_EQ(component->getBusCount(kAudio, kInput), 0);
    ASSERT_EQ(component->getBusCount(kAudio, kOutput), 2);
    ASSERT_EQ(component->getBusCount(kEvent, kInput), 1);
    BusInfo info{};
    component->getBusInfo(kAudio, kOutput, 1, info);
    EXPECT_EQ(info.channelCount, 2);
    EXPECT_EQ(info.name[7], '2');  // "Output 2"
    component->getBusInfo(kEvent, kInput, 0, info);
    EXPECT_EQ(info.channelCount, 1);
    EXPECT_EQ(instance.controller()->getParameterCount(), 1 + 2);  // preset and the two, no bypass

    // The second pair is switched off: its buffers stay as they were.
    component->activateBus(kAudio, kOutput, 1, false);
    double buffers[4][8];
    for (auto& channel : buffers)
        std::fill(std::begin(channel), std::end(channel), -7.0);
    double* pair1[2] = {buffers[0], buffers[1]};
    double* pair2[2] = {buffers[2], buffers[3]};
    AudioBusBuffers outs[2];
    outs[0].numChannels = outs[1].numChannels = 2;
    outs[0].channelBuffers64 = pair1;
    outs[1].channelBuffers64 = pair2;

    EventList events;
    Event on{};
    on.type = Event::kNoteOnEvent;
    on.sampleOffset = 3;
    on.noteOn = {3, 60, 0.0f, 0.5f, 0, -1};
    Event off{};
    off.type = Event::kNoteOffEvent;
    off.sampleOffset = 6;
    off.noteOff = {3, 60, 0.9f, -1, 0.0f};
    Event other{};
    other.type = Event::kDataEvent;
    events.events = {on, other, off};

    ProcessData data;
    data.symbolicSampleSize = kSample64;
    data.numSamples = 8;
    data.numOutputs = 2;
    data.outputs = outs;
    data.inputEvents = &events;
    ASSERT_EQ(instance.processor()->process(data), kResultOk);
    EXPECT_EQ(buffers[0][5], 1.0);
    EXPECT_EQ(buffers[1][5], 2.0);
    EXPECT_EQ(buffers[2][5], -7.0);
    EXPECT_EQ(buffers[3][5], -7.0);

    ASSERT_EQ(instance->midi.size(), 2u);
    EXPECT_EQ(instance->midi[0].sampleOffset, 3);
    EXPECT_EQ(instance->midi[0].status, 0x93);
    EXPECT_EQ(instance->midi[0].data1, 60);
    EXPECT_EQ(instance->midi[0].data2, 63);
    EXPECT_EQ(instance->midi[1].status, 0x83);
    EXPECT_EQ(instance->midi[1].data2, 0);
}

// ---- Module entry points ---------------------------------------------------------------------------------

TEST(VST3Adapter, FactoryLivesOnWhileTheHostHoldsIt)
{
    IPluginFactory* factory = GetPluginFactory();
    ASSERT_NE(factory, nullptr);
    IPluginFactory* again = GetPluginFactory();
    EXPECT_EQ(again, factory);
    again->release();
    EXPECT_TRUE(ExitDll());
    PFactoryInfo info;
    EXPECT_EQ(factory->getFactoryInfo(&info), kResultOk);
    factory->release();
    // A module entered again makes a factory again.
    IPluginFactory* reborn = GetPluginFactory();
    ASSERT_NE(reborn, nullptr);
    EXPECT_EQ(reborn->countClasses(), 1);
    reborn->release();
    EXPECT_TRUE(ExitDll());
    EXPECT_TRUE(ExitDll());
}

// ---- Texts -----------------------------------------------------------------------------------------------

TEST(VST3Text, WidensUtf8AndStrayBytes)
{
    TChar wide[16];
    WidenText("Pre-delay", wide, 16);
    EXPECT_EQ(WideString(wide), STR16("Pre-delay"));
    WidenText("\xC2\xB5s", wide, 16);  // UTF-8 micro sign
    EXPECT_EQ(WideString(wide), STR16("\u00B5s"));
    WidenText("\xB5s", wide, 16);  // a Latin-1 byte on its own
    EXPECT_EQ(WideString(wide), STR16("\u00B5s"));
    WidenText("\xE2\x82", wide, 16);  // a cut sequence
    EXPECT_EQ(WideString(wide), STR16("\u00E2\u0082"));
    WidenText("a\xF0\x9F\x8E\xB5", wide, 16);  // beyond the basic plane: a surrogate pair
    EXPECT_EQ(WideString(wide), STR16("a\U0001F3B5"));
    WidenText("a\xF0\x9F\x8E\xB5", wide, 3);  // never half a pair
    EXPECT_EQ(WideString(wide), STR16("a"));
    WidenText("abcdef", wide, 4);
    EXPECT_EQ(WideString(wide), STR16("abc"));
    WidenText(nullptr, wide, 4);
    EXPECT_EQ(wide[0], 0);
}

TEST(VST3Text, NarrowsToSingleBytes)
{
    char narrow[8];
    NarrowText(STR16("Cub\u00E9 \u2603"), narrow, sizeof narrow);
    EXPECT_STREQ(narrow, "Cub\xE9 ?");
    NarrowText(STR16("abcdefghij"), narrow, sizeof narrow);
    EXPECT_STREQ(narrow, "abcdefg");
    NarrowText(nullptr, narrow, sizeof narrow);
    EXPECT_STREQ(narrow, "");
}

TEST(VST3Text, ParameterReadsNumbersIntoItsRange)
{
    IParamEntry entry;
    entry.InitContinuous("Delay", 120.0, 1.0, 500.0, 0.01, "ms");
    entry.SetShape(2.0);
    IVST3Parameter param(entry, 1, 0);
    ParamValue n = -1.0;
    ASSERT_TRUE(param.fromString(STR16("125.75"), n));
    EXPECT_DOUBLE_EQ(param.toPlain(n), 125.75);
    ASSERT_TRUE(param.fromString(STR16("inf"), n));
    EXPECT_EQ(n, 1.0);
    ASSERT_TRUE(param.fromString(STR16("-20"), n));
    EXPECT_EQ(n, 0.0);
    // Numbers beyond the range of doubles clamp like any other; text without one is refused.
    ASSERT_TRUE(param.fromString(STR16("1e999"), n));
    EXPECT_EQ(n, 1.0);
    ASSERT_TRUE(param.fromString(STR16("-1e999"), n));
    EXPECT_EQ(n, 0.0);
    n = 0.5;
    EXPECT_FALSE(param.fromString(STR16("many"), n));
    EXPECT_FALSE(param.fromString(STR16("nan"), n));
    EXPECT_EQ(n, 0.5);
    EXPECT_FALSE(param.fromString(nullptr, n));
    TChar text[128];
    param.toString(param.toNormalized(42.0), text);
    EXPECT_EQ(WideString(text), STR16("42.00"));
    EXPECT_EQ(param.getPrecision(), 2);
}

// A VST3 test host: loads the built module as a host does and checks what hosts check before
// they offer a plug-in to users - factory, class information, buses, parameters, processing
// in both sample sizes, state, programs, units and views - and that its audio matches the same
// plug-in rendered offline, number for number.

#include "HostedEffect.h"
#include "IEffectAdapter.h"
#include "OfflineReference.h"

#include "public.sdk/source/common/memorystream.h"
#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/gui/iplugview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr ParamID kPresetId = 0x70727374;  // 'prst'
constexpr ParamID kBypassId = 0x62706173;  // 'bpas'
constexpr int32 kStateBytesPerParameter = 8;

std::string Narrow(const char16* text)
{
    std::string s;
    for (; text && *text; ++text)
        s += *text < 128 ? static_cast<char>(*text) : '?';
    return s;
}

std::string StreamBytes(MemoryStream& stream)
{
    return std::string(stream.getData(), static_cast<size_t>(stream.getSize()));
}

// Value `index` of a component state: little-endian doubles whatever this machine is.
double ValueInState(const std::string& state, int32 index)
{
    const size_t first = static_cast<size_t>(index * kStateBytesPerParameter);
    uint64_t bits = 0;
    for (int k = kStateBytesPerParameter - 1; k >= 0; --k)
        bits = (bits << 8) | static_cast<unsigned char>(state[first + static_cast<size_t>(k)]);
    double value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

// A stream holding the given bytes, positioned at their start.
std::unique_ptr<MemoryStream> StreamOf(const std::string& bytes)
{
    auto stream = std::make_unique<MemoryStream>();
    int32 written = 0;
    if (!bytes.empty())
        stream->write(const_cast<char*>(bytes.data()), static_cast<int32>(bytes.size()), &written);
    stream->seek(0, IBStream::kIBSeekSet, nullptr);
    return stream;
}

// RenderHosted, checking that every block's output silence flags name exactly the channels
// that are all zeros in it.
Channels RenderFlagged(HostedEffect& effect, const RenderPlan& plan, const Channels& input, int32 sampleSize)
{
    BlockRenderer renderer(effect, plan, input, sampleSize);
    renderer.Begin();
    while (renderer.Step())
    {
    }
    const Channels output = renderer.End();
    const std::vector<uint64>& flags = renderer.OutputSilenceFlags();
    int32 first = 0;
    for (size_t b = 0; b < plan.blocks.size(); ++b)
    {
        const int32 frames = plan.blocks[b].frames;
        if (frames <= 0)
            continue;  // a parameter flush has no audio to flag
        EXPECT_EQ(flags[b], SilentChannels(output, first, frames)) << "block " << b;
        first += frames;
    }
    return output;
}

// The worst difference seen between hosted and offline renders, reported at the end.
double worstDifference = 0.0;
int renderComparisons = 0;

class VST3Host : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        module = new HostedModule;
        opened = module->Open(TESSIVANE_VST3_BUNDLE);
    }
    static void TearDownTestSuite()
    {
        delete module;
        module = nullptr;
        printf("[ host     ] %d hosted renders compared with offline renders; largest difference %.3g\n",
               renderComparisons, worstDifference);
    }

    void SetUp() override
    {
        ASSERT_TRUE(opened) << "cannot load " << TESSIVANE_VST3_BUNDLE;
        reference.reset(CreatePluginInstance(nullptr));
        reference->SelectPreset(0);
        ExpectedClassId(classId);
    }

    static void ExpectedClassId(TUID cid)
    {
        const IEffectConfig& config = PluginConfig();
        const unsigned char prefix[8] = {0x0D, 0xE7, 0xAE, 0xF2, 0xDE, 0x00, 0x4E, 0x4F};
        memcpy(cid, prefix, sizeof prefix);
        for (int i = 0; i < 4; ++i)
        {
            cid[8 + i] = static_cast<int8>(static_cast<uint32_t>(config.makerId) >> (24 - 8 * i));
            cid[12 + i] = static_cast<int8>(static_cast<uint32_t>(config.uniqueId) >> (24 - 8 * i));
        }
    }

    std::unique_ptr<HostedEffect> NewEffect()
    {
        auto effect = std::make_unique<HostedEffect>(module->Factory(), classId);
        EXPECT_TRUE(effect->IsValid());
        if (effect->IsValid())
        {
            EXPECT_EQ(effect->Initialize(&hostApplication), kResultOk);
        }
        return effect;
    }

    // Position of a plug-in parameter in the host's parameter list.
    int32 ListIndexOf(int32 paramIndex) const
    {
        return paramIndex + (reference->PresetCount() > 0 ? 1 : 0) + (reference->IsInstrument() ? 0 : 1);
    }

    std::string ComponentState(HostedEffect& effect)
    {
        MemoryStream stream;
        EXPECT_EQ(effect.component->getState(&stream), kResultOk);
        return StreamBytes(stream);
    }

    std::string ControllerState(HostedEffect& effect)
    {
        MemoryStream stream;
        EXPECT_EQ(effect.controller->getState(&stream), kResultOk);
        return StreamBytes(stream);
    }

    // The component state of an instance whose parameters took the even and the odd
    // normalised value by turns, set through the controller.
    std::string StateOfAlternatingValues(double even, double odd)
    {
        auto source = NewEffect();
        for (int32 i = 0; i < reference->ParameterCount(); ++i)
            source->controller->setParamNormalized(i, i % 2 ? odd : even);
        return ComponentState(*source);
    }

    void ExpectMatchesOffline(const RenderPlan& plan, int32 sampleSize, unsigned seed)
    {
        ExpectMatchesOffline(plan, sampleSize, TestSignal(plan.channels, plan.TotalFrames(), plan.sampleRate, seed));
    }

    void ExpectMatchesOffline(const RenderPlan& plan, int32 sampleSize, const Channels& input)
    {
        auto effect = NewEffect();
        const Channels hosted = RenderFlagged(*effect, plan, input, sampleSize);
        const Channels offline = RenderOffline(plan, input, sampleSize);
        const double difference = MaxDifference(hosted, offline);
        EXPECT_TRUE(AllFinite(hosted));
        // Two silent renders would agree without proving anything.
        if (plan.inputBus)
        {
            const Channels silence(hosted.size(), std::vector<double>(hosted.empty() ? 0 : hosted[0].size()));
            EXPECT_GT(MaxDifference(hosted, silence), 1e-3);
        }
        EXPECT_LE(difference, 1e-12) << "rate " << plan.sampleRate << " block " << plan.maxBlock << " size "
                                     << sampleSize;
        worstDifference = std::max(worstDifference, difference);
        ++renderComparisons;
    }

    static HostedModule* module;
    static bool opened;
    TestHostApplication hostApplication{"Tessivane Test Host"};
    std::unique_ptr<IEffectAdapter> reference;  // the same plug-in, offline: what to expect
    TUID classId{};
};

HostedModule* VST3Host::module = nullptr;
bool VST3Host::opened = false;

// Blocks of `block` frames with a few parameter changes on the way.
RenderPlan PlanWithChanges(double rate, int32 block, int32 frames)
{
    RenderPlan plan;
    plan.sampleRate = rate;
    plan.maxBlock = block;
    for (int32 done = 0, n = 0; done < frames; ++n)
    {
        RenderBlock next{std::min(block, frames - done), {}};
        if (done >= frames / 4 && plan.blocks.size() > 0 && n % 7 == 3)
            next.changes = {{1, 0.8}, {3, 0.3 + 0.05 * (n % 5)}};
        if (n == 5)
            next.changes.push_back({4, 0.9});
        plan.blocks.push_back(next);
        done += next.frames;
    }
    return plan;
}

// Feeds one block of a burst and then silence, which the host flags as such, to a hosted
// instance and to the same plug-in offline, in step, block by block. Every block must agree
// exactly and carry the flags of the channels that are all zeros. Answers the time until
// every channel fell silent for good, or -1 when it never did within ten minutes.
template <class Sample>
double SecondsUntilFlaggedSilence(HostedEffect& hosted, const RenderPlan& plan)
{
    constexpr int32 kBlocksAfterSilence = 16;
    constexpr uint64 kBothChannels = 3;
    const int32 block = plan.maxBlock;
    const int32 maxBlocks = static_cast<int32>(600.0 * plan.sampleRate / block);
    std::unique_ptr<IEffectAdapter> offline = PreparedOffline(plan);

    using Buffers = std::vector<std::vector<Sample>>;
    const Channels burst = TestSignal(2, block, plan.sampleRate, 61);
    Buffers in(2, std::vector<Sample>(static_cast<size_t>(block))), out = in, expected = in;
    for (size_t c = 0; c < 2; ++c)
        std::copy(burst[c].begin(), burst[c].end(), in[c].begin());
    Sample* inPtrs[2] = {in[0].data(), in[1].data()};
    Sample* outPtrs[2] = {out[0].data(), out[1].data()};
    Sample* expectedPtrs[2] = {expected[0].data(), expected[1].data()};
    AudioBusBuffers inBus, outBus;
    inBus.numChannels = outBus.numChannels = 2;
    ProcessData data;
    if constexpr (sizeof(Sample) == sizeof(float))
    {
        inBus.channelBuffers32 = inPtrs;
        outBus.channelBuffers32 = outPtrs;
        data.symbolicSampleSize = kSample32;
    }
    else
    {
        inBus.channelBuffers64 = inPtrs;
        outBus.channelBuffers64 = outPtrs;
        data.symbolicSampleSize = kSample64;
    }
    data.numSamples = block;
    data.numInputs = data.numOutputs = 1;
    data.inputs = &inBus;
    data.outputs = &outBus;

    int32 silentSince = -1;
    for (int32 b = 0; b < maxBlocks; ++b)
    {
        if (b == 1)
        {
            for (auto& channel : in)
                std::fill(channel.begin(), channel.end(), Sample(0));
            inBus.silenceFlags = kBothChannels;
        }
        outBus.silenceFlags = ~uint64(0);  // bits nobody writes show
        hosted.processor->process(data);
        if constexpr (sizeof(Sample) == sizeof(float))
            offline->ProcessSingle(inPtrs, expectedPtrs, block, IEffectBase::kProcessReplacing);
        else
            offline->ProcessDouble(inPtrs, expectedPtrs, block, false);
        if (out != expected)
        {
            ADD_FAILURE() << "block " << b << " differs from the offline render";
            return -1.0;
        }
        uint64 silent = 0;
        for (size_t c = 0; c < 2; ++c)
            if (std::all_of(out[c].begin(), out[c].end(), [](Sample s) { return s == 0; }))
                silent |= uint64(1) << c;
        EXPECT_EQ(outBus.silenceFlags, silent) << "block " << b;
        if (silentSince < 0 && silent == kBothChannels)
            silentSince = b;
        if (silentSince >= 0 && silent != kBothChannels)
        {
            ADD_FAILURE() << "silence from block " << silentSince << " broken in block " << b;
            return -1.0;
        }
        if (silentSince >= 0 && b == silentSince + kBlocksAfterSilence)
            return silentSince * block / plan.sampleRate;
    }
    return -1.0;
}

} // namespace

// ---- Factory and class information ----------------------------------------------------------------

TEST_F(VST3Host, FactoryDescribesVendorAndOneAudioEffectClass)
{
    IPluginFactory* factory = module->Factory();
    PFactoryInfo info;
    ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
    EXPECT_STREQ(info.vendor, PluginConfig().makerName);
    EXPECT_STREQ(info.url, "https://www.tessivane.com");
    EXPECT_STREQ(info.email, "support@tessivane.com");
    EXPECT_EQ(info.flags, PFactoryInfo::kUnicode);
    ASSERT_EQ(factory->countClasses(), 1);

    PClassInfo classInfo;
    ASSERT_EQ(factory->getClassInfo(0, &classInfo), kResultOk);
    EXPECT_EQ(memcmp(classInfo.cid, classId, sizeof(TUID)), 0);
    EXPECT_EQ(classInfo.cardinality, PClassInfo::kManyInstances);
    EXPECT_STREQ(classInfo.category, "Audio Module Class");
    EXPECT_STREQ(classInfo.name, PluginConfig().effectName);
    EXPECT_NE(factory->getClassInfo(1, &classInfo), kResultOk);
    EXPECT_NE(factory->getClassInfo(-1, &classInfo), kResultOk);
    EXPECT_NE(factory->getClassInfo(0, nullptr), kResultOk);
}

TEST_F(VST3Host, FactoryGivesExtendedAndUnicodeClassInformation)
{
    FUnknownPtr<IPluginFactory2> factory2(module->Factory());
    FUnknownPtr<IPluginFactory3> factory3(module->Factory());
    ASSERT_TRUE(factory2);
    ASSERT_TRUE(factory3);

    PClassInfo2 info2;
    ASSERT_EQ(factory2->getClassInfo2(0, &info2), kResultOk);
    EXPECT_EQ(memcmp(info2.cid, classId, sizeof(TUID)), 0);
    EXPECT_EQ(info2.classFlags, 2u);
    EXPECT_STREQ(info2.subCategories, "Fx");
    EXPECT_STREQ(info2.vendor, "");
    EXPECT_STREQ(info2.version, "1.2.8");
    EXPECT_STREQ(info2.sdkVersion, "VST 3.6.10");
    EXPECT_NE(factory2->getClassInfo2(1, &info2), kResultOk);

    PClassInfoW infoW;
    ASSERT_EQ(factory3->getClassInfoUnicode(0, &infoW), kResultOk);
    EXPECT_EQ(memcmp(infoW.cid, classId, sizeof(TUID)), 0);
    EXPECT_EQ(infoW.cardinality, PClassInfo::kManyInstances);
    EXPECT_STREQ(infoW.category, "Audio Module Class");
    EXPECT_EQ(Narrow(infoW.name), PluginConfig().effectName);
    EXPECT_EQ(infoW.classFlags, 2u);
    EXPECT_STREQ(infoW.subCategories, "Fx");
    EXPECT_EQ(Narrow(infoW.version), "1.2.8");
    EXPECT_EQ(Narrow(infoW.sdkVersion), "VST 3.6.10");
    EXPECT_NE(factory3->getClassInfoUnicode(3, &infoW), kResultOk);
    factory3->setHostContext(&hostApplication);
}

TEST_F(VST3Host, FactoryIsSharedAndCreatesOnlyItsClass)
{
    IPluginFactory* again = module->getPluginFactory();
    EXPECT_EQ(again, module->Factory());
    again->release();

    void* obj = reinterpret_cast<void*>(1);
    TUID other{};
    EXPECT_EQ(module->Factory()->createInstance(other, IComponent::iid, &obj), kNoInterface);
    EXPECT_EQ(obj, nullptr);
    EXPECT_EQ(module->Factory()->createInstance(classId, IComponent::iid, nullptr), kInvalidArgument);
    // An interface the class does not have: nothing is created, nothing leaks.
    EXPECT_NE(module->Factory()->createInstance(classId, IPluginFactory::iid, &obj), kResultOk);
    EXPECT_EQ(obj, nullptr);
}

// ---- Component and controller faces --------------------------------------------------------------

TEST_F(VST3Host, ComponentIsItsOwnControllerWithEveryFace)
{
    HostedEffect effect(module->Factory(), classId);
    ASSERT_TRUE(effect.IsValid());
    ASSERT_NE(effect.units, nullptr);
    FUnknownPtr<IEditController2> controller2(effect.component);
    FUnknownPtr<IConnectionPoint> connection(effect.component);
    FUnknownPtr<IPluginBase> base(effect.controller);
    EXPECT_TRUE(controller2);
    EXPECT_TRUE(connection);
    EXPECT_TRUE(base);
    TUID controllerClass;
    EXPECT_NE(effect.component->getControllerClassId(controllerClass), kResultOk);
    EXPECT_EQ(connection->connect(nullptr), kInvalidArgument);

    EXPECT_EQ(effect.Initialize(&hostApplication), kResultOk);
    // The controller face is the same object: its initialisation is a repeat and says so.
    EXPECT_EQ(effect.controller->initialize(&hostApplication), kResultFalse);
    EXPECT_EQ(controller2->setKnobMode(kLinearMode), kResultOk);
    EXPECT_EQ(controller2->openHelp(false), kResultFalse);
    EXPECT_EQ(controller2->openAboutBox(false), kResultFalse);
    EXPECT_EQ(effect.controller->setComponentState(nullptr), kNotImplemented);
}

TEST_F(VST3Host, InitializeWithoutContextAndTerminateTwice)
{
    HostedEffect effect(module->Factory(), classId);
    ASSERT_TRUE(effect.IsValid());
    EXPECT_EQ(effect.component->initialize(nullptr), kResultOk);
    EXPECT_EQ(effect.component->initialize(nullptr), kResultFalse);
    EXPECT_EQ(effect.component->getBusCount(kAudio, kOutput), 1);
    EXPECT_EQ(effect.component->terminate(), kResultOk);
    EXPECT_EQ(effect.component->terminate(), kResultOk);
    EXPECT_EQ(effect.component->getBusCount(kAudio, kOutput), 0);
    EXPECT_EQ(effect.controller->getParameterCount(), 0);
}

// ---- Buses ------------------------------------------------------------------------------------------

TEST_F(VST3Host, BusesAreOneStereoInputAndOutput)
{
    auto effect = NewEffect();
    IComponent* component = effect->component;
    EXPECT_EQ(component->getBusCount(kAudio, kInput), 1);
    EXPECT_EQ(component->getBusCount(kAudio, kOutput), 1);
    EXPECT_EQ(component->getBusCount(kEvent, kInput), 0);
    EXPECT_EQ(component->getBusCount(kEvent, kOutput), 0);
    EXPECT_EQ(component->getBusCount(7, kInput), 0);

    BusInfo info{};
    ASSERT_EQ(component->getBusInfo(kAudio, kInput, 0, info), kResultOk);
    EXPECT_EQ(Narrow(info.name), "Main Input");
    EXPECT_EQ(info.channelCount, 2);
    EXPECT_EQ(info.busType, kMain);
    EXPECT_EQ(info.flags, static_cast<uint32>(BusInfo::kDefaultActive));
    EXPECT_EQ(info.mediaType, kAudio);
    EXPECT_EQ(info.direction, kInput);
    ASSERT_EQ(component->getBusInfo(kAudio, kOutput, 0, info), kResultOk);
    EXPECT_EQ(Narrow(info.name), "Output");
    EXPECT_EQ(info.channelCount, 2);
    EXPECT_EQ(component->getBusInfo(kAudio, kOutput, 1, info), kInvalidArgument);
    EXPECT_EQ(component->getBusInfo(kAudio, kInput, -1, info), kInvalidArgument);
    EXPECT_EQ(component->getBusInfo(kEvent, kInput, 0, info), kInvalidArgument);

    EXPECT_EQ(component->activateBus(kAudio, kInput, 0, false), kResultOk);
    EXPECT_EQ(component->activateBus(kAudio, kInput, 0, true), kResultOk);
    EXPECT_EQ(component->activateBus(kAudio, kOutput, 3, true), kInvalidArgument);
    EXPECT_EQ(component->activateBus(kEvent, kInput, 0, true), kInvalidArgument);

    SpeakerArrangement arrangement = 0;
    EXPECT_EQ(effect->processor->getBusArrangement(kInput, 0, arrangement), kResultOk);
    EXPECT_EQ(arrangement, SpeakerArr::kStereo);
    EXPECT_EQ(effect->processor->getBusArrangement(kOutput, 1, arrangement), kInvalidArgument);

    RoutingInfo in{}, out{};
    EXPECT_EQ(component->getRoutingInfo(in, out), kNotImplemented);
    EXPECT_EQ(component->setIoMode(kSimple), kNotImplemented);
}

TEST_F(VST3Host, BusArrangementsFollowTheLegalChannelPairs)
{
    auto effect = NewEffect();
    IAudioProcessor* processor = effect->processor;
    SpeakerArrangement mono = SpeakerArr::kMono, stereo = SpeakerArr::kStereo, surround = 259;
    SpeakerArrangement pair[2] = {SpeakerArr::kStereo, SpeakerArr::kMono};

    ASSERT_EQ(processor->setBusArrangements(&mono, 1, &mono, 1), kResultOk);
    BusInfo info{};
    effect->component->getBusInfo(kAudio, kInput, 0, info);
    EXPECT_EQ(Narrow(info.name), "Input");
    EXPECT_EQ(info.channelCount, 1);
    effect->component->getBusInfo(kAudio, kOutput, 0, info);
    EXPECT_EQ(Narrow(info.name), "Output");
    EXPECT_EQ(info.channelCount, 1);
    SpeakerArrangement arrangement = 0;
    processor->getBusArrangement(kOutput, 0, arrangement);
    EXPECT_EQ(arrangement, SpeakerArr::kMono);

    EXPECT_EQ(processor->setBusArrangements(&stereo, 1, &stereo, 1), kResultOk);
    processor->getBusArrangement(kInput, 0, arrangement);
    EXPECT_EQ(arrangement, SpeakerArr::kStereo);

    EXPECT_EQ(processor->setBusArrangements(&stereo, 1, &mono, 1), kResultFalse);
    EXPECT_EQ(processor->setBusArrangements(&mono, 1, &stereo, 1), kResultFalse);
    EXPECT_EQ(processor->setBusArrangements(&surround, 1, &surround, 1), kResultFalse);
    EXPECT_EQ(processor->setBusArrangements(nullptr, 0, &stereo, 1), kResultFalse);
    EXPECT_EQ(processor->setBusArrangements(pair, 2, &stereo, 1), kResultFalse);
    EXPECT_EQ(processor->setBusArrangements(nullptr, 1, &stereo, 1), kInvalidArgument);
    EXPECT_EQ(processor->setBusArrangements(&stereo, 1, nullptr, 1), kInvalidArgument);
    // The refusals left stereo buses behind.
    effect->component->getBusInfo(kAudio, kOutput, 0, info);
    EXPECT_EQ(info.channelCount, 2);
}

TEST_F(VST3Host, SampleSizesAndLatencyAndTail)
{
    auto effect = NewEffect();
    EXPECT_EQ(effect->processor->canProcessSampleSize(kSample32), kResultTrue);
    EXPECT_EQ(effect->processor->canProcessSampleSize(kSample64), kResultTrue);
    EXPECT_EQ(effect->processor->canProcessSampleSize(2), kResultFalse);
    EXPECT_EQ(effect->processor->canProcessSampleSize(-1), kResultFalse);
    EXPECT_EQ(effect->processor->getLatencySamples(), 0u);
    // A reverb's decay must not be cut: never "no tail".
    EXPECT_EQ(effect->processor->getTailSamples(), kInfiniteTail);
    EXPECT_EQ(effect->processor->setProcessing(true), kNotImplemented);
}

// ---- Parameters -------------------------------------------------------------------------------------

TEST_F(VST3Host, ParameterListHasPresetBypassAndEveryPluginParameter)
{
    auto effect = NewEffect();
    IEditController* controller = effect->controller;
    ASSERT_EQ(controller->getParameterCount(), reference->ParameterCount() + 2);

    ParameterInfo info{};
    ASSERT_EQ(controller->getParameterInfo(0, info), kResultOk);
    EXPECT_EQ(info.id, kPresetId);
    EXPECT_EQ(Narrow(info.title), "Preset");
    EXPECT_EQ(info.stepCount, reference->PresetCount());
    EXPECT_EQ(info.defaultNormalizedValue, 0.0);
    EXPECT_EQ(info.flags, ParameterInfo::kIsProgramChange);
    EXPECT_EQ(info.unitId, 0);

    ASSERT_EQ(controller->getParameterInfo(1, info), kResultOk);
    EXPECT_EQ(info.id, kBypassId);
    EXPECT_EQ(Narrow(info.title), "Bypass");
    EXPECT_EQ(info.stepCount, 1);
    EXPECT_EQ(info.defaultNormalizedValue, 0.0);
    EXPECT_EQ(info.flags, 0x10009);
    EXPECT_EQ(info.unitId, 0);

    for (int32 i = 0; i < reference->ParameterCount(); ++i)
    {
        SCOPED_TRACE(i);
        const IParamEntry& param = *reference->Parameter(i);
        ASSERT_EQ(controller->getParameterInfo(ListIndexOf(i), info), kResultOk);
        EXPECT_EQ(info.id, static_cast<ParamID>(i));
        EXPECT_EQ(Narrow(info.title), param.Name());
        EXPECT_EQ(Narrow(info.shortTitle), "");
        EXPECT_EQ(Narrow(info.units), param.LabelForHost());
        EXPECT_EQ(info.stepCount, param.Kind() == kParamDouble ? 0 : static_cast<int32>(param.Max() - param.Min()));
        EXPECT_DOUBLE_EQ(info.defaultNormalizedValue, param.ToNormalized(param.DefaultValue()));
        EXPECT_EQ(info.flags, param.CanAutomate() ? ParameterInfo::kCanAutomate : 0);
        EXPECT_EQ(info.unitId, reference->GroupIndex(param.Group()));
    }
    EXPECT_EQ(controller->getParameterInfo(-1, info), kResultFalse);
    EXPECT_EQ(controller->getParameterInfo(controller->getParameterCount(), info), kResultFalse);
}

TEST_F(VST3Host, ValueTextsMatchThePluginsOwnFormatting)
{
    auto effect = NewEffect();
    String128 text;
    char expected[128];
    for (int32 i = 0; i < reference->ParameterCount(); ++i)
    {
        for (double n : {0.0, 0.1, 0.25, 0.5, 0.77, 1.0})
        {
            SCOPED_TRACE(testing::Message() << "parameter " << i << " at " << n);
            ASSERT_EQ(effect->controller->getParamStringByValue(i, n, text), kResultOk);
            reference->Parameter(i)->FormatValueText(n, true, expected, sizeof expected, true);
            EXPECT_EQ(Narrow(text), expected);
        }
    }
    // Bypass and preset speak the words of their own rules: bypass is on above one half, a
    // preset value names the slot it selects, and one that selects none has no text.
    for (auto [n, word] : {std::pair<double, const char*>{0.0, "off"}, {0.5, "off"}, {0.51, "on"}, {1.0, "on"}})
    {
        ASSERT_EQ(effect->controller->getParamStringByValue(kBypassId, n, text), kResultOk) << n;
        EXPECT_EQ(Narrow(text), word) << n;
    }
    ASSERT_EQ(effect->controller->getParamStringByValue(kPresetId, 0.0, text), kResultOk);
    EXPECT_EQ(Narrow(text), reference->Preset(0)->name);
    EXPECT_EQ(effect->controller->getParamStringByValue(kPresetId, 1.0, text), kResultFalse);
    EXPECT_EQ(effect->controller->getParamStringByValue(9999, 0.0, text), kResultFalse);
    EXPECT_EQ(effect->controller->getParamStringByValue(0, 0.5, nullptr), kInvalidArgument);
}

TEST_F(VST3Host, TextsAndValuesRoundTrip)
{
    auto effect = NewEffect();
    IEditController* controller = effect->controller;
    String128 text, again;
    for (int32 i = 0; i < reference->ParameterCount(); ++i)
    {
        if (reference->Parameter(i)->DisplayTextCount() > 0)
            continue;  // named values are shown by name but entered as numbers (below)
        for (double n : {0.0, 0.3, 0.5, 0.9, 1.0})
        {
            SCOPED_TRACE(testing::Message() << "parameter " << i << " at " << n);
            ASSERT_EQ(controller->getParamStringByValue(i, n, text), kResultOk);
            ParamValue parsed = -1.0;
            ASSERT_EQ(controller->getParamValueByString(i, text, parsed), kResultOk);
            ASSERT_EQ(controller->getParamStringByValue(i, parsed, again), kResultOk);
            if (!reference->Parameter(i)->NegateDisplay())
            {
                EXPECT_EQ(Narrow(again), Narrow(text));
            }
            EXPECT_GE(parsed, 0.0);
            EXPECT_LE(parsed, 1.0);
        }
    }
    // Any text reads as a number clamped into the range.
    const IParamEntry& first = *reference->Parameter(0);
    ParamValue parsed = -1.0;
    String128 huge;
    for (const char* number : {"1e9", "1e999"})
    {
        UString(huge, 128).fromAscii(number);
        ASSERT_EQ(controller->getParamValueByString(0, huge, parsed), kResultOk) << number;
        EXPECT_DOUBLE_EQ(parsed, first.ToNormalized(first.Max())) << number;
    }
    UString(huge, 128).fromAscii("-1e999");
    ASSERT_EQ(controller->getParamValueByString(0, huge, parsed), kResultOk);
    EXPECT_DOUBLE_EQ(parsed, first.ToNormalized(first.Min()));
    // Only text that is not a number is refused.
    UString(huge, 128).fromAscii("no number");
    EXPECT_EQ(controller->getParamValueByString(0, huge, parsed), kResultFalse);
    EXPECT_EQ(controller->getParamValueByString(0, nullptr, parsed), kInvalidArgument);
    // The bypass switch reads its own words.
    UString(huge, 128).fromAscii("on");
    ASSERT_EQ(controller->getParamValueByString(kBypassId, huge, parsed), kResultOk);
    EXPECT_EQ(parsed, 1.0);
    // The preset, which the SDK reads as a plain number, answers normalised values too.
    for (const char* number : {"75", "-3", "1e999", "-1e999"})
    {
        UString(huge, 128).fromAscii(number);
        parsed = -1.0;
        ASSERT_EQ(controller->getParamValueByString(kPresetId, huge, parsed), kResultOk) << number;
        EXPECT_GE(parsed, 0.0) << number;
        EXPECT_LE(parsed, 1.0) << number;
    }
    // Text that is not even well-formed UTF-16 (a lone surrogate of either kind) is refused by
    // every parameter, the preset too, whose text the SDK converts; a whole pair is a character.
    TChar loneHigh[] = {u'1', 0xD800, u'2', 0};
    TChar loneLow[] = {u'1', 0xDC00, 0};
    for (TChar* text : {loneHigh, loneLow})
        for (ParamID id : {kPresetId, ParamID{0}, kBypassId})
            EXPECT_EQ(controller->getParamValueByString(id, text, parsed), kResultFalse) << id;
    TChar pair[] = {u'1', 0xD83D, 0xDE00, 0};
    ASSERT_EQ(controller->getParamValueByString(0, pair, parsed), kResultOk);
    EXPECT_DOUBLE_EQ(parsed, first.ToNormalized(first.Clamp(1.0)));
}

TEST_F(VST3Host, PlainAndNormalisedValuesConvertBothWays)
{
    auto effect = NewEffect();
    IEditController* controller = effect->controller;
    for (int32 i = 0; i < reference->ParameterCount(); ++i)
    {
        const IParamEntry& param = *reference->Parameter(i);
        for (double n : {0.0, 0.2, 0.5, 1.0})
        {
            SCOPED_TRACE(testing::Message() << "parameter " << i << " at " << n);
            const ParamValue plain = controller->normalizedParamToPlain(i, n);
            EXPECT_DOUBLE_EQ(plain, param.FromNormalized(n));
            EXPECT_NEAR(controller->plainParamToNormalized(i, plain), n, 1e-12);
        }
        EXPECT_EQ(controller->plainParamToNormalized(i, param.Max() + 100.0), 1.0);
        EXPECT_EQ(controller->plainParamToNormalized(i, param.Min() - 100.0), 0.0);
    }
    EXPECT_EQ(controller->plainParamToNormalized(9999, 42.5), 42.5);
    EXPECT_EQ(controller->normalizedParamToPlain(kBypassId, 1.0), 1.0);
    EXPECT_EQ(controller->normalizedParamToPlain(kBypassId, -5.0), 0.0);
}

TEST_F(VST3Host, ControllerValuesStartAtTheFactoryPreset)
{
    auto effect = NewEffect();
    IEditController* controller = effect->controller;
    for (int32 i = 0; i < reference->ParameterCount(); ++i)
    {
        const IParamEntry& param = *reference->Parameter(i);
        EXPECT_DOUBLE_EQ(controller->getParamNormalized(i), param.ToNormalized(param.Value())) << i;
    }
    EXPECT_EQ(controller->getParamNormalized(kBypassId), 0.0);
    EXPECT_EQ(controller->getParamNormalized(kPresetId), 0.0);
    EXPECT_EQ(controller->getParamNormalized(9999), 0.0);

    ASSERT_EQ(controller->setParamNormalized(3, 0.625), kResultOk);
    IParamEntry copy = *reference->Parameter(3);
    copy.SetFromNormalized(0.625);
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(3), copy.ToNormalized(copy.Value()));
    EXPECT_EQ(controller->setParamNormalized(kPresetId, 1.0), kResultFalse);
    EXPECT_EQ(controller->setParamNormalized(9999, 1.0), kResultFalse);
}

TEST_F(VST3Host, BypassSetOnTheControllerPersists)
{
    // What a validating host does in each precision: set the bypass on the controller, read it
    // back, save and restore both states, read it again.
    for (int32 size : {kSample32, kSample64})
    {
        SCOPED_TRACE(size);
        auto effect = NewEffect();
        ASSERT_EQ(effect->Setup(44100.0, 512, size), kResultOk);
        IEditController* controller = effect->controller;
        ASSERT_EQ(controller->setParamNormalized(kBypassId, 1.0), kResultOk);
        EXPECT_EQ(controller->getParamNormalized(kBypassId), 1.0);

        const std::string componentState = ComponentState(*effect);
        const std::string controllerState = ControllerState(*effect);
        auto fresh = NewEffect();
        for (HostedEffect* target : {effect.get(), fresh.get()})
        {
            auto component = StreamOf(componentState);
            auto controllerStream = StreamOf(controllerState);
            ASSERT_EQ(target->component->setState(component.get()), kResultOk);
            ASSERT_EQ(target->controller->setState(controllerStream.get()), kResultOk);
            EXPECT_EQ(target->controller->getParamNormalized(kBypassId), 1.0);
        }

        // The bypass the controller took is the one processing obeys.
        RenderPlan plan;
        plan.blocks = {{256, {}}};
        const Channels input = TestSignal(2, 256, 44100.0, 3);
        BlockRenderer renderer(*effect, plan, input, size);
        effect->component->setActive(true);  // no new set-up: that switches the bypass off
        renderer.Step();
        const Channels output = renderer.End();
        for (size_t c = 0; c < 2; ++c)
            for (size_t f = 0; f < 256; ++f)
                ASSERT_EQ(output[c][f], size == kSample32 ? static_cast<double>(static_cast<float>(input[c][f]))
                                                          : input[c][f]);

        ASSERT_EQ(controller->setParamNormalized(kBypassId, 0.5), kResultOk);
        EXPECT_EQ(controller->getParamNormalized(kBypassId), 0.0);
    }
}

TEST_F(VST3Host, RepeatedInitializeKeepsTheRestoredState)
{
    // Hosts may restore the component's state and then initialise the controller face.
    const std::string state = StateOfAlternatingValues(0.15, 0.85);
    auto target = NewEffect();
    auto stream = StreamOf(state);
    ASSERT_EQ(target->component->setState(stream.get()), kResultOk);
    EXPECT_EQ(target->controller->initialize(&hostApplication), kResultFalse);
    EXPECT_EQ(ComponentState(*target), state);
}

// ---- Processing -------------------------------------------------------------------------------------

TEST_F(VST3Host, ProcessingMatchesTheOfflineRenderAtEveryRateAndBlockSize)
{
    for (double rate : {22050.0, 44100.0, 48000.0, 96000.0, 192000.0, 768000.0})
        for (int32 block : {1, 64, 4096})
            for (int32 size : {kSample32, kSample64})
            {
                const int32 frames = block == 1 ? 3000 : 12000;
                ExpectMatchesOffline(PlanWithChanges(rate, block, frames), size, static_cast<unsigned>(rate) + block);
            }
}

TEST_F(VST3Host, VaryingAndEmptyBlocksMatchTheOfflineRender)
{
    RenderPlan plan;
    plan.maxBlock = 512;
    const int32 sizes[] = {512, 0, 1, 259, 0, 512, 7, 300, 511, 0, 2};
    for (int n = 0; n < 40; ++n)
    {
        RenderBlock block{sizes[n % 11], {}};
        if (block.frames == 0)
            block.changes = {{2, 0.1 * (n % 9)}};  // a parameter flush between blocks
        plan.blocks.push_back(block);
    }
    ExpectMatchesOffline(plan, kSample32, 11);
    ExpectMatchesOffline(plan, kSample64, 12);
}

TEST_F(VST3Host, BypassAndPresetChangesMatchTheOfflineRender)
{
    RenderPlan plan = PlanWithChanges(48000.0, 256, 16384);
    plan.blocks[10].changes.push_back({kBypassId, 1.0});
    plan.blocks[20].changes.push_back({kBypassId, 0.5});  // exactly one half is not "on"
    plan.blocks[30].changes.push_back({kBypassId, 0.75});
    plan.blocks[40].changes.push_back({kBypassId, 0.0});
    plan.blocks[45].changes.push_back({kPresetId, 1.0});  // a slot that does not exist
    plan.blocks[50].changes.push_back({kPresetId, 0.0});  // back to the factory preset
    ExpectMatchesOffline(plan, kSample32, 21);
    ExpectMatchesOffline(plan, kSample64, 22);
}

TEST_F(VST3Host, MonoAndMissingInputBusesMatchTheOfflineRender)
{
    RenderPlan mono = PlanWithChanges(44100.0, 128, 8192);
    mono.channels = 1;
    ExpectMatchesOffline(mono, kSample32, 31);
    ExpectMatchesOffline(mono, kSample64, 32);

    RenderPlan noInput = PlanWithChanges(44100.0, 128, 8192);
    noInput.inputBus = false;
    ExpectMatchesOffline(noInput, kSample32, 33);
    ExpectMatchesOffline(noInput, kSample64, 34);
}

TEST_F(VST3Host, BlocksLongerThanTheSetUpMaximumAreStillRenderedCompletely)
{
    RenderPlan plan;
    plan.maxBlock = 64;
    plan.blocks = {{64, {}}, {1000, {}}, {64, {}}, {70000, {{1, 0.2}}}, {5, {}}};
    ExpectMatchesOffline(plan, kSample32, 41);
    ExpectMatchesOffline(plan, kSample64, 42);
}

TEST_F(VST3Host, BypassPassesTheInputThroughUnchanged)
{
    for (int32 size : {kSample32, kSample64})
    {
        RenderPlan plan;
        plan.blocks = {{512, {{kBypassId, 1.0}}}, {512, {}}};
        const Channels input = TestSignal(2, plan.TotalFrames(), 44100.0, 5);
        auto effect = NewEffect();
        const Channels output = RenderHosted(*effect, plan, input, size);
        for (size_t c = 0; c < 2; ++c)
            for (size_t f = 0; f < output[c].size(); ++f)
                ASSERT_EQ(output[c][f], size == kSample32 ? static_cast<double>(static_cast<float>(input[c][f]))
                                                          : input[c][f]);
        EXPECT_EQ(effect->controller->getParamNormalized(kBypassId), 1.0);
        // A new processing set-up switches bypass off.
        effect->Setup(44100.0, 512, size);
        EXPECT_EQ(effect->controller->getParamNormalized(kBypassId), 0.0);
    }
}

TEST_F(VST3Host, SilenceInGivesFiniteOutput)
{
    for (int32 size : {kSample32, kSample64})
    {
        RenderPlan plan;
        plan.blocks.assign(64, RenderBlock{256, {}});
        const Channels silence(2, std::vector<double>(static_cast<size_t>(plan.TotalFrames()), 0.0));
        auto effect = NewEffect();
        const Channels output = RenderFlagged(*effect, plan, silence, size);
        EXPECT_TRUE(AllFinite(output));
        EXPECT_EQ(MaxDifference(output, RenderOffline(plan, silence, size)), 0.0);
    }
}

TEST_F(VST3Host, ParameterChangesReachTheControllerAndPresetSelectionRestores)
{
    auto effect = NewEffect();
    RenderPlan plan;
    plan.blocks = {{0, {{2, 0.9}, {3, 0.1}}}};
    const Channels input = TestSignal(2, 16, 44100.0, 1);
    RenderHosted(*effect, plan, input, kSample64);
    IParamEntry expected = *reference->Parameter(2);
    expected.SetFromNormalized(0.9);
    EXPECT_DOUBLE_EQ(effect->controller->getParamNormalized(2), expected.ToNormalized(expected.Value()));

    // Preset value 1.0 names slot 1 of 1: no such slot, nothing changes.
    plan.blocks = {{0, {{kPresetId, 1.0}}}};
    RenderHosted(*effect, plan, input, kSample64);
    EXPECT_DOUBLE_EQ(effect->controller->getParamNormalized(2), expected.ToNormalized(expected.Value()));

    plan.blocks = {{0, {{kPresetId, 0.0}}}};
    RenderHosted(*effect, plan, input, kSample64);
    for (int32 i = 0; i < reference->ParameterCount(); ++i)
    {
        const IParamEntry& param = *reference->Parameter(i);
        EXPECT_DOUBLE_EQ(effect->controller->getParamNormalized(i), param.ToNormalized(param.Value())) << i;
    }
}

TEST_F(VST3Host, CarelessProcessCallsNeitherCrashNorWriteOutOfBounds)
{
    auto effect = NewEffect();
    // Processing before any set-up: no block size yet.
    float left[64] = {}, right[64] = {};
    float* outs[2] = {left, right};
    AudioBusBuffers outBus;
    outBus.numChannels = 2;
    outBus.channelBuffers32 = outs;
    ProcessData data;
    data.numSamples = 64;
    data.numOutputs = 1;
    data.outputs = &outBus;
    EXPECT_EQ(effect->processor->process(data), kResultOk);

    ASSERT_EQ(effect->Setup(44100.0, 64, kSample32), kResultOk);
    effect->component->setActive(true);
    // Output bus without buffers, input bus claiming more channels than it has buffers for.
    float in0[64] = {}, in1[64] = {};
    float* ins[2] = {in0, in1};
    AudioBusBuffers inBus;
    inBus.numChannels = 2;
    inBus.channelBuffers32 = ins;
    AudioBusBuffers noBuffers;
    noBuffers.numChannels = 2;
    noBuffers.channelBuffers32 = nullptr;
    data.numInputs = 1;
    data.inputs = &inBus;
    data.outputs = &noBuffers;
    EXPECT_EQ(effect->processor->process(data), kResultOk);
    // Bus counts without bus arrays.
    data.inputs = nullptr;
    data.outputs = nullptr;
    EXPECT_EQ(effect->processor->process(data), kResultOk);
    // Channel pointers that are null.
    float* nullChannels[2] = {nullptr, nullptr};
    AudioBusBuffers nullOut;
    nullOut.numChannels = 2;
    nullOut.channelBuffers32 = nullChannels;
    data.outputs = &nullOut;
    data.inputs = &inBus;
    EXPECT_EQ(effect->processor->process(data), kResultOk);
    // Parameter queues without points, with values that are not numbers, for unknown ids.
    HostParamChanges changes;
    changes.AddEmptyQueue(1);
    changes.Add(2, 0, std::nan(""));
    changes.Add(4711, 0, 0.5);
    data.inputParameterChanges = &changes;
    data.outputs = &outBus;
    EXPECT_EQ(effect->processor->process(data), kResultOk);
    EXPECT_TRUE(std::isfinite(effect->controller->getParamNormalized(2)));
    // A sample size nobody knows.
    data.symbolicSampleSize = 7;
    EXPECT_EQ(effect->processor->process(data), kInvalidArgument);
    // Negative frame counts are nothing to do.
    data.symbolicSampleSize = kSample32;
    data.numSamples = -5;
    EXPECT_EQ(effect->processor->process(data), kResultOk);
    effect->component->setActive(false);
}

TEST_F(VST3Host, SilenceFlagsAreWrittenOnlyForThePluginsOwnBuses)
{
    // A host that counts two output buses but hands over one: the count must not lead the
    // plug-in past the array. The second element stands in for the memory beyond it.
    auto effect = NewEffect();
    ASSERT_EQ(effect->Setup(44100.0, 64, kSample32), kResultOk);
    effect->component->setActive(true);
    float left[64] = {}, right[64] = {};
    float* outs[2] = {left, right};
    AudioBusBuffers buses[2];
    buses[0].numChannels = 2;
    buses[0].channelBuffers32 = outs;
    buses[1].silenceFlags = 0x5A5A;
    ProcessData data;
    data.symbolicSampleSize = kSample32;
    data.numSamples = 64;
    data.numOutputs = 2;
    data.outputs = buses;
    ASSERT_EQ(effect->processor->process(data), kResultOk);
    EXPECT_EQ(buses[0].silenceFlags, 3u);  // no input: silence on both channels
    EXPECT_EQ(buses[1].silenceFlags, 0x5A5Au);
    effect->component->setActive(false);
}

TEST_F(VST3Host, SilenceAfterABurstGetsTheWholeTailAndThenTheSilenceFlags)
{
    // The tail is endless to the host, so it keeps calling; the flags then tell it when the
    // output has really gone silent.
    EXPECT_EQ(NewEffect()->processor->getTailSamples(), kInfiniteTail);
    // Single precision, where hosts mostly run: double precision takes a reverb twice as long
    // to reach its exact zeros, and every other hosted render checks the flags in both.
    RenderPlan plan;
    plan.sampleRate = 44100.0;
    plan.maxBlock = 4096;
    auto effect = NewEffect();
    ASSERT_EQ(effect->Setup(plan.sampleRate, plan.maxBlock, kSample32), kResultOk);
    effect->component->setActive(true);
    const double seconds = SecondsUntilFlaggedSilence<float>(*effect, plan);
    effect->component->setActive(false);
    EXPECT_GT(seconds, 0.0) << "the tail must outlast the burst, and end";
    printf("[ host     ] output silent %.1f s after the burst\n", seconds);
}

TEST_F(VST3Host, InputSilenceFlagsNeverChangeASample)
{
    // Silent stretches of several lengths between signal, flagged by a careful host and by a
    // careless one that flags everything: the output is what unflagged input gives.
    RenderPlan plan;
    const int32 sizes[] = {512, 64, 512, 300, 512, 1, 512};
    for (int n = 0; n < 28; ++n)
        plan.blocks.push_back({sizes[n % 7], {}});
    Channels input = TestSignal(2, plan.TotalFrames(), plan.sampleRate, 71);
    int32 start = 0;
    for (size_t b = 0; b < plan.blocks.size(); ++b)
    {
        if (b % 4 != 0)
            for (size_t c = 0; c < input.size(); ++c)
                if (b % 3 != c)
                    std::fill_n(input[c].begin() + start, plan.blocks[b].frames, 0.0);
        start += plan.blocks[b].frames;
    }
    for (InputSilenceFlags marking : {InputSilenceFlags::kSilentOnes, InputSilenceFlags::kEveryOne})
    {
        plan.inputSilence = marking;
        ExpectMatchesOffline(plan, kSample32, input);
    }
}

TEST_F(VST3Host, ProcessingSetUpRejectsWhatItCannotDo)
{
    auto effect = NewEffect();
    EXPECT_EQ(effect->Setup(44100.0, 512, 2), kResultFalse);
    EXPECT_EQ(effect->Setup(44100.0, -1, kSample32), kInvalidArgument);
    EXPECT_EQ(effect->Setup(0.0, 512, kSample32), kInvalidArgument);
    EXPECT_EQ(effect->Setup(std::nan(""), 512, kSample32), kInvalidArgument);
    EXPECT_EQ(effect->Setup(44100.0, 512, kSample64, kOffline), kResultOk);
}

// ---- Instances ---------------------------------------------------------------------------------------

TEST_F(VST3Host, ManyInstancesComeAndGo)
{
    RenderPlan plan;
    plan.blocks = {{256, {{1, 0.4}}}, {256, {}}};
    const Channels input = TestSignal(2, plan.TotalFrames(), 44100.0, 9);
    for (int n = 0; n < 60; ++n)
    {
        auto effect = NewEffect();
        ASSERT_TRUE(effect->IsValid());
        EXPECT_TRUE(AllFinite(RenderHosted(*effect, plan, input, n % 2 ? kSample32 : kSample64)));
    }
}

TEST_F(VST3Host, InterleavedInstancesRenderAsIfAlone)
{
    RenderPlan planA = PlanWithChanges(44100.0, 128, 8192);
    RenderPlan planB = PlanWithChanges(96000.0, 100, 8192);
    planB.blocks[3].changes.push_back({kBypassId, 1.0});
    planB.blocks[9].changes.push_back({kBypassId, 0.0});
    const Channels inputA = TestSignal(2, planA.TotalFrames(), 44100.0, 51);
    const Channels inputB = TestSignal(2, planB.TotalFrames(), 96000.0, 52);

    auto aloneA = NewEffect();
    auto aloneB = NewEffect();
    const Channels expectedA = RenderHosted(*aloneA, planA, inputA, kSample64);
    const Channels expectedB = RenderHosted(*aloneB, planB, inputB, kSample32);

    auto a = NewEffect();
    auto b = NewEffect();
    BlockRenderer renderA(*a, planA, inputA, kSample64);
    BlockRenderer renderB(*b, planB, inputB, kSample32);
    renderA.Begin();
    renderB.Begin();
    bool moreA = true, moreB = true;
    while (moreA || moreB)
    {
        moreA = moreA && renderA.Step();
        moreB = moreB && renderB.Step();
    }
    EXPECT_EQ(MaxDifference(renderA.End(), expectedA), 0.0);
    EXPECT_EQ(MaxDifference(renderB.End(), expectedB), 0.0);
}

// ---- State ---------------------------------------------------------------------------------------------

TEST_F(VST3Host, ComponentStateIsTheParameterValuesAsDoubles)
{
    auto effect = NewEffect();
    const std::string state = ComponentState(*effect);
    ASSERT_EQ(state.size(), static_cast<size_t>(reference->ParameterCount() * kStateBytesPerParameter));
    EXPECT_EQ(state.size(), 152u);
    for (int32 i = 0; i < reference->ParameterCount(); ++i)
        EXPECT_EQ(ValueInState(state, i), reference->Parameter(i)->Value()) << i;
    EXPECT_EQ(effect->component->getState(nullptr), kInvalidArgument);
    EXPECT_EQ(effect->component->setState(nullptr), kInvalidArgument);
}

TEST_F(VST3Host, StateRestoresOnAFreshInstance)
{
    auto source = NewEffect();
    RenderPlan plan;
    plan.blocks = {{0, {{0, 0.7}, {1, 0.2}, {5, 1.0}, {9, 0.35}}}};
    RenderHosted(*source, plan, TestSignal(2, 1, 44100.0, 1), kSample64);
    const std::string state = ComponentState(*source);

    auto fresh = NewEffect();
    ASSERT_NE(ComponentState(*fresh), state);
    auto stream = StreamOf(state);
    ASSERT_EQ(fresh->component->setState(stream.get()), kResultOk);
    EXPECT_EQ(ComponentState(*fresh), state);
    for (int32 i = 0; i < reference->ParameterCount(); ++i)
        EXPECT_EQ(fresh->controller->getParamNormalized(i), source->controller->getParamNormalized(i)) << i;

    // Both render the same from here on.
    RenderPlan render = PlanWithChanges(44100.0, 256, 4096);
    const Channels input = TestSignal(2, render.TotalFrames(), 44100.0, 77);
    EXPECT_EQ(MaxDifference(RenderHosted(*fresh, render, input, kSample64),
                            RenderHosted(*source, render, input, kSample64)),
              0.0);
}

TEST_F(VST3Host, ShortAndEmptyStateStreamsChangeOnlyWhatTheyHold)
{
    const std::string state = StateOfAlternatingValues(0.05, 0.9);
    auto target = NewEffect();
    const std::string before = ComponentState(*target);
    // An empty stream holds no state: refused on either face, and nothing changes.
    auto empty = StreamOf("");
    EXPECT_EQ(target->component->setState(empty.get()), kResultFalse);
    auto emptyToo = StreamOf("");
    EXPECT_EQ(target->controller->setState(emptyToo.get()), kResultFalse);
    EXPECT_EQ(ComponentState(*target), before);

    // A stream that ends inside a value sets the whole values before it; the cut value keeps
    // what it was, and so do all after it. It is one that is not zero, so that neither zero
    // nor a blend of old and new bytes can pass for it.
    int32 cut = 1;
    while (cut < reference->ParameterCount() &&
           (ValueInState(before, cut) == 0.0 || ValueInState(before, cut) == ValueInState(state, cut)))
        ++cut;
    ASSERT_LT(cut, reference->ParameterCount());
    const size_t heldBytes = static_cast<size_t>(cut * kStateBytesPerParameter);
    auto shortStream = StreamOf(state.substr(0, heldBytes + kStateBytesPerParameter / 2));
    EXPECT_EQ(target->component->setState(shortStream.get()), kResultOk);
    const std::string after = ComponentState(*target);
    EXPECT_EQ(after.substr(0, heldBytes), state.substr(0, heldBytes));
    EXPECT_EQ(after.substr(heldBytes), before.substr(heldBytes));
}

TEST_F(VST3Host, ControllerStateAddsTheBypassFlag)
{
    auto source = NewEffect();
    std::string state = ControllerState(*source);
    ASSERT_EQ(state.size(), 156u);
    EXPECT_EQ(state.substr(0, 152), ComponentState(*source));
    EXPECT_EQ(state.substr(152), std::string("\0\0\0\0", 4));

    RenderPlan plan;
    plan.blocks = {{0, {{kBypassId, 1.0}, {2, 0.25}}}};
    RenderHosted(*source, plan, TestSignal(2, 1, 44100.0, 1), kSample32);
    state = ControllerState(*source);
    EXPECT_EQ(state.substr(152), std::string("\1\0\0\0", 4));

    auto fresh = NewEffect();
    auto stream = StreamOf(state);
    ASSERT_EQ(fresh->controller->setState(stream.get()), kResultOk);
    EXPECT_EQ(fresh->controller->getParamNormalized(kBypassId), 1.0);
    EXPECT_EQ(ControllerState(*fresh), state);

    // Without the flag the controller state is incomplete.
    auto noFlag = StreamOf(state.substr(0, 152));
    EXPECT_EQ(NewEffect()->controller->setState(noFlag.get()), kResultFalse);
    EXPECT_EQ(fresh->controller->getState(nullptr), kInvalidArgument);
    EXPECT_EQ(fresh->controller->setState(nullptr), kInvalidArgument);
}

// ---- Programs and units -----------------------------------------------------------------------------

TEST_F(VST3Host, ProgramListNamesTheFactoryPreset)
{
    auto effect = NewEffect();
    IUnitInfo* units = effect->units;
    EXPECT_EQ(units->getProgramListCount(), 0);
    ProgramListInfo list{};
    ASSERT_EQ(units->getProgramListInfo(0, list), kResultOk);
    EXPECT_EQ(list.id, static_cast<ProgramListID>(kPresetId));
    EXPECT_EQ(list.programCount, reference->PresetCount());
    EXPECT_EQ(Narrow(list.name), "Factory Presets");
    EXPECT_EQ(units->getProgramListInfo(1, list), kResultFalse);
    EXPECT_EQ(units->getProgramListInfo(-1, list), kResultFalse);

    String128 name;
    ASSERT_EQ(units->getProgramName(kPresetId, 0, name), kResultOk);
    EXPECT_EQ(Narrow(name), reference->Preset(0)->name);
    ASSERT_EQ(units->getProgramName(kPresetId, 7, name), kResultOk);
    EXPECT_EQ(Narrow(name), "");
    EXPECT_EQ(units->getProgramName(12, 0, name), kResultFalse);
    EXPECT_EQ(units->getProgramName(kPresetId, 0, nullptr), kInvalidArgument);
    EXPECT_EQ(units->getSelectedUnit(), 0);
}

TEST_F(VST3Host, UnitsAreTheRootAndOnePerParameterGroup)
{
    auto effect = NewEffect();
    IUnitInfo* units = effect->units;
    for (int32 i = 0; i < reference->ParameterCount(); ++i)
        reference->GroupIndex(reference->Parameter(i)->Group());
    const auto& groups = reference->ParameterGroups();
    ASSERT_EQ(units->getUnitCount(), static_cast<int32>(groups.size()) + 1);

    UnitInfo info{};
    ASSERT_EQ(units->getUnitInfo(0, info), kResultOk);
    EXPECT_EQ(info.id, 0);
    EXPECT_EQ(info.parentUnitId, -1);
    EXPECT_EQ(info.programListId, -1);
    EXPECT_EQ(Narrow(info.name), "Root Unit");
    for (size_t g = 0; g < groups.size(); ++g)
    {
        ASSERT_EQ(units->getUnitInfo(static_cast<int32>(g + 1), info), kResultOk);
        EXPECT_EQ(info.id, static_cast<int32>(g + 1));
        EXPECT_EQ(info.parentUnitId, 0);
        EXPECT_EQ(info.programListId, -1);
        EXPECT_EQ(Narrow(info.name), groups[g]);
    }
    EXPECT_EQ(units->getUnitInfo(units->getUnitCount(), info), kResultFalse);
    EXPECT_EQ(units->getUnitInfo(-1, info), kResultFalse);
}

// ---- Views -------------------------------------------------------------------------------------------

TEST_F(VST3Host, OnlyTheEditorNameMakesAView)
{
    auto effect = NewEffect();
    EXPECT_EQ(effect->controller->createView("Editor"), nullptr);
    EXPECT_EQ(effect->controller->createView("editor2"), nullptr);
    EXPECT_EQ(effect->controller->createView(""), nullptr);
    EXPECT_EQ(effect->controller->createView(nullptr), nullptr);

    IPlugView* view = effect->controller->createView("editor");
    ASSERT_NE(view, nullptr);
    FUnknownPtr<IPlugView> same(view);
    EXPECT_TRUE(same);
    view->release();
}

TEST_F(VST3Host, ViewWithoutAnEditorDeclinesEveryPlatform)
{
    if (reference->Editor())
        GTEST_SKIP() << "the plug-in has an editor";
    auto effect = NewEffect();
    IPlugView* view = effect->controller->createView("editor");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultFalse);
    int parentStandIn = 0;
    EXPECT_EQ(view->attached(&parentStandIn, kPlatformTypeHWND), kResultFalse);
    ViewRect rect(1, 2, 3, 4);
    EXPECT_EQ(view->getSize(&rect), kResultFalse);
    EXPECT_EQ(view->onSize(&rect), kResultOk);
    EXPECT_EQ(view->onSize(nullptr), kInvalidArgument);
    EXPECT_EQ(view->canResize(), kResultFalse);
    EXPECT_EQ(view->checkSizeConstraint(&rect), kResultFalse);
    EXPECT_EQ(view->onWheel(1.0f), kResultFalse);
    EXPECT_EQ(view->onKeyDown('a', 0, 0), kResultFalse);
    EXPECT_EQ(view->onKeyUp('a', 0, 0), kResultFalse);
    EXPECT_EQ(view->onFocus(true), kResultFalse);
    EXPECT_EQ(view->setFrame(nullptr), kResultOk);
    EXPECT_EQ(view->removed(), kResultOk);
    // The view keeps its instance alive until it goes, whatever order the host releases in.
    effect.reset();
    view->release();
}

TEST_F(VST3Host, ViewOffersTheEditorInAWindowHandleAtItsFixedSize)
{
    if (!reference->Editor())
        GTEST_SKIP() << "the plug-in has no editor";
    auto effect = NewEffect();
    IPlugView* view = effect->controller->createView("editor");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultFalse);
    ViewRect rect;
    ASSERT_EQ(view->getSize(&rect), kResultOk);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.getWidth(), PluginConfig().editorWidth);
    EXPECT_EQ(rect.getHeight(), PluginConfig().editorHeight);
    EXPECT_EQ(rect.getWidth(), reference->Editor()->EditorWidth());
    EXPECT_EQ(rect.getHeight(), reference->Editor()->EditorHeight());
    EXPECT_EQ(view->canResize(), kResultFalse);
    view->release();
}

// ---- Module ------------------------------------------------------------------------------------------

TEST(VST3HostModule, LoadsAndUnloadsRepeatedly)
{
    TUID cid;
    for (int n = 0; n < 3; ++n)
    {
        HostedModule module;
        ASSERT_TRUE(module.Open(TESSIVANE_VST3_BUNDLE));
        PClassInfo info;
        ASSERT_EQ(module.Factory()->getClassInfo(0, &info), kResultOk);
        memcpy(cid, info.cid, sizeof cid);
        HostedEffect effect(module.Factory(), cid);
        ASSERT_TRUE(effect.IsValid());
        EXPECT_EQ(effect.Initialize(nullptr), kResultOk);
    }
}

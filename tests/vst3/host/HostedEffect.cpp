#include "HostedEffect.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Steinberg;
using namespace Steinberg::Vst;

// ---- HostedModule ------------------------------------------------------------------------------

bool HostedModule::Open(const std::string& bundlePath)
{
    Close();
    if (!module.Load(HostModule::BinaryInBundle(bundlePath)))
        return false;
    initDll = reinterpret_cast<bool(PLUGIN_API*)()>(module.Symbol("InitDll"));
    exitDll = reinterpret_cast<bool(PLUGIN_API*)()>(module.Symbol("ExitDll"));
    getPluginFactory = reinterpret_cast<IPluginFactory*(PLUGIN_API*)()>(module.Symbol("GetPluginFactory"));
    if (!initDll || !exitDll || !getPluginFactory || !initDll())
        return false;
    factory = getPluginFactory();
    return factory != nullptr;
}

void HostedModule::Close()
{
    if (factory)
        factory->release();
    factory = nullptr;
    if (exitDll && module.IsLoaded())
        exitDll();
    initDll = nullptr;
    exitDll = nullptr;
    getPluginFactory = nullptr;
    module.Unload();
}

// ---- HostedEffect -------------------------------------------------------------------------------

HostedEffect::HostedEffect(IPluginFactory* factory, const TUID classId)
{
    if (!factory || factory->createInstance(classId, IComponent::iid, reinterpret_cast<void**>(&component)) != kResultOk)
        return;
    component->queryInterface(IAudioProcessor::iid, reinterpret_cast<void**>(&processor));
    component->queryInterface(IEditController::iid, reinterpret_cast<void**>(&controller));
    component->queryInterface(IUnitInfo::iid, reinterpret_cast<void**>(&units));
}

HostedEffect::~HostedEffect()
{
    if (initialized && component)
        component->terminate();
    for (FUnknown* face : {static_cast<FUnknown*>(units), static_cast<FUnknown*>(controller),
                           static_cast<FUnknown*>(processor), static_cast<FUnknown*>(component)})
        if (face)
            face->release();
}

tresult HostedEffect::Initialize(FUnknown* context)
{
    const tresult result = component->initialize(context);
    initialized = result == kResultOk;
    for (BusDirection dir : {kInput, kOutput})
        for (int32 b = 0; b < component->getBusCount(kAudio, dir); ++b)
            component->activateBus(kAudio, dir, b, true);
    return result;
}

tresult HostedEffect::Setup(double sampleRate, int32 maxBlock, int32 sampleSize, int32 mode)
{
    ProcessSetup setup{mode, sampleSize, maxBlock, sampleRate};
    return processor->setupProcessing(setup);
}

tresult HostedEffect::SetChannels(int32 channels)
{
    SpeakerArrangement arrangement = channels == 1 ? SpeakerArr::kMono : SpeakerArr::kStereo;
    SpeakerArrangement in = arrangement;
    SpeakerArrangement out = arrangement;
    return processor->setBusArrangements(&in, 1, &out, 1);
}

// ---- Rendering -------------------------------------------------------------------------------------

int32 RenderPlan::TotalFrames() const
{
    int32 total = 0;
    for (const RenderBlock& block : blocks)
        total += std::max(block.frames, 0);
    return total;
}

BlockRenderer::BlockRenderer(HostedEffect& hosted, const RenderPlan& renderPlan, const Channels& input,
                             int32 size)
    : effect(hosted), plan(renderPlan), sampleSize(size)
{
    const size_t channels = static_cast<size_t>(plan.channels);
    const size_t total = static_cast<size_t>(plan.TotalFrames());
    // Output starts as a value no plug-in writes, so that an unwritten buffer shows.
    if (sampleSize == kSample32)
    {
        in32.resize(channels);
        for (size_t c = 0; c < channels; ++c)
            in32[c].assign(input[c].begin(), input[c].begin() + static_cast<long>(total));
        out32.assign(channels, std::vector<float>(total, -7.0f));
    }
    else
    {
        in64.resize(channels);
        for (size_t c = 0; c < channels; ++c)
            in64[c].assign(input[c].begin(), input[c].begin() + static_cast<long>(total));
        out64.assign(channels, std::vector<double>(total, -7.0));
    }
}

void BlockRenderer::Begin()
{
    if (plan.channels == 1)
        effect.SetChannels(1);
    effect.Setup(plan.sampleRate, plan.maxBlock, sampleSize);
    effect.component->setActive(true);
}

bool BlockRenderer::Step()
{
    if (nextBlock >= plan.blocks.size())
        return false;
    const RenderBlock& block = plan.blocks[nextBlock++];
    if (sampleSize == kSample32)
        ProcessBlock(block, in32, out32);
    else
        ProcessBlock(block, in64, out64);
    done += std::max(block.frames, 0);
    return true;
}

template <class Sample>
void BlockRenderer::ProcessBlock(const RenderBlock& block, std::vector<std::vector<Sample>>& in,
                                 std::vector<std::vector<Sample>>& out)
{
    const int32 channels = plan.channels;
    Sample* inPtrs[2] = {};
    Sample* outPtrs[2] = {};
    for (int32 c = 0; c < channels && c < 2; ++c)
    {
        inPtrs[c] = in[static_cast<size_t>(c)].data() + done;
        outPtrs[c] = out[static_cast<size_t>(c)].data() + done;
    }
    AudioBusBuffers inBus, outBus;
    inBus.numChannels = outBus.numChannels = channels;
    if constexpr (sizeof(Sample) == sizeof(float))
    {
        inBus.channelBuffers32 = inPtrs;
        outBus.channelBuffers32 = outPtrs;
    }
    else
    {
        inBus.channelBuffers64 = inPtrs;
        outBus.channelBuffers64 = outPtrs;
    }
    if (plan.inputSilence == InputSilenceFlags::kEveryOne)
        inBus.silenceFlags = ~uint64(0);
    for (int32 c = 0; c < channels && plan.inputSilence == InputSilenceFlags::kSilentOnes; ++c)
    {
        const Sample* first = inPtrs[c];
        if (std::all_of(first, first + std::max(block.frames, 0), [](Sample s) { return s == 0; }))
            inBus.silenceFlags |= uint64(1) << c;
    }
    // Bits nobody writes show: the plug-in must answer for its bus.
    outBus.silenceFlags = ~uint64(0);
    HostParamChanges changes;
    for (const ParamChange& change : block.changes)
        changes.Add(change.id, 0, change.value);
    ProcessData data;
    data.processMode = kRealtime;
    data.symbolicSampleSize = sampleSize;
    data.numSamples = block.frames;
    data.numInputs = plan.inputBus ? 1 : 0;
    data.inputs = plan.inputBus ? &inBus : nullptr;
    data.numOutputs = 1;
    data.outputs = &outBus;
    data.inputParameterChanges = &changes;
    effect.processor->process(data);
    outputSilence.push_back(outBus.silenceFlags);
}

Channels BlockRenderer::End()
{
    effect.component->setActive(false);
    Channels result;
    if (sampleSize == kSample32)
        for (const auto& channel : out32)
            result.emplace_back(channel.begin(), channel.end());
    else
        result = out64;
    return result;
}

Channels RenderHosted(HostedEffect& effect, const RenderPlan& plan, const Channels& input, int32 sampleSize)
{
    BlockRenderer renderer(effect, plan, input, sampleSize);
    renderer.Begin();
    while (renderer.Step())
    {
    }
    return renderer.End();
}

constexpr double kTwoPi = 6.283185307179586;

Channels TestSignal(int32 channels, int32 frames, double sampleRate, unsigned seed)
{
    Channels signal(static_cast<size_t>(channels), std::vector<double>(static_cast<size_t>(frames)));
    unsigned state = seed * 2654435761u + 1u;
    for (int32 c = 0; c < channels; ++c)
    {
        for (int32 f = 0; f < frames; ++f)
        {
            state = state * 1664525u + 1013904223u;
            const double noise = static_cast<double>(state >> 8) / 16777216.0 - 0.5;
            const double burst = std::exp(-static_cast<double>(f % 4096) / 400.0);
            const double sine = 0.3 * std::sin(kTwoPi * (220.0 + 110.0 * c) * f / sampleRate);
            signal[static_cast<size_t>(c)][static_cast<size_t>(f)] = burst * noise + sine;
        }
    }
    return signal;
}

uint64 SilentChannels(const Channels& c, int32 first, int32 count)
{
    uint64 flags = 0;
    for (size_t k = 0; k < c.size() && k < 64; ++k)
    {
        const auto begin = c[k].begin() + first;
        if (std::all_of(begin, begin + count, [](double v) { return v == 0.0; }))
            flags |= uint64(1) << k;
    }
    return flags;
}

double MaxDifference(const Channels& a, const Channels& b)
{
    if (a.size() != b.size())
        return std::numeric_limits<double>::infinity();
    double worst = 0.0;
    for (size_t c = 0; c < a.size(); ++c)
    {
        if (a[c].size() != b[c].size())
            return std::numeric_limits<double>::infinity();
        for (size_t f = 0; f < a[c].size(); ++f)
        {
            const double d = std::fabs(a[c][f] - b[c][f]);
            if (!(d <= worst))
                worst = std::isnan(d) ? std::numeric_limits<double>::infinity() : d;
        }
    }
    return worst;
}

bool AllFinite(const Channels& c)
{
    for (const auto& channel : c)
        for (double v : channel)
            if (!std::isfinite(v))
                return false;
    return true;
}

// Audio through the module's three processing calls, compared with the same plug-in run
// through the offline adapter with the same input, parameters and calls.

#include "Vst2HostSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

enum class Call
{
    kReplacing,
    kAccumulating,
    kDouble,
};

struct RenderPlan
{
    const char* name;
    int channels;
    Call call;
    float sampleRate;
    VstIntPtr blockSize;
    std::vector<int> blocks;  // some longer than the block size
};

using Render = std::vector<std::vector<double>>;

// A fixed input: noise with an impulse and a tone, different on each channel.
double InputSample(int channel, int frame)
{
    uint32_t state = static_cast<uint32_t>(frame) * 2654435761u + static_cast<uint32_t>(channel) * 40503u;
    state ^= state >> 13;
    state *= 0x5bd1e995u;
    state ^= state >> 15;
    const double noise = (static_cast<double>(state & 0xFFFF) / 32768.0 - 1.0) * 0.1;
    const double tone = 0.4 * std::sin(0.013 * frame * (channel + 1));
    return noise + tone + (frame == 10 ? 1.0 : 0.0);
}

// What the host's output buffers hold before an accumulating call.
double PriorOutput(int channel, int frame)
{
    return 0.125 * std::cos(0.007 * frame + channel);
}

constexpr int kGuardFrames = 16;
constexpr double kGuardValue = -9876.0;

template <class Sample>
struct Block
{
    Block(int channels, int frames, int offset, bool accumulate)
    {
        for (int ch = 0; ch < channels; ++ch)
        {
            in.emplace_back(static_cast<size_t>(frames + kGuardFrames), static_cast<Sample>(kGuardValue));
            out.emplace_back(static_cast<size_t>(frames + kGuardFrames), static_cast<Sample>(kGuardValue));
            for (int f = 0; f < frames; ++f)
            {
                in.back()[static_cast<size_t>(f)] = static_cast<Sample>(InputSample(ch, offset + f));
                out.back()[static_cast<size_t>(f)] =
                    static_cast<Sample>(accumulate ? PriorOutput(ch, offset + f) : 555.0);
            }
        }
        for (int ch = 0; ch < channels; ++ch)
        {
            inPointers.push_back(in[static_cast<size_t>(ch)].data());
            outPointers.push_back(out[static_cast<size_t>(ch)].data());
        }
    }
    void AppendTo(Render& render, int frames) const
    {
        for (size_t ch = 0; ch < out.size(); ++ch)
        {
            for (int f = 0; f < frames; ++f)
                render[ch].push_back(static_cast<double>(out[ch][static_cast<size_t>(f)]));
            for (int f = frames; f < frames + kGuardFrames; ++f)
            {
                EXPECT_EQ(static_cast<double>(out[ch][static_cast<size_t>(f)]), kGuardValue) << "output overrun";
                EXPECT_EQ(static_cast<double>(in[ch][static_cast<size_t>(f)]), kGuardValue) << "input overrun";
            }
        }
    }
    std::vector<std::vector<Sample>> in, out;
    std::vector<Sample*> inPointers, outPointers;
};

// Parameter values set before the first block, and the changes made half way through.
std::vector<float> StartValues(int count) { return SomeNormalizedValues(count, 2024); }
std::vector<float> LaterValues(int count) { return SomeNormalizedValues(count, 77); }

Render RenderHosted(AEffect* e, const RenderPlan& plan)
{
    auto dispatch = [e](VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) {
        return e->dispatcher(e, opcode, 0, value, ptr, opt);
    };
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, nullptr, plan.sampleRate);
    dispatch(effSetBlockSize, plan.blockSize);
    VstSpeakerArrangement arrangement{};
    arrangement.type = plan.channels == 1 ? kSpeakerArrMono : kSpeakerArrStereo;
    arrangement.numChannels = plan.channels;
    dispatch(effSetSpeakerArrangement, reinterpret_cast<VstIntPtr>(&arrangement), &arrangement);
    dispatch(effMainsChanged, 1);
    const std::vector<float> start = StartValues(e->numParams);
    for (VstInt32 i = 0; i < e->numParams; ++i)
        e->setParameter(e, i, start[static_cast<size_t>(i)]);

    Render render(static_cast<size_t>(plan.channels));
    int offset = 0;
    for (size_t k = 0; k < plan.blocks.size(); ++k)
    {
        if (k == plan.blocks.size() / 2)
        {
            const std::vector<float> later = LaterValues(e->numParams);
            for (VstInt32 i = 0; i < e->numParams; i += 2)
                e->setParameter(e, i, later[static_cast<size_t>(i)]);
        }
        const int frames = plan.blocks[k];
        if (plan.call == Call::kDouble)
        {
            Block<double> block(plan.channels, frames, offset, false);
            e->processDoubleReplacing(e, block.inPointers.data(), block.outPointers.data(), frames);
            block.AppendTo(render, frames);
        }
        else
        {
            const bool accumulate = plan.call == Call::kAccumulating;
            Block<float> block(plan.channels, frames, offset, accumulate);
            (accumulate ? e->process : e->processReplacing)(e, block.inPointers.data(), block.outPointers.data(),
                                                            frames);
            block.AppendTo(render, frames);
        }
        offset += frames;
    }
    dispatch(effMainsChanged, 0);
    return render;
}

// The same calls as a VST 2.4 host makes, in the same order, on the offline build.
Render RenderReference(IEffectAdapter& plugin, const RenderPlan& plan)
{
    const int32_t count = plugin.ParameterCount();
    for (int32_t i = 0; i < count; ++i)  // effOpen
        plugin.OnParameterChanged(i);
    plugin.SetSampleRate(plan.sampleRate);
    plugin.OnReset();
    plugin.SetMaxBlockFrames(static_cast<int32_t>(plan.blockSize));
    plugin.OnReset();
    plugin.SetChannelCount(plan.channels);
    plugin.OnActivationChanged(true);
    auto set = [&plugin](int32_t i, float n) {
        plugin.Parameter(i)->SetFromNormalized(n);
        plugin.OnParameterChanged(i);
    };
    const std::vector<float> start = StartValues(count);
    for (int32_t i = 0; i < count; ++i)
        set(i, start[static_cast<size_t>(i)]);

    Render render(static_cast<size_t>(plan.channels));
    int offset = 0;
    for (size_t k = 0; k < plan.blocks.size(); ++k)
    {
        if (k == plan.blocks.size() / 2)
        {
            const std::vector<float> later = LaterValues(count);
            for (int32_t i = 0; i < count; i += 2)
                set(i, later[static_cast<size_t>(i)]);
        }
        const int frames = plan.blocks[k];
        if (plan.call == Call::kDouble)
        {
            Block<double> block(plan.channels, frames, offset, false);
            plugin.ProcessDouble(block.inPointers.data(), block.outPointers.data(), frames, false);
            block.AppendTo(render, frames);
        }
        else
        {
            const bool accumulate = plan.call == Call::kAccumulating;
            Block<float> block(plan.channels, frames, offset, accumulate);
            plugin.ProcessSingle(block.inPointers.data(), block.outPointers.data(), frames,
                                 accumulate ? IEffectBase::kProcessAccumulating : IEffectBase::kProcessReplacing);
            block.AppendTo(render, frames);
        }
        offset += frames;
    }
    plugin.OnActivationChanged(false);
    plugin.OnReset();
    return render;
}

const std::vector<int> kBlocks = {512, 1, 7, 256, 333, 512, 100, 1500, 64, 2048, 3, 2000};

const RenderPlan kPlans[] = {
    {"stereo replacing", 2, Call::kReplacing, 44100.0f, 512, kBlocks},
    {"stereo accumulating", 2, Call::kAccumulating, 44100.0f, 512, kBlocks},
    {"stereo double", 2, Call::kDouble, 44100.0f, 512, kBlocks},
    {"mono replacing", 1, Call::kReplacing, 48000.0f, 256, kBlocks},
    {"mono accumulating", 1, Call::kAccumulating, 48000.0f, 256, kBlocks},
    {"mono double", 1, Call::kDouble, 48000.0f, 256, kBlocks},
    {"stereo replacing, blocks beyond the block size", 2, Call::kReplacing, 96000.0f, 64, {4096, 17, 3000, 64, 65}},
    {"stereo double, blocks beyond the block size", 2, Call::kDouble, 96000.0f, 64, {4096, 17, 3000, 64, 65}},
};

} // namespace

TEST_F(HostTest, OutputMatchesTheOfflineRender)
{
    double worst = 0.0;
    for (const RenderPlan& plan : kPlans)
    {
        AEffect* e = Create();
        ASSERT_NE(e, nullptr);
        const Render hosted = RenderHosted(e, plan);
        e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
        std::unique_ptr<IEffectAdapter> offline(CreatePluginInstance(nullptr));
        offline->FillEmptyPresets("Empty", offline->PresetCount());
        const Render expected = RenderReference(*offline, plan);

        ASSERT_EQ(hosted.size(), expected.size()) << plan.name;
        double difference = 0.0;
        double energy = 0.0;
        for (size_t ch = 0; ch < hosted.size(); ++ch)
        {
            ASSERT_EQ(hosted[ch].size(), expected[ch].size()) << plan.name;
            for (size_t f = 0; f < hosted[ch].size(); ++f)
            {
                difference = std::max(difference, std::fabs(hosted[ch][f] - expected[ch][f]));
                energy += expected[ch][f] * expected[ch][f];
            }
        }
        EXPECT_LE(difference, 1e-12) << plan.name;
        EXPECT_GT(energy, 0.0) << plan.name;
        worst = std::max(worst, difference);
        printf("  %-50s max difference %g\n", plan.name, difference);
    }
    RecordProperty("max_difference", std::to_string(worst));
    printf("largest difference to the offline render: %g\n", worst);
}

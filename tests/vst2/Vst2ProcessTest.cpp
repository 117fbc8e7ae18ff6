#include "Vst2TestSupport.h"

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

namespace {

// Host audio for one direction: channel buffers with a guard zone after the frames the
// call may touch, and the pointer array the host hands over, sized exactly.
template <class Sample>
struct HostAudio
{
    static constexpr int kGuard = 32;
    static constexpr Sample kGuardValue = static_cast<Sample>(-12345.0);

    HostAudio(int channels, int frames) : frames(frames)
    {
        for (int ch = 0; ch < channels; ++ch)
            buffers.emplace_back(static_cast<size_t>(frames + kGuard), kGuardValue);
        for (auto& b : buffers)
            pointers.push_back(b.data());
    }
    void Fill(int offset)
    {
        for (size_t ch = 0; ch < buffers.size(); ++ch)
            for (int f = 0; f < frames; ++f)
                buffers[ch][static_cast<size_t>(f)] = static_cast<Sample>(
                    0.5 * std::sin(0.01 * (f + offset) * (1.0 + static_cast<double>(ch))) + (f + offset == 3 ? 1.0 : 0.0));
    }
    void Set(Sample value)
    {
        for (auto& b : buffers)
            std::fill(b.begin(), b.begin() + frames, value);
    }
    bool GuardsIntact() const
    {
        for (const auto& b : buffers)
            for (int i = frames; i < frames + kGuard; ++i)
                if (b[static_cast<size_t>(i)] != kGuardValue)
                    return false;
        return true;
    }
    Sample** Pointers() { return pointers.data(); }

    int frames;
    std::vector<std::vector<Sample>> buffers;
    std::vector<Sample*> pointers;
};

// Drives an instance with one stream of blocks of the given sizes and returns each output
// channel in full.
std::vector<std::vector<float>> RenderSingle(AEffect* effect, const std::vector<int>& blocks, int channels,
                                             bool accumulate = false)
{
    std::vector<std::vector<float>> result(static_cast<size_t>(channels));
    int offset = 0;
    for (int frames : blocks)
    {
        HostAudio<float> in(channels, frames);
        HostAudio<float> out(channels, frames);
        in.Fill(offset);
        out.Set(accumulate ? 0.25f : 99.0f);
        (accumulate ? effect->process : effect->processReplacing)(effect, in.Pointers(), out.Pointers(), frames);
        EXPECT_TRUE(out.GuardsIntact());
        EXPECT_TRUE(in.GuardsIntact());
        for (int ch = 0; ch < channels; ++ch)
            result[static_cast<size_t>(ch)].insert(result[static_cast<size_t>(ch)].end(), out.buffers[static_cast<size_t>(ch)].begin(),
                                                   out.buffers[static_cast<size_t>(ch)].begin() + frames);
        offset += frames;
    }
    return result;
}

std::vector<std::vector<double>> RenderDouble(AEffect* effect, const std::vector<int>& blocks, int channels,
                                              bool inPlace = false)
{
    std::vector<std::vector<double>> result(static_cast<size_t>(channels));
    int offset = 0;
    for (int frames : blocks)
    {
        HostAudio<double> in(channels, frames);
        HostAudio<double> out(channels, frames);
        in.Fill(offset);
        HostAudio<double>& target = inPlace ? in : out;
        effect->processDoubleReplacing(effect, in.Pointers(), target.Pointers(), frames);
        EXPECT_TRUE(out.GuardsIntact());
        EXPECT_TRUE(in.GuardsIntact());
        for (int ch = 0; ch < channels; ++ch)
            result[static_cast<size_t>(ch)].insert(result[static_cast<size_t>(ch)].end(), target.buffers[static_cast<size_t>(ch)].begin(),
                                                   target.buffers[static_cast<size_t>(ch)].begin() + frames);
        offset += frames;
    }
    return result;
}

class Vst2ProcessTest : public Vst2Test
{
protected:
    Vst2ProcessTest() { Prepare(effect, 512); }

    void Prepare(AEffect* e, VstIntPtr blockSize)
    {
        e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
        e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
        e->dispatcher(e, effSetBlockSize, 0, blockSize, nullptr, 0.0f);
        e->setParameter(e, TestGainDelay::kDelay, 0.3f);
        e->setParameter(e, TestGainDelay::kFeedback, 0.8f);
        e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    }
};

const std::vector<int> kOneBlock = {4000};
const std::vector<int> kVaryingBlocks = {1, 7, 512, 64, 3, 500, 1000, 1913};  // also longer than 512

} // namespace

TEST_F(Vst2ProcessTest, ImpulseThroughTheDelay)
{
    effect->setParameter(effect, TestGainDelay::kFeedback, 0.0f);
    effect->setParameter(effect, TestGainDelay::kCrossfeed, 1.0f);  // Cross 0
    const int delay = Plugin().DelaySamples();
    std::vector<float> left(2000, 0.0f), right(2000, 0.0f);
    left[0] = 1.0f;
    std::vector<float> outL(2000), outR(2000);
    float* ins[] = {left.data(), right.data()};
    float* outs[] = {outL.data(), outR.data()};
    effect->processReplacing(effect, ins, outs, 2000);
    // Gain 1 passes the impulse; Mix 0.5 adds its echo after the delay.
    EXPECT_FLOAT_EQ(outL[0], 1.0f);
    EXPECT_FLOAT_EQ(outL[static_cast<size_t>(delay)], 0.5f);
    EXPECT_FLOAT_EQ(outL[static_cast<size_t>(delay) + 1], 0.0f);
    EXPECT_EQ(outR, std::vector<float>(2000, 0.0f));
}

TEST_F(Vst2ProcessTest, BlockSizesDoNotChangeTheResult)
{
    const auto varying = RenderSingle(effect, kVaryingBlocks, 2);
    AEffect* other = VSTPluginMain(RecordingHost::Callback);
    Prepare(other, 4000);
    const auto whole = RenderSingle(other, {4000}, 2);
    other->dispatcher(other, effClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(varying, whole);
}

TEST_F(Vst2ProcessTest, BlocksLongerThanTheBlockSizeAreProcessedInSlices)
{
    // 512 set, 4000 delivered: every frame is rendered and nothing beyond the buffers is touched.
    const auto sliced = RenderSingle(effect, kOneBlock, 2);
    AEffect* other = VSTPluginMain(RecordingHost::Callback);
    Prepare(other, 4000);
    const auto whole = RenderSingle(other, kOneBlock, 2);
    other->dispatcher(other, effClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(sliced, whole);
    EXPECT_NE(sliced[0][3999], 99.0f);
}

TEST_F(Vst2ProcessTest, AccumulatingAddsOntoTheHostOutput)
{
    const auto accumulated = RenderSingle(effect, kVaryingBlocks, 2, true);
    AEffect* other = VSTPluginMain(RecordingHost::Callback);
    Prepare(other, 512);
    const auto replaced = RenderSingle(other, kVaryingBlocks, 2);
    other->dispatcher(other, effClose, 0, 0, nullptr, 0.0f);
    for (size_t ch = 0; ch < 2; ++ch)
        for (size_t f = 0; f < replaced[ch].size(); ++f)
            ASSERT_EQ(accumulated[ch][f], 0.25f + replaced[ch][f]) << ch << " " << f;
}

TEST_F(Vst2ProcessTest, DoublePrecisionMatchesSinglePrecisionInput)
{
    const auto doubles = RenderDouble(effect, kVaryingBlocks, 2);
    AEffect* other = VSTPluginMain(RecordingHost::Callback);
    Prepare(other, 512);
    const auto singles = RenderSingle(other, kVaryingBlocks, 2);
    other->dispatcher(other, effClose, 0, 0, nullptr, 0.0f);
    // The inputs differ by their rounding to single precision only.
    double worst = 0.0;
    for (size_t ch = 0; ch < 2; ++ch)
        for (size_t f = 0; f < singles[ch].size(); ++f)
            worst = std::max(worst, std::fabs(doubles[ch][f] - singles[ch][f]));
    EXPECT_LT(worst, 1e-5);
    EXPECT_GT(worst, 0.0);
}

TEST_F(Vst2ProcessTest, DoublePrecisionInPlace)
{
    const auto inPlace = RenderDouble(effect, kVaryingBlocks, 2, true);
    AEffect* other = VSTPluginMain(RecordingHost::Callback);
    Prepare(other, 512);
    const auto separate = RenderDouble(other, kVaryingBlocks, 2);
    other->dispatcher(other, effClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(inPlace, separate);
}

TEST_F(Vst2ProcessTest, MonoHostsHandOverOneBufferEachWay)
{
    VstSpeakerArrangement mono{};
    mono.type = kSpeakerArrMono;
    mono.numChannels = 1;
    ASSERT_EQ(Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &mono), 1);
    // The pointer arrays hold one entry: reading a second would be caught by the sanitizers.
    const auto single = RenderSingle(effect, kVaryingBlocks, 1);
    const auto doubles = RenderDouble(effect, kVaryingBlocks, 1);
    const auto accumulated = RenderSingle(effect, kVaryingBlocks, 1, true);
    ASSERT_EQ(single[0].size(), doubles[0].size());
    EXPECT_NE(single[0][100], 99.0f);
    EXPECT_NE(accumulated[0][100], 0.25f);
}

TEST_F(Vst2ProcessTest, DegenerateCallsDoNothingHarmful)
{
    HostAudio<float> in(2, 16), out(2, 16);
    out.Set(7.0f);
    effect->processReplacing(effect, in.Pointers(), out.Pointers(), 0);
    effect->processReplacing(effect, in.Pointers(), out.Pointers(), -16);
    effect->process(effect, in.Pointers(), out.Pointers(), -1);
    EXPECT_EQ(out.buffers[0][0], 7.0f);
    EXPECT_TRUE(out.GuardsIntact());
    // Missing input arrays read as silence; missing output arrays receive nothing.
    effect->processReplacing(effect, nullptr, out.Pointers(), 16);
    EXPECT_TRUE(out.GuardsIntact());
    effect->processReplacing(effect, in.Pointers(), nullptr, 16);
    effect->processDoubleReplacing(effect, nullptr, nullptr, 16);
    HostAudio<double> dout(2, 16);
    effect->processDoubleReplacing(effect, nullptr, dout.Pointers(), 16);
    EXPECT_TRUE(dout.GuardsIntact());
    // Calls on a foreign AEffect are ignored.
    AEffect stranger{};
    effect->processReplacing(&stranger, in.Pointers(), out.Pointers(), 16);
    EXPECT_EQ(effect->dispatcher(&stranger, effIdentify, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(effect->dispatcher(nullptr, effIdentify, 0, 0, nullptr, 0.0f), 0);
    effect->setParameter(nullptr, 0, 0.5f);
    EXPECT_EQ(effect->getParameter(nullptr, 0), 0.0f);
}

TEST_F(Vst2ProcessTest, AbsurdBlockSizeStillProcesses)
{
    Dispatch(effSetBlockSize, 0, static_cast<VstIntPtr>(1) << 40);
    const auto huge = RenderSingle(effect, kVaryingBlocks, 2);
    AEffect* other = VSTPluginMain(RecordingHost::Callback);
    Prepare(other, 512);
    const auto normal = RenderSingle(other, kVaryingBlocks, 2);
    other->dispatcher(other, effClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(huge, normal);
}

TEST_F(Vst2ProcessTest, SwitchingOffResetsTheEffect)
{
    RenderSingle(effect, {1000}, 2);
    Dispatch(effMainsChanged, 0, 0);
    Dispatch(effMainsChanged, 0, 1);
    HostAudio<float> in(2, 3000), out(2, 3000);
    in.Set(0.0f);
    effect->processReplacing(effect, in.Pointers(), out.Pointers(), 3000);
    for (const auto& channel : out.buffers)
        for (int f = 0; f < 3000; ++f)
            ASSERT_EQ(channel[static_cast<size_t>(f)], 0.0f) << f;
}

TEST(Vst2Lifecycle, ManyOpenCloseCycles)
{
    RecordingHost host;
    for (int cycle = 0; cycle < 200; ++cycle)
    {
        AEffect* effect = VSTPluginMain(RecordingHost::Callback);
        ASSERT_NE(effect, nullptr);
        effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
        effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
        effect->dispatcher(effect, effSetBlockSize, 0, 64, nullptr, 0.0f);
        effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
        HostAudio<float> in(2, 64), out(2, 64);
        in.Fill(cycle);
        effect->processReplacing(effect, in.Pointers(), out.Pointers(), 64);
        void* chunk = nullptr;
        effect->dispatcher(effect, effGetChunk, 0, 0, &chunk, 0.0f);
        effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    // Each instance asked its host once who it is.
    EXPECT_EQ(host.Count(audioMasterGetProductString), 200);
}

namespace {

// Notices a processing block and a parameter change running at the same time.
class OverlapProbe : public ConfigurableEffect
{
public:
    OverlapProbe() : ConfigurableEffect("1-1 2-2")
    {
        for (int32_t i = 0; i < ParameterCount(); ++i)
            Parameter(i)->InitContinuous("p", 0.0, 0.0, 1.0, 0.001, "");
    }
    void ProcessAudioBlock(double** inputs, double** outputs, int32_t frames) override
    {
        processing = true;
        Watch(changing);
        IEffectVST2::ProcessAudioBlock(inputs, outputs, frames);
        processing = false;
    }
    void OnParameterChanged(int32_t index) override
    {
        changing = true;
        Watch(processing);
        changing = false;
        IEffectVST2::OnParameterChanged(index);
    }
    // Keeps looking for a while and lets the other thread run meanwhile, so that an
    // overlap shows even when both threads share one core.
    void Watch(const std::atomic<bool>& other)
    {
        for (int i = 0; i < 8; ++i)
        {
            if (other)
                overlapped = true;
            std::this_thread::yield();
        }
    }
    std::atomic<bool> processing{false};
    std::atomic<bool> changing{false};
    std::atomic<bool> overlapped{false};
};

} // namespace

TEST(Vst2Concurrency, DispatcherCallsNeverOverlapProcessing)
{
    RecordingHost host;
    OverlapProbe plugin;
    AEffect* effect = plugin.GetAEffect();
    plugin.Dispatch(effSetBlockSize, 0, 64);
    std::atomic<bool> done{false};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        HostAudio<float> in(2, 64), out(2, 64);
        in.Fill(0);
        while (!done)
        {
            effect->processReplacing(effect, in.Pointers(), out.Pointers(), 64);
            ++blocks;
        }
    });
    void* chunk = nullptr;
    const VstIntPtr size = plugin.Dispatch(effGetChunk, 1, 0, &chunk);
    const std::vector<uint8_t> program(static_cast<uint8_t*>(chunk), static_cast<uint8_t*>(chunk) + size);
    // Changes keep coming until the audio thread has run a good many blocks alongside.
    for (int i = 0; blocks < 2000; ++i)
    {
        effect->setParameter(effect, i % 3, 0.001f * static_cast<float>(i % 1000));
        plugin.Dispatch(effSetChunk, 1, static_cast<VstIntPtr>(program.size()), const_cast<uint8_t*>(program.data()));
        char text[] = "0.5";
        plugin.Dispatch(effString2Parameter, 2, 0, text);
    }
    done = true;
    audio.join();
    EXPECT_FALSE(plugin.overlapped);
}

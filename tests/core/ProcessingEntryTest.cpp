#include "TestEffect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// Doubles each input and remembers the longest block it was asked for.
class DoublingEffect : public TestEffect
{
public:
    void ProcessAudioBlock(double** in, double** out, int32_t frames) override
    {
        longestBlock = std::max(longestBlock, frames);
        for (int32_t ch = 0; ch < 2; ++ch)
            for (int32_t f = 0; f < frames; ++f)
                out[ch][f] = 2.0 * in[ch][f];
    }
    int32_t longestBlock = 0;
};

std::vector<float> Ramp(int n, float start)
{
    std::vector<float> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        v[static_cast<size_t>(i)] = start + static_cast<float>(i);
    return v;
}

} // namespace

TEST(ProcessingEntry, SinglePrecisionRoundTrip)
{
    DoublingEffect effect;
    effect.SetMaxBlockFrames(16);
    auto left = Ramp(16, 1);
    auto right = Ramp(16, 100);
    std::vector<float> outL(16), outR(16);
    const float* ins[] = {left.data(), right.data()};
    float* outs[] = {outL.data(), outR.data()};
    effect.ProcessSingle(ins, outs, 16, IEffectBase::kProcessReplacing);
    EXPECT_EQ(outL[3], 8.0f);
    EXPECT_EQ(outR[15], 230.0f);
}

TEST(ProcessingEntry, HostBuffersAreConsumedOnlyByConnectedChannels)
{
    DoublingEffect effect;
    effect.SetMaxBlockFrames(8);
    effect.Inputs().SetConnected(0, false);
    effect.Inputs().SetConnected(1, true);
    auto host = Ramp(8, 1);
    std::vector<float> outL(8, -1), outR(8, -1);
    const float* ins[] = {host.data()};
    float* outs[] = {outL.data(), outR.data()};
    effect.ProcessSingle(ins, outs, 8, IEffectBase::kProcessReplacing);
    // The unconnected left input reads its zeroed scratch; the host's only buffer feeds the right.
    EXPECT_EQ(outL, std::vector<float>(8, 0.0f));
    EXPECT_EQ(outR[0], 2.0f);
    EXPECT_EQ(outR[7], 16.0f);

    // An unconnected channel reads its scratch as it was left.
    effect.Inputs().At(0).scratch[2] = 5.0;
    effect.ProcessSingle(ins, outs, 8, IEffectBase::kProcessReplacing);
    EXPECT_EQ(outL[2], 10.0f);
}

TEST(ProcessingEntry, UnconnectedOutputsAreNotWrittenToTheHost)
{
    DoublingEffect effect;
    effect.SetMaxBlockFrames(4);
    effect.Outputs().SetConnected(1, false);
    auto in = Ramp(4, 1);
    std::vector<float> outL(4, -1), spare(4, -1);
    const float* ins[] = {in.data(), in.data()};
    float* outs[] = {outL.data(), spare.data()};
    effect.ProcessSingle(ins, outs, 4, IEffectBase::kProcessReplacing);
    EXPECT_EQ(outL[1], 4.0f);
    EXPECT_EQ(spare, std::vector<float>(4, -1.0f));
}

TEST(ProcessingEntry, LongHostBlocksAreProcessedInSlices)
{
    DoublingEffect effect;
    effect.SetMaxBlockFrames(10);
    auto in = Ramp(37, 1);
    std::vector<float> outL(37), outR(37);
    const float* ins[] = {in.data(), in.data()};
    float* outs[] = {outL.data(), outR.data()};
    effect.ProcessSingle(ins, outs, 37, IEffectBase::kProcessReplacing);
    EXPECT_EQ(effect.longestBlock, 10);
    for (int i = 0; i < 37; ++i)
        ASSERT_EQ(outL[static_cast<size_t>(i)], 2.0f * (1.0f + static_cast<float>(i)));

    std::vector<double> dIn(37, 1.5), dOutL(37), dOutR(37);
    const double* dIns[] = {dIn.data(), dIn.data()};
    double* dOuts[] = {dOutL.data(), dOutR.data()};
    effect.ProcessDouble(dIns, dOuts, 37, false);
    EXPECT_EQ(dOutR, std::vector<double>(37, 3.0));
}

TEST(ProcessingEntry, AccumulatingAddsOntoTheHostOutput)
{
    DoublingEffect effect;
    effect.SetMaxBlockFrames(4);
    auto in = Ramp(4, 1);
    std::vector<float> outL(4, 10.0f), outR(4, 0.5f);
    const float* ins[] = {in.data(), in.data()};
    float* outs[] = {outL.data(), outR.data()};
    effect.ProcessSingle(ins, outs, 4, IEffectBase::kProcessAccumulating);
    EXPECT_EQ(outL, (std::vector<float>{12, 14, 16, 18}));
    EXPECT_EQ(outR[0], 2.5f);
}

TEST(ProcessingEntry, BypassPassesTheInputOrDelaysItByTheLatency)
{
    DoublingEffect effect;
    effect.SetMaxBlockFrames(6);
    auto in = Ramp(6, 1);
    std::vector<float> outL(6), outR(6);
    const float* ins[] = {in.data(), in.data()};
    float* outs[] = {outL.data(), outR.data()};
    effect.ProcessSingle(ins, outs, 6, IEffectBase::kProcessBypassed);
    EXPECT_EQ(outL, in);

    effect.CreateLatencyDelay();
    effect.SetLatencySamples(2);
    effect.ProcessSingle(ins, outs, 6, IEffectBase::kProcessBypassed);
    EXPECT_EQ(outR, (std::vector<float>{0, 0, 1, 2, 3, 4}));
    effect.ProcessSingle(ins, outs, 6, IEffectBase::kProcessBypassed);
    EXPECT_EQ(outR, (std::vector<float>{5, 6, 1, 2, 3, 4}));
}

TEST(ProcessingEntry, DoublePrecisionWorksInPlace)
{
    DoublingEffect effect;
    effect.SetMaxBlockFrames(4);
    std::vector<double> left = {1, 2, 3, 4}, right = {5, 6, 7, 8};
    double* io[] = {left.data(), right.data()};
    effect.ProcessDouble(io, io, 4, false);
    EXPECT_EQ(left, (std::vector<double>{2, 4, 6, 8}));
    EXPECT_EQ(right, (std::vector<double>{10, 12, 14, 16}));
}

TEST(ProcessingEntry, MissingBuffersAndBlockSizesNeverOverrun)
{
    DoublingEffect effect;
    std::vector<float> outL(8, 3.0f), outR(8, 3.0f);
    float* outs[] = {outL.data(), outR.data()};
    // No block size yet: nothing can be processed, so the host hears silence.
    effect.ProcessSingle(nullptr, outs, 8, IEffectBase::kProcessReplacing);
    EXPECT_EQ(outL, std::vector<float>(8, 0.0f));
    EXPECT_EQ(effect.longestBlock, 0);

    effect.SetMaxBlockFrames(4);
    outL.assign(8, 3.0f);
    const float* ins[] = {nullptr, nullptr};
    effect.ProcessSingle(ins, outs, 8, IEffectBase::kProcessReplacing);
    EXPECT_EQ(outL, std::vector<float>(8, 0.0f));
    float* noOuts[] = {nullptr, nullptr};
    effect.ProcessSingle(nullptr, noOuts, 8, IEffectBase::kProcessReplacing);
    effect.ProcessDouble(nullptr, nullptr, 8, false);
    effect.ProcessSingle(ins, outs, 0, IEffectBase::kProcessReplacing);
    effect.ProcessSingle(ins, outs, -5, IEffectBase::kProcessReplacing);
    EXPECT_EQ(effect.longestBlock, 4);
}

TEST(ProcessingEntry, AnInputTheHostStopsFeedingReadsSilence)
{
    DoublingEffect effect;
    effect.SetMaxBlockFrames(4);
    auto in = Ramp(4, 1);
    std::vector<float> outL(4), outR(4);
    const float* ins[] = {in.data(), in.data()};
    float* outs[] = {outL.data(), outR.data()};
    effect.ProcessSingle(ins, outs, 4, IEffectBase::kProcessReplacing);
    EXPECT_EQ(outR[3], 8.0f);
    effect.Inputs().SetConnected(1, false);
    effect.ProcessSingle(ins, outs, 4, IEffectBase::kProcessReplacing);
    EXPECT_EQ(outL[3], 8.0f);
    EXPECT_EQ(outR, std::vector<float>(4, 0.0f));
}

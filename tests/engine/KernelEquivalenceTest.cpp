// The vector kernels against the scalar reference: long noise renders through engines that
// differ only in their kernel, with parameter changes landing inside host blocks. With
// Turbulence Off every sample must match bit for bit; with it On, within the tolerance of
// MatchesReference (the kernels raise the stage gains with their own exponential).
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace EngineTest;

// Full ten-second renders natively; the sanitizer build, many times slower, renders less.
constexpr double kRenderSeconds = kShortRenders ? 1.5 : 10.0;

struct KernelRender {
    Stereo output;
    std::unique_ptr<ReverbEngine> engine; // as it ended
};

// Host blocks of uneven sizes, cut again wherever a change falls inside one, as the framework
// does when a host delivers a change with a sample offset.
const int kBlockPattern[] = {512, 1, 77, 480, 3, 256, 1024, 19, 2, 333};

KernelRender RenderThrough(ReverbKernel kernel, double rate, const std::vector<TimedChange>& initial, const Stereo& input,
                     const std::vector<TimedChange>& changes)
{
    KernelRender r;
    r.engine = std::make_unique<ReverbEngine>();
    EXPECT_EQ(r.engine->SetKernel(kernel), kernel);
    r.engine->SetHostSampleRate(rate);
    for (const TimedChange& c : initial)
        r.engine->SetParameterCopy(c.index, c.value);
    r.engine->ResetEngine();

    const int frames = static_cast<int>(input.left.size());
    r.output = Silence(frames);
    std::size_t next = 0;
    int pattern = 0;
    for (int start = 0; start < frames;) {
        while (next < changes.size() && static_cast<int>(changes[next].atSecond * rate) <= start) {
            r.engine->ApplyParameter(changes[next].index, changes[next].value);
            ++next;
        }
        int count = std::min(kBlockPattern[pattern++ % std::size(kBlockPattern)], frames - start);
        if (next < changes.size())
            count = std::min(count, std::max(1, static_cast<int>(changes[next].atSecond * rate) - start));
        const double* ins[2] = {input.left.data() + start, input.right.data() + start};
        double* outs[2] = {r.output.left.data() + start, r.output.right.data() + start};
        r.engine->Process(ins, outs, count);
        start += count;
    }
    return r;
}

// Every store-only and recomputing parameter, moved at odd moments; the input mode visits all
// four routings and two in-between values. Far echo and Diffusion stay in their usual ranges
// here; ExtremeFeedback covers their ends.
std::vector<TimedChange> ChangesOfEveryKind(double seconds)
{
    const double t = seconds / 10.0;
    return {{0.37 * t, P::kInput, 0.0},        {0.61 * t, P::kDiffusion, 0.9},  {0.9 * t, P::kFarEcho, 0.3},
            {1.3 * t, P::kInput, 1.0 / 3.0},  {1.7 * t, P::kRoomSize, 0.9},     {2.1 * t, P::kPreDelay, 0.0},
            {2.5 * t, P::kMix, 0.8},           {2.9 * t, P::kInput, 2.0 / 3.0},  {3.3 * t, P::kModRate, 1.0},
            {3.6 * t, P::kTurbRate, 1.0},      {4.1 * t, P::kLowCut, 0.6},       {4.4 * t, P::kHighCut, 0.95},
            {4.8 * t, P::kInput, 1.0},         {5.2 * t, P::kDarkness, 1.0},     {5.5 * t, P::kRoomSize, 0.15},
            {5.9 * t, P::kDiffusion, 0.85},   {6.3 * t, P::kPreDelay, 1.0},     {6.7 * t, P::kInput, 0.5},
            {7.1 * t, P::kFarEcho, 0.2},       {7.4 * t, P::kDiffusion, 0.0},    {7.8 * t, P::kInput, 0.35},
            {8.2 * t, P::kRoomSize, 0.6},      {8.5 * t, P::kMix, 1.0},          {8.8 * t, P::kDiffusion, 0.708},
            {9.2 * t, P::kInput, 0.65},        {9.5 * t, P::kModRate, 0.0},      {9.7 * t, P::kPreDelay, 0.37}};
}

// The generators and positions must come out identical; the stage gains too with Turbulence
// Off, and within a unit or two in the last place with it On.
void ExpectSameState(const ReverbEngine& got, const ReverbEngine& reference, bool turbulenceOn)
{
    EXPECT_EQ(got.WritePos(), reference.WritePos());
    EXPECT_EQ(got.RandomState(), reference.RandomState());
    for (int i = 0; i < ReverbEngine::kMaxLines; ++i) {
        EXPECT_TRUE(SameBits(got.ModOffsetL(i), reference.ModOffsetL(i))) << "line " << i;
        EXPECT_TRUE(SameBits(got.ModOffsetR(i), reference.ModOffsetR(i))) << "line " << i;
        EXPECT_TRUE(SameBits(got.ModStepL(i), reference.ModStepL(i))) << "line " << i;
        EXPECT_TRUE(SameBits(got.TurbWalkA(i), reference.TurbWalkA(i))) << "line " << i;
        EXPECT_TRUE(SameBits(got.TurbWalkB(i), reference.TurbWalkB(i))) << "line " << i;
        EXPECT_TRUE(SameBits(got.TurbStepA(i), reference.TurbStepA(i))) << "line " << i;
        if (turbulenceOn) {
            EXPECT_NEAR(got.StageGainL(i), reference.StageGainL(i), 4e-16 * reference.StageGainL(i)) << "line " << i;
            EXPECT_NEAR(got.StageGainR(i), reference.StageGainR(i), 4e-16 * reference.StageGainR(i)) << "line " << i;
        } else {
            EXPECT_TRUE(SameBits(got.StageGainL(i), reference.StageGainL(i))) << "line " << i;
            EXPECT_TRUE(SameBits(got.StageGainR(i), reference.StageGainR(i))) << "line " << i;
        }
    }
}

// Renders through the reference and every vector kernel and compares. The vector kernels
// also agree with each other bit for bit: they compute the same operations.
void CompareKernels(double rate, const std::vector<TimedChange>& initial, const Stereo& input,
                    const std::vector<TimedChange>& changes, bool turbulenceOn)
{
    const KernelRender reference = RenderThrough(ReverbKernel::kReference, rate, initial, input, changes);
    std::vector<KernelRender> fast;
    for (const ReverbKernel kernel : FastKernels()) {
        SCOPED_TRACE(KernelName(kernel));
        fast.push_back(RenderThrough(kernel, rate, initial, input, changes));
        EXPECT_TRUE(MatchesReference(fast.back().output.left, reference.output.left, !turbulenceOn));
        EXPECT_TRUE(MatchesReference(fast.back().output.right, reference.output.right, !turbulenceOn));
        ExpectSameState(*fast.back().engine, *reference.engine, turbulenceOn);
    }
    for (std::size_t k = 1; k < fast.size(); ++k) {
        EXPECT_TRUE(MatchesReference(fast[k].output.left, fast[0].output.left, true));
        EXPECT_TRUE(MatchesReference(fast[k].output.right, fast[0].output.right, true));
    }
    double energy = 0.0;
    for (const double v : reference.output.right)
        energy += v * v;
    EXPECT_GT(energy, 1.0); // the comparison compared sound
}

class KernelEquivalence : public ::testing::TestWithParam<std::tuple<double, bool, bool>> {};

TEST_P(KernelEquivalence, NoiseWithChangesOfEveryParameter)
{
    const auto [rate, turbulenceOn, airOn] = GetParam();
    const int frames = static_cast<int>(kRenderSeconds * rate);
    CompareKernels(rate, {{0, P::kTurbulence, turbulenceOn ? 0.0 : 1.0}, {0, P::kAir, airOn ? 0.0 : 1.0}},
                   NoiseStereo(frames, 31, 0.8), ChangesOfEveryKind(kRenderSeconds), turbulenceOn);
}

std::string Name(const ::testing::TestParamInfo<KernelEquivalence::ParamType>& info)
{
    const auto [rate, turbulenceOn, airOn] = info.param;
    return std::to_string(static_cast<int>(rate)) + (turbulenceOn ? "_TurbulenceOn" : "_TurbulenceOff") +
           (airOn ? "_AirOn" : "_AirOff");
}

INSTANTIATE_TEST_SUITE_P(RatesAndSwitches, KernelEquivalence,
                         ::testing::Combine(::testing::Values(44100.0, 48000.0, 96000.0), ::testing::Bool(),
                                            ::testing::Bool()),
                         Name);

TEST(KernelEquivalenceEdges, LinesAsLongAsTheirMemoryAndPreDelaysAtTheEnds)
{
    // 384 kHz, room 1: the first lines are exactly the capacity long, so reads, spreads and
    // the write meet at the wrap; the pre-delay sweeps its whole range.
    const double rate = 384000.0;
    const int frames = static_cast<int>(0.75 * kRenderSeconds / 10.0 * 4 * ReverbEngine::kLineCapacity);
    for (const bool turbulenceOn : {false, true}) {
        for (const double air : {0.0, 1.0}) {
            SCOPED_TRACE(std::string(turbulenceOn ? "turbulence on" : "turbulence off") +
                         (air == 0.0 ? ", air on" : ", air off"));
            const double t = frames / rate;
            CompareKernels(rate,
                           {{0, P::kTurbulence, turbulenceOn ? 0.0 : 1.0}, {0, P::kAir, air}, {0, P::kRoomSize, 1.0},
                            {0, P::kPreDelay, 1.0}, {0, P::kFarEcho, 1.0}, {0, P::kModRate, 1.0}},
                           NoiseStereo(frames, 32, 0.8),
                           {{0.3 * t, P::kPreDelay, 0.99999}, {0.5 * t, P::kPreDelay, 1.0 / 61056.0},
                            {0.7 * t, P::kPreDelay, 0.0}, {0.8 * t, P::kDiffusion, 1.0}},
                           turbulenceOn);
        }
    }
}

TEST(KernelEquivalenceEdges, OffsetsLeftFarBeyondAShrunkenDepth)
{
    // Room size jumps between its ends while the modulation runs fast: offsets lie far outside
    // the new depth for a long time, and the taps wander near and past the write position.
    for (const bool turbulenceOn : {false, true}) {
        SCOPED_TRACE(turbulenceOn ? "turbulence on" : "turbulence off");
        const double rate = 44056.0;
        const int frames = static_cast<int>(0.4 * kRenderSeconds * rate);
        std::vector<TimedChange> changes;
        for (int k = 1; k < 40; ++k)
            changes.push_back({k * 0.01 * kRenderSeconds, P::kRoomSize, k % 2 == 0 ? 1.0 : 0.0});
        CompareKernels(rate,
                       {{0, P::kTurbulence, turbulenceOn ? 0.0 : 1.0}, {0, P::kModRate, 1.0}, {0, P::kDiffusion, 0.95},
                        {0, P::kFarEcho, 1.0}, {0, P::kPreDelay, 1.0}},
                       NoiseStereo(frames, 33, 0.8), changes, turbulenceOn);
    }
}

TEST(KernelEquivalenceEdges, TailDecayingToExactZeros)
{
    // A short bright room after a burst of noise: the tail passes the flush level of 1e-100
    // within ten seconds, so the comparison covers the flushes and the exact zeros after them.
    for (const bool turbulenceOn : {false, true}) {
        SCOPED_TRACE(turbulenceOn ? "turbulence on" : "turbulence off");
        const double rate = 48000.0;
        const int frames = static_cast<int>(10.0 * rate);
        Stereo input = NoiseStereo(frames, 34, 0.8);
        for (int n = 4800; n < frames; ++n) {
            input.left[n] = 0.0;
            input.right[n] = 0.0;
        }
        const std::vector<TimedChange> setup = {{0, P::kTurbulence, turbulenceOn ? 0.0 : 1.0}, {0, P::kRoomSize, 0.0},
                                           {0, P::kDiffusion, 0.0}, {0, P::kDarkness, 1.0}, {0, P::kMix, 1.0}};
        CompareKernels(rate, setup, input, {}, turbulenceOn);
        const KernelRender reference = RenderThrough(ReverbKernel::kReference, rate, setup, input, {});
        int tiny = 0;
        for (const double v : reference.output.left)
            tiny += v != 0.0 && std::fabs(v) < 1e-100 ? 1 : 0;
        EXPECT_GT(tiny, 1000);
    }
}

TEST(KernelEquivalenceEdges, DiffusionOneMakesTurbulenceExactToo)
{
    // Every stage gain is exactly 1, whatever the deviation, so nothing is left to round.
    const double rate = 48000.0;
    const int frames = static_cast<int>(0.3 * kRenderSeconds * rate);
    CompareKernels(rate, {{0, P::kDiffusion, 1.0}, {0, P::kFarEcho, 0.5}}, NoiseStereo(frames, 35, 0.8), {}, false);
}

TEST(KernelEquivalenceEdges, BadInputAndMissingChannels)
{
    const double rate = 44100.0;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    Stereo input = NoiseStereo(20000, 36, 0.8);
    input.left[100] = nan;
    input.right[101] = inf;
    input.left[5000] = -inf;
    input.right[7000] = std::numeric_limits<double>::denorm_min();
    for (const double mode : {0.0, 1.0 / 3.0, 2.0 / 3.0, 1.0})
        CompareKernels(rate, {{0, P::kTurbulence, 1.0}, {0, P::kInput, mode}, {0, P::kFarEcho, 0.8}}, input, {}, false);

    for (const ReverbKernel kernel : FastKernels()) {
        auto fast = std::make_unique<ReverbEngine>();
        auto reference = std::make_unique<ReverbEngine>();
        fast->SetKernel(kernel);
        reference->SetKernel(ReverbKernel::kReference);
        for (ReverbEngine* e : {fast.get(), reference.get()}) {
            e->SetParameterCopy(P::kTurbulence, 1.0);
            e->SetParameterCopy(P::kInput, 1.0);
            e->ResetEngine();
        }
        const double left[4] = {0.5, -0.25, 0.125, 1.0};
        const double* onlyLeft[2] = {left, nullptr};
        double a[2][4], b[2][4];
        double* outA[2] = {a[0], a[1]};
        double* outB[2] = {b[0], b[1]};
        const double* const* inputTables[] = {onlyLeft, nullptr};
        for (const double* const* ins : inputTables) {
            fast->Process(ins, outA, 4);
            reference->Process(ins, outB, 4);
            for (int n = 0; n < 4; ++n) {
                EXPECT_TRUE(SameBits(a[0][n], b[0][n])) << KernelName(kernel) << " frame " << n;
                EXPECT_TRUE(SameBits(a[1][n], b[1][n])) << KernelName(kernel) << " frame " << n;
            }
        }
    }
}

TEST(KernelEquivalenceEdges, SwitchingKernelsBetweenBlocks)
{
    // All kernels share the engine's state, so switching at any block changes nothing.
    const double rate = 48000.0;
    const Stereo input = NoiseStereo(static_cast<int>(0.2 * kRenderSeconds * rate), 37, 0.8);
    auto reference = MakeEngine(rate);
    auto switching = MakeEngine(rate);
    for (ReverbEngine* e : {reference.get(), switching.get()}) {
        e->ApplyParameter(P::kTurbulence, 1.0);
        e->ApplyParameter(P::kFarEcho, 0.9);
    }
    reference->SetKernel(ReverbKernel::kReference);
    std::vector<ReverbKernel> cycle = FastKernels();
    cycle.push_back(ReverbKernel::kReference);
    const Stereo expected = Render(*reference, input, 301);
    Stereo got = Silence(static_cast<int>(input.left.size()));
    int block = 0;
    for (std::size_t start = 0; start < input.left.size(); start += 301, ++block) {
        switching->SetKernel(cycle[block % cycle.size()]);
        const int count = static_cast<int>(std::min<std::size_t>(301, input.left.size() - start));
        const double* ins[2] = {&input.left[start], &input.right[start]};
        double* outs[2] = {&got.left[start], &got.right[start]};
        switching->Process(ins, outs, count);
    }
    EXPECT_TRUE(MatchesReference(got.left, expected.left, true));
    EXPECT_TRUE(MatchesReference(got.right, expected.right, true));
}

TEST(KernelEquivalenceEdges, SetupsWithoutAVectorKernelUseTheReference)
{
    // A Turbulence copy stored without its reset leaves 8 lines without turbulence (or 6
    // with); the engine then renders with the reference, exactly.
    for (const double stored : {1.0, 0.0}) {
        auto reference = MakeEngine(44100.0);
        auto fast = MakeEngine(44100.0);
        reference->SetKernel(ReverbKernel::kReference);
        for (ReverbEngine* e : {reference.get(), fast.get()}) {
            e->ApplyParameter(P::kTurbulence, 1.0 - stored); // resets to the other line count
            e->SetParameterCopy(P::kTurbulence, stored);     // and then no reset
        }
        const Stereo input = NoiseStereo(5000, 38);
        const Stereo a = Render(*reference, input);
        const Stereo b = Render(*fast, input);
        EXPECT_TRUE(MatchesReference(b.left, a.left, true));
        EXPECT_TRUE(MatchesReference(b.right, a.right, true));
    }
}

TEST(KernelSelection, DefaultsToTheBestAndFallsBackToWhatTheCpuRuns)
{
    ReverbEngine* engine = new ReverbEngine;
    EXPECT_EQ(engine->Kernel(), BestSupportedKernel());
    EXPECT_TRUE(IsKernelSupported(ReverbKernel::kReference));
    EXPECT_TRUE(IsKernelSupported(ReverbKernel::kSse2));
    for (const ReverbKernel k : {ReverbKernel::kReference, ReverbKernel::kSse2, ReverbKernel::kAvx2}) {
        const ReverbKernel chosen = engine->SetKernel(k);
        EXPECT_EQ(chosen, IsKernelSupported(k) ? k : BestSupportedKernel());
        EXPECT_EQ(engine->Kernel(), chosen);
    }
    EXPECT_STREQ(KernelName(ReverbKernel::kAvx2), "avx2");
    delete engine;
}

} // namespace

// Audio behaviour of the engine: silence before reset, routing, the dry/wet mix, the first
// wet sample of an impulse, stage gains, bad input, long silence and extreme settings.
#include "EngineTestSupport.h"
#include "ScopedFlushDenormals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace EngineTest;

std::unique_ptr<ReverbEngine> EngineWith(double hostRate, std::initializer_list<std::pair<int, double>> params)
{
    auto engine = std::make_unique<ReverbEngine>();
    engine->SetHostSampleRate(hostRate);
    for (const auto& [index, value] : params)
        engine->SetParameterCopy(index, value);
    engine->ResetEngine();
    return engine;
}

Stereo Impulse(int frames, double left, double right)
{
    Stereo input = Silence(frames);
    input.left[0] = left;
    input.right[0] = right;
    return input;
}

bool AllFinite(const std::vector<double>& samples)
{
    for (const double s : samples)
        if (!std::isfinite(s))
            return false;
    return true;
}

// What the first wet sample of a unit impulse must be with Turbulence Off: every stage passes
// its input on times -g while the lines are still empty.
double FirstWetSample(const ReverbEngine& engine, double mix)
{
    const double g = engine.StageGainL(0);
    double chain = engine.LowCutGain() * engine.HighCutCoef();
    for (int i = 0; i < engine.LineCount(); ++i)
        chain *= -g;
    return -mix * engine.OutputGain() * chain;
}

TEST(EngineProcess, SilentUntilTheFirstReset)
{
    auto engine = std::make_unique<ReverbEngine>();
    const auto input = NoiseStereo(2048, 1);
    engine->ApplyParameter(P::kMix, 0.0); // changes before the reset are stored...
    engine->ApplyParameter(P::kInput, 1.0);
    const auto output = Render(*engine, input); // ...but the engine stays silent
    for (std::size_t n = 0; n < output.left.size(); ++n) {
        ASSERT_EQ(output.left[n], 0.0);
        ASSERT_EQ(output.right[n], 0.0);
    }
    EXPECT_EQ(engine->WritePos(), 0);
    engine->ResetEngine();
    const auto afterReset = Render(*engine, input);
    EXPECT_EQ(afterReset.left, input.left);
    EXPECT_EQ(afterReset.right, input.right);
}

TEST(EngineProcess, FrameCountOfZeroOrLessWritesAndChangesNothing)
{
    auto engine = MakeEngine();
    auto twin = MakeEngine();
    const auto warmup = NoiseStereo(700, 2);
    Render(*engine, warmup);
    Render(*twin, warmup);

    double left[4] = {7, 7, 7, 7};
    double right[4] = {7, 7, 7, 7};
    const double in[4] = {1, 1, 1, 1};
    const double* ins[2] = {in, in};
    double* outs[2] = {left, right};
    engine->Process(ins, outs, 0);
    engine->Process(ins, outs, -5);
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(left[n], 7.0);
        EXPECT_EQ(right[n], 7.0);
    }
    EXPECT_EQ(engine->WritePos(), twin->WritePos());
    EXPECT_EQ(engine->RandomState(), twin->RandomState());

    const auto input = NoiseStereo(3000, 3);
    const auto a = Render(*engine, input);
    const auto b = Render(*twin, input);
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.right, b.right);
}

TEST(EngineProcess, MixZeroOutputsTheRoutedInput)
{
    const double third = 1.0 / 3.0;
    const struct {
        double input;
        int mode; // 0 L, 1 R, 2 L+R, 3 L&R
    } cases[] = {{0.0, 0}, {third, 1}, {2 * third, 2}, {1.0, 3}, {0.35, 1}, {0.65, 2}, {0.5, 3}, {0.66, 2},
                 {0.3, 3}, {0.7, 3}, {0.1, 3}};
    const auto input = NoiseStereo(1500, 4);
    for (const auto& c : cases) {
        auto engine = EngineWith(44100.0, {{P::kMix, 0.0}, {P::kInput, c.input}});
        ASSERT_EQ(engine->OutputGain(), 1.0);
        const auto output = Render(*engine, input, 256);
        for (std::size_t n = 0; n < input.left.size(); ++n) {
            const double l = input.left[n];
            const double r = input.right[n];
            const double sum = (r + l) * 0.5;
            const double expectLeft[] = {l, r, sum, l};
            const double expectRight[] = {l, r, sum, r};
            ASSERT_EQ(output.left[n], expectLeft[c.mode]) << "input " << c.input << " frame " << n;
            ASSERT_EQ(output.right[n], expectRight[c.mode]) << "input " << c.input << " frame " << n;
        }
    }
}

TEST(EngineProcess, MixOneOutputsOnlyTheNegatedWetSignal)
{
    auto engine = EngineWith(44100.0, {{P::kMix, 1.0}, {P::kInput, 1.0}, {P::kTurbulence, 1.0}});
    const auto output = Render(*engine, Impulse(1000, 1.0, 0.0));
    EXPECT_EQ(output.left[0], 0.0); // no dry
    const int preDelay = static_cast<int>(engine->LineLengthL(0) * 0.2);
    EXPECT_NEAR(output.left[preDelay], FirstWetSample(*engine, 1.0), 1e-15);
    EXPECT_LT(output.left[preDelay], 0.0); // six stages of -g keep the sign, the mix subtracts it
}

TEST(EngineProcess, MixBlendsDryAndWetWithTheOutputGain)
{
    const auto input = NoiseStereo(20000, 5);
    auto dry = EngineWith(48000.0, {{P::kMix, 0.0}});
    auto wet = EngineWith(48000.0, {{P::kMix, 1.0}});
    auto half = EngineWith(48000.0, {{P::kMix, 0.5}});
    const auto d = Render(*dry, input);
    const auto w = Render(*wet, input);
    const auto h = Render(*half, input);
    for (std::size_t n = 0; n < input.left.size(); n += 97) {
        EXPECT_NEAR(h.left[n], (0.5 * d.left[n] + 0.5 * w.left[n]) * std::sqrt(2.0), 1e-12);
        EXPECT_NEAR(h.right[n], (0.5 * d.right[n] + 0.5 * w.right[n]) * std::sqrt(2.0), 1e-12);
    }
}

TEST(EngineProcess, ImpulseReachesTheOutputAfterThePreDelay)
{
    for (const double preDelayValue : {0.0, 0.2, 1.0}) {
        const double mix = 0.33;
        auto engine = EngineWith(44100.0, {{P::kInput, 1.0}, {P::kTurbulence, 1.0}, {P::kPreDelay, preDelayValue}});
        const int preDelay = static_cast<int>(engine->LineLengthL(0) * preDelayValue);
        const auto output = Render(*engine, Impulse(4000, 1.0, 0.0));

        const double dry = (1.0 - mix) * engine->OutputGain();
        const double wet = FirstWetSample(*engine, mix);
        if (preDelay == 0) {
            EXPECT_NEAR(output.left[0], dry + wet, 1e-15);
        } else {
            EXPECT_NEAR(output.left[0], dry, 1e-15);
            for (int n = 1; n < preDelay; ++n)
                ASSERT_EQ(output.left[n], 0.0) << "frame " << n;
            EXPECT_NEAR(output.left[preDelay], wet, 1e-15) << "pre-delay " << preDelay;
        }
        EXPECT_NE(output.left[preDelay + 1], 0.0); // the filtered impulse goes on ringing
        // Far echo 0: nothing crosses to the right side, which has no input of its own.
        for (const double s : output.right)
            ASSERT_EQ(s, 0.0);
    }
}

TEST(EngineProcess, FarEchoCouplesTheSides)
{
    auto engine = EngineWith(44100.0, {{P::kInput, 1.0}, {P::kFarEcho, 1.0}});
    const auto output = Render(*engine, Impulse(8000, 1.0, 0.0));
    double energy = 0.0;
    for (const double s : output.right)
        energy += s * s;
    EXPECT_GT(energy, 1e-6);
}

TEST(EngineProcess, TurbulenceOffKeepsEveryStageGainAtTheDiffusionGain)
{
    const auto input = NoiseStereo(400, 6);
    for (const double diffusion : {0.0, 0.3, 0.708, 1.0}) {
        auto engine = EngineWith(44100.0, {{P::kTurbulence, 1.0}, {P::kDiffusion, diffusion}});
        for (int n = 0; n < 400; ++n) {
            const double* ins[2] = {&input.left[n], &input.right[n]};
            double l, r;
            double* outs[2] = {&l, &r};
            engine->Process(ins, outs, 1);
            for (int i = 0; i < engine->LineCount(); ++i) {
                ASSERT_EQ(engine->StageGainL(i), 0.5 + 0.5 * diffusion) << "frame " << n << " line " << i;
                ASSERT_EQ(engine->StageGainR(i), 0.5 + 0.5 * diffusion) << "frame " << n << " line " << i;
            }
        }
    }
}

TEST(EngineProcess, TurbulenceOnVariesTheGainsAroundTheDiffusionGain)
{
    auto engine = EngineWith(44100.0, {{P::kDiffusion, 0.708}});
    const auto input = NoiseStereo(44100, 7);
    double lo = 1.0, hi = 0.0;
    bool sidesDiffer = false;
    for (int start = 0; start < 44100; start += 441) {
        const double* ins[2] = {&input.left[start], &input.right[start]};
        double l[441], r[441];
        double* outs[2] = {l, r};
        engine->Process(ins, outs, 441);
        for (int i = 0; i < 8; ++i) {
            lo = std::min(lo, std::min(engine->StageGainL(i), engine->StageGainR(i)));
            hi = std::max(hi, std::max(engine->StageGainL(i), engine->StageGainR(i)));
            sidesDiffer = sidesDiffer || engine->StageGainL(i) != engine->StageGainR(i);
        }
    }
    EXPECT_LT(lo, 0.854);
    EXPECT_GT(hi, 0.854);
    EXPECT_GT(lo, 0.8);
    EXPECT_LT(hi, 0.9);
    EXPECT_TRUE(sidesDiffer);
}

TEST(EngineProcess, DiffusionOneMakesEveryGainExactlyOne)
{
    auto engine = EngineWith(44100.0, {{P::kDiffusion, 1.0}});
    ASSERT_EQ(engine->LineCount(), 8);
    const auto input = NoiseStereo(30000, 8);
    for (int start = 0; start < 30000; start += 300) {
        const double* ins[2] = {&input.left[start], &input.right[start]};
        double l[300], r[300];
        double* outs[2] = {l, r};
        engine->Process(ins, outs, 300);
        for (int i = 0; i < 8; ++i) {
            ASSERT_EQ(engine->StageGainL(i), 1.0);
            ASSERT_EQ(engine->StageGainR(i), 1.0);
        }
    }
}

TEST(EngineProcess, NonFiniteInputCountsAsSilence)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    auto clean = NoiseStereo(20000, 9);
    auto dirty = clean;
    const struct {
        int frame;
        double value;
        bool left;
    } spoils[] = {{10, nan, true}, {11, nan, false}, {500, inf, true}, {2000, -inf, false}, {9000, -nan, true}};
    for (const auto& s : spoils) {
        (s.left ? dirty.left : dirty.right)[s.frame] = s.value;
        (s.left ? clean.left : clean.right)[s.frame] = 0.0;
    }
    for (const double input : {0.0, 1.0 / 3.0, 0.66, 1.0}) {
        auto a = EngineWith(44100.0, {{P::kInput, input}, {P::kFarEcho, 0.5}});
        auto b = EngineWith(44100.0, {{P::kInput, input}, {P::kFarEcho, 0.5}});
        const auto fromDirty = Render(*a, dirty);
        const auto fromClean = Render(*b, clean);
        EXPECT_TRUE(AllFinite(fromDirty.left));
        EXPECT_TRUE(AllFinite(fromDirty.right));
        EXPECT_EQ(fromDirty.left, fromClean.left) << "input " << input;
        EXPECT_EQ(fromDirty.right, fromClean.right) << "input " << input;
    }
}

TEST(EngineProcess, OverflowingInputSilencesTheBlockAndStartsAfresh)
{
    for (const double mix : {0.0, 0.33, 1.0}) {
        auto engine = EngineWith(44100.0, {{P::kMix, mix}, {P::kFarEcho, 1.0}});
        auto fresh = EngineWith(44100.0, {{P::kMix, mix}, {P::kFarEcho, 1.0}});
        Stereo huge = NoiseStereo(4096, 21);
        for (double& s : huge.left)
            s *= 1e308;
        const auto broken = Render(*engine, huge, 4096);
        EXPECT_TRUE(AllFinite(broken.left));
        EXPECT_TRUE(AllFinite(broken.right));
        EXPECT_EQ(engine->WritePos(), 0) << "mix " << mix; // the overflow reset the engine

        const auto input = NoiseStereo(3000, 22);
        const auto after = Render(*engine, input);
        const auto expected = Render(*fresh, input);
        EXPECT_EQ(after.left, expected.left);
        EXPECT_EQ(after.right, expected.right);
    }
}

TEST(EngineProcess, LongSilenceDecaysToExactZerosWithoutSubnormals)
{
    const double rate = 44100.0;
    auto engine = MakeEngine(rate);
    Render(*engine, NoiseStereo(static_cast<int>(rate), 10));

    const int block = 4410;
    const Stereo silence = Silence(block);
    int lastNonZeroBlock = -1;
    const int blocks = 150 * 10; // 150 s
    for (int b = 0; b < blocks; ++b) {
        const auto out = Render(*engine, silence, 512);
        for (int n = 0; n < block; ++n) {
            ASSERT_NE(std::fpclassify(out.left[n]), FP_SUBNORMAL) << "block " << b;
            ASSERT_NE(std::fpclassify(out.right[n]), FP_SUBNORMAL) << "block " << b;
            if (out.left[n] != 0.0 || out.right[n] != 0.0)
                lastNonZeroBlock = b;
        }
    }
    // The tail is gone well before the end: the last 30 s are exact zeros.
    EXPECT_LT(lastNonZeroBlock, blocks - 300);
    EXPECT_GT(lastNonZeroBlock, 10); // but it did ring for a while
}

TEST(EngineProcess, ProcessingRestoresTheCallersFloatingPointMode)
{
#if TESSIVANE_HAS_MXCSR
    const unsigned before = _mm_getcsr();
    for (const unsigned mode : {before & ~(ScopedFlushDenormals::kFlushToZero | ScopedFlushDenormals::kDenormalsAreZero),
                                before | ScopedFlushDenormals::kFlushToZero}) {
        _mm_setcsr(mode);
        auto engine = MakeEngine();
        Render(*engine, NoiseStereo(100, 11));
        EXPECT_EQ(_mm_getcsr(), mode);
        {
            ScopedFlushDenormals guard;
            EXPECT_EQ(_mm_getcsr() & ScopedFlushDenormals::kFlushToZero, ScopedFlushDenormals::kFlushToZero);
            EXPECT_EQ(_mm_getcsr() & ScopedFlushDenormals::kDenormalsAreZero, ScopedFlushDenormals::kDenormalsAreZero);
        }
        EXPECT_EQ(_mm_getcsr(), mode);
    }
    _mm_setcsr(before);
#else
    GTEST_SKIP() << "no SSE control register on this machine";
#endif
}

TEST(EngineProcess, InPlaceProcessingMatchesSeparateBuffers)
{
    const auto input = NoiseStereo(5000, 12);
    for (const double routing : {0.0, 1.0 / 3.0, 0.66, 1.0}) {
        auto a = EngineWith(44100.0, {{P::kInput, routing}});
        auto b = EngineWith(44100.0, {{P::kInput, routing}});
        const auto separate = Render(*a, input);
        Stereo buffer = input;
        double* channels[2] = {buffer.left.data(), buffer.right.data()};
        b->Process(channels, channels, static_cast<int>(buffer.left.size()));
        EXPECT_EQ(buffer.left, separate.left);
        EXPECT_EQ(buffer.right, separate.right);
    }
}

TEST(EngineProcess, BlockSizeDoesNotChangeTheSound)
{
    const auto input = NoiseStereo(9000, 13);
    auto reference = MakeEngine(48000.0);
    const auto expected = Render(*reference, input, 9000);
    for (const int block : {1, 7, 512, 4096}) {
        auto engine = MakeEngine(48000.0);
        const auto output = Render(*engine, input, block);
        EXPECT_EQ(output.left, expected.left) << "block " << block;
        EXPECT_EQ(output.right, expected.right) << "block " << block;
    }
}

TEST(EngineProcess, MissingChannelsAreHandled)
{
    auto engine = EngineWith(44100.0, {{P::kMix, 0.0}, {P::kInput, 1.0}});
    double left[64], right[64];
    double* outs[2] = {left, right};
    engine->Process(nullptr, outs, 64); // no inputs: silence in
    for (int n = 0; n < 64; ++n) {
        EXPECT_EQ(left[n], 0.0);
        EXPECT_EQ(right[n], 0.0);
    }
    const int writePos = engine->WritePos();
    double* noOutput[2] = {left, nullptr};
    engine->Process(nullptr, noOutput, 64); // nowhere to write: nothing happens
    engine->Process(nullptr, nullptr, 64);
    EXPECT_EQ(engine->WritePos(), writePos);
}

TEST(EngineProcess, TurbulenceOrAirResetEvenWhenUnchanged)
{
    for (const int index : {P::kTurbulence, P::kAir}) {
        auto engine = EngineWith(44100.0, {{P::kMix, 0.5}});
        Render(*engine, NoiseStereo(10000, 14));
        engine->ApplyParameter(index, engine->ParameterCopy(index));
        EXPECT_EQ(engine->WritePos(), 0);
        const auto tail = Render(*engine, Silence(5000));
        for (std::size_t n = 0; n < tail.left.size(); ++n) {
            ASSERT_EQ(tail.left[n], 0.0) << "index " << index;
            ASSERT_EQ(tail.right[n], 0.0) << "index " << index;
        }
    }
}

TEST(EngineProcess, RoomSizeChangeKeepsTheTail)
{
    auto engine = EngineWith(44100.0, {{P::kMix, 0.5}});
    Render(*engine, NoiseStereo(10000, 15));
    engine->ApplyParameter(P::kRoomSize, 0.2);
    const auto tail = Render(*engine, Silence(5000));
    double energy = 0.0;
    for (const double s : tail.left)
        energy += s * s;
    EXPECT_GT(energy, 1e-3);
}

TEST(EngineProcess, LargestRoomAtTheHighestRateWrapsSafely)
{
    // Lines exactly as long as their memory, read and written around the wrap several times.
    for (const double air : {0.0, 1.0}) {
        auto engine = EngineWith(500000.0, {{P::kRoomSize, 1.0}, {P::kPreDelay, 1.0}, {P::kAir, air},
                                            {P::kModRate, 1.0}, {P::kFarEcho, 1.0}});
        ASSERT_EQ(engine->LineLengthL(0), ReverbEngine::kLineCapacity);
        const auto output = Render(*engine, NoiseStereo(3 * ReverbEngine::kLineCapacity + 77, 16));
        EXPECT_TRUE(AllFinite(output.left));
        EXPECT_TRUE(AllFinite(output.right));
    }
}

TEST(EngineProcess, ExtremeParameterJumpsStayInsideTheMemories)
{
    // Room size jumps between its ends while the modulation runs at full speed, so offsets
    // left beyond a shrunken depth must find their way back without leaving the lines.
    for (const double rate : {44056.0, 384000.0}) {
        for (const double turbulence : {0.0, 1.0}) {
            auto engine = EngineWith(rate, {{P::kModRate, 1.0}, {P::kTurbRate, 1.0}, {P::kTurbulence, turbulence},
                                            {P::kDiffusion, 1.0}, {P::kFarEcho, 1.0}, {P::kPreDelay, 1.0}});
            const auto input = NoiseStereo(512, 17);
            for (int block = 0; block < 300; ++block) {
                engine->ApplyParameter(P::kRoomSize, block % 2 == 0 ? 1.0 : 0.0);
                engine->ApplyParameter(P::kLowCut, (block % 5) / 4.0);
                engine->ApplyParameter(P::kHighCut, (block % 3) / 2.0);
                const auto output = Render(*engine, input);
                ASSERT_TRUE(AllFinite(output.left));
                ASSERT_TRUE(AllFinite(output.right));
            }
        }
    }
}

} // namespace

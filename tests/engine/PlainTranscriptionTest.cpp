// The engine against the plain transcription in PlainReverb: several seconds of noise with
// parameter changes between blocks. The reference kernel must match it bit for bit; the vector
// kernels too while Turbulence is Off, and within the tolerance of MatchesReference while it
// is On (they raise the stage gains with their own exponential).
#include "EngineTestSupport.h"
#include "PlainReverb.h"
#include "ScopedFlushDenormals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

namespace {

using namespace EngineTest;

struct Change {
    int atFrame;
    int index;
    double value;
};

struct Scenario {
    const char* name;
    double hostRate;
    int frames;
    std::vector<Change> initial; // stored before the first reset
    std::vector<Change> changes; // applied between blocks, in frame order
    int noiseFrames = -1;        // silence after this many frames; -1: noise throughout
};

void RunScenario(const Scenario& s, ReverbKernel kernel)
{
    SCOPED_TRACE(std::string(s.name) + ", kernel " + KernelName(kernel));
    auto engine = std::make_unique<ReverbEngine>();
    ASSERT_EQ(engine->SetKernel(kernel), kernel);
    auto plain = std::make_unique<PlainReverb>();
    engine->SetHostSampleRate(s.hostRate);
    plain->SetRate(s.hostRate);
    for (const Change& c : s.initial) {
        engine->SetParameterCopy(c.index, c.value);
        plain->Change(c.index, c.value); // the plain one recomputes; the reset redoes it all
    }
    engine->ResetEngine();
    plain->Reset();

    Stereo input = NoiseStereo(s.frames, 99, 0.8);
    for (int n = s.noiseFrames < 0 ? s.frames : s.noiseFrames; n < s.frames; ++n) {
        input.left[n] = 0.0;
        input.right[n] = 0.0;
    }
    Stereo fromEngine = Silence(s.frames);
    Stereo fromPlain = Silence(s.frames);
    std::vector<bool> turbulenceOn(static_cast<std::size_t>(s.frames));
    std::size_t next = 0;
    const int block = 480;
    for (int start = 0; start < s.frames; start += block) {
        while (next < s.changes.size() && s.changes[next].atFrame <= start) {
            engine->ApplyParameter(s.changes[next].index, s.changes[next].value);
            plain->Change(s.changes[next].index, s.changes[next].value);
            ++next;
        }
        for (int n = start; n < std::min(start + block, s.frames); ++n)
            turbulenceOn[n] = engine->ParameterCopy(P::kTurbulence) == 0.0;
        const int count = std::min(block, s.frames - start);
        const double* ins[2] = {&input.left[start], &input.right[start]};
        double* outs[2] = {&fromEngine.left[start], &fromEngine.right[start]};
        engine->Process(ins, outs, count);
        ScopedFlushDenormals sameFloatingPointMode;
        plain->Render(&input.left[start], &input.right[start], &fromPlain.left[start], &fromPlain.right[start], count);
    }

    // Frames rendered with Turbulence On may differ by rounding in a vector kernel; a switch
    // resets the engine, so each stretch is compared on its own.
    const bool exact = kernel == ReverbKernel::kReference;
    for (int from = 0; from < s.frames;) {
        int to = from;
        while (to < s.frames && turbulenceOn[to] == turbulenceOn[from])
            ++to;
        const bool bitExact = exact || !turbulenceOn[from];
        SCOPED_TRACE("frames " + std::to_string(from) + ".." + std::to_string(to));
        EXPECT_TRUE(MatchesReference(fromEngine.left, fromPlain.left, bitExact, from, to));
        EXPECT_TRUE(MatchesReference(fromEngine.right, fromPlain.right, bitExact, from, to));
        from = to;
    }
    double energy = 0.0;
    for (const double v : fromEngine.left)
        energy += v * v;
    EXPECT_GT(energy, 1.0); // the comparison compared sound, not silence
    if (s.noiseFrames >= 0) {
        // The tail must have gone below the level where the network flushes to zero, or the
        // comparison would not have covered the flushes.
        int tiny = 0;
        for (int n = s.noiseFrames; n < s.frames; ++n)
            tiny += (fromEngine.left[n] != 0.0 && std::fabs(fromEngine.left[n]) < 1e-100) ? 1 : 0;
        EXPECT_GT(tiny, 1000);
    }
}

void RunScenario(const Scenario& s)
{
    for (const ReverbKernel kernel : AllKernels())
        RunScenario(s, kernel);
}

TEST(PlainTranscription, DefaultsWithChangesOfEveryParameter)
{
    const int r = 44100;
    RunScenario({"defaults 44.1 kHz", 44100.0, 6 * r, {},
                 {{r / 2, P::kModRate, 1.0}, {r / 2, P::kFarEcho, 0.6}, {r, P::kRoomSize, 0.8},
                  {r + r / 4, P::kMix, 0.7}, {r + r / 2, P::kDiffusion, 0.95}, {2 * r, P::kLowCut, 0.4},
                  {2 * r, P::kHighCut, 0.9}, {2 * r + r / 3, P::kDarkness, 1.0}, {5 * r / 2, P::kPreDelay, 0.0},
                  {3 * r, P::kTurbRate, 1.0}, {3 * r, P::kInput, 0.0}, {3 * r + 100, P::kRoomSize, 0.1},
                  {7 * r / 2, P::kInput, 1.0 / 3.0}, {4 * r, P::kInput, 0.5}, {4 * r, P::kPreDelay, 1.0},
                  {9 * r / 2, P::kRoomSize, 1.0}, {5 * r, P::kModRate, 0.0}, {5 * r, P::kMix, 1.0},
                  {11 * r / 2, P::kInput, 0.66}}});
}

TEST(PlainTranscription, TurbulenceOffAndAirOffWithResetsMidway)
{
    const int r = 48000;
    RunScenario({"turbulence off 48 kHz", 48000.0, 5 * r, {{0, P::kTurbulence, 1.0}, {0, P::kModRate, 0.9}},
                 {{r / 2, P::kRoomSize, 0.6}, // the 8-line ratio on 6 lines
                  {r, P::kFarEcho, 1.0}, {3 * r / 2, P::kAir, 1.0}, {2 * r, P::kRoomSize, 0.3},
                  {5 * r / 2, P::kTurbulence, 0.0}, {3 * r, P::kRoomSize, 0.9}, {7 * r / 2, P::kAir, 0.0},
                  {4 * r, P::kTurbulence, 1.0}, {9 * r / 2, P::kDiffusion, 1.0}}});
}

TEST(PlainTranscription, ExtremeRatesAndSettings)
{
    // At 44056 Hz the reset's and the change handler's forms of the modulation speed differ in
    // the last bit for these Mod rate values, so each place must use its own form.
    RunScenario({"clamped low rate", 22050.0, 3 * 44056, {{0, P::kRoomSize, 0.0}, {0, P::kAir, 1.0}, {0, P::kModRate, 0.999}},
                 {{20000, P::kModRate, 0.998}, {90000, P::kRoomSize, 1.0}, {100000, P::kLowCut, 1.0},
                  {110000, P::kHighCut, 0.0}}});
    RunScenario({"largest room at 384 kHz", 400000.0, 200000,
                 {{0, P::kRoomSize, 1.0}, {0, P::kPreDelay, 1.0}, {0, P::kFarEcho, 0.9}, {0, P::kTurbRate, 1.0}},
                 {{100000, P::kRoomSize, 0.0}, {150000, P::kRoomSize, 1.0}}});
}

TEST(PlainTranscription, TailDecayingBelowTheFlushLevel)
{
    RunScenario({"short bright decay", 44100.0, 10 * 44100,
                 {{0, P::kRoomSize, 0.0}, {0, P::kDiffusion, 0.0}, {0, P::kDarkness, 1.0}, {0, P::kMix, 1.0}},
                 {}, 4410});
}

} // namespace

// The idle path against the full path: two engines that differ only in whether the idle path may
// run render minutes of silence between bursts, with parameter changes during the silences, in
// blocks of many sizes. After every block their outputs and their complete states must be equal
// bit for bit. Every kernel this CPU runs, both Turbulence settings.
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace EngineTest;

// Minutes of silence natively; the sanitizer build shortens the long ones.
constexpr double kLongSilenceScale = kShortRenders ? 0.15 : 1.0;

// Noise over [from, from + seconds); a length of 0 is a single impulse at `from`.
struct Burst {
    double fromSecond;
    double seconds;
};

struct Script {
    double rate;
    double seconds;
    std::vector<TimedChange> initial; // before the reset
    std::vector<Burst> bursts;
    std::vector<TimedChange> changes; // between blocks, in time order
    std::vector<TimedChange> storedAfterReset = {}; // copies stored without the reset they would ask for
};

// Host blocks of many sizes, large ones among them as hosts use while nothing plays; a change
// cuts the block it falls into.
const int kBlockPattern[] = {16384, 1, 32768, 333, 8192, 77, 65536, 2048, 24000, 2, 512, 12000};

// Left and right input at a frame: noise inside a burst, +0.0 elsewhere.
void InputAt(const Script& script, long long frame, double& left, double& right)
{
    left = right = 0.0;
    for (const Burst& b : script.bursts) {
        const long long from = static_cast<long long>(b.fromSecond * script.rate);
        const long long length = b.seconds == 0.0 ? 1 : static_cast<long long>(b.seconds * script.rate);
        if (frame >= from && frame < from + length) {
            std::uint64_t x = static_cast<std::uint64_t>(frame) * 0x9E3779B97F4A7C15ull + 1;
            x ^= x >> 29;
            x *= 0xBF58476D1CE4E5B9ull;
            x ^= x >> 32;
            left = static_cast<double>(x & 0xffff) / 65536.0 - 0.5;
            right = static_cast<double>(x >> 48) / 65536.0 - 0.5;
        }
    }
}

struct Outcome {
    long long idleFrames = 0;     // rendered by the idle path
    long long silentFrames = 0;   // of input that was silent
    long long soundingFrames = 0; // of output that was not silent
    long long frames = 0;
    int burstsMetAtRest = 0;      // blocks of sound after silence that found the network at rest
};

// Renders the script through an engine with the idle path and one without; compares after
// every block and stops at the first difference.
Outcome RenderBoth(const Script& script, ReverbKernel kernel)
{
    auto idle = std::make_unique<ReverbEngine>();
    auto full = std::make_unique<ReverbEngine>();
    full->SetIdlePath(false);
    for (ReverbEngine* e : {idle.get(), full.get()}) {
        EXPECT_EQ(e->SetKernel(kernel), kernel);
        e->SetHostSampleRate(script.rate);
        for (const TimedChange& c : script.initial)
            e->SetParameterCopy(c.index, c.value);
        e->ResetEngine();
        for (const TimedChange& c : script.storedAfterReset)
            e->SetParameterCopy(c.index, c.value);
    }

    const long long total = static_cast<long long>(script.seconds * script.rate);
    const int largest = *std::max_element(std::begin(kBlockPattern), std::end(kBlockPattern));
    Stereo in = Silence(largest), outIdle = Silence(largest), outFull = Silence(largest);
    Outcome outcome;
    bool lastSilent = true;
    std::size_t next = 0;
    int pattern = 0;
    for (long long start = 0; start < total;) {
        const auto changeFrame = [&](std::size_t k) { return static_cast<long long>(script.changes[k].atSecond * script.rate); };
        while (next < script.changes.size() && changeFrame(next) <= start) {
            idle->ApplyParameter(script.changes[next].index, script.changes[next].value);
            full->ApplyParameter(script.changes[next].index, script.changes[next].value);
            ++next;
        }
        long long count = std::min<long long>(kBlockPattern[pattern++ % std::size(kBlockPattern)], total - start);
        if (next < script.changes.size())
            count = std::min(count, changeFrame(next) - start);
        bool silent = true;
        for (int n = 0; n < count; ++n) {
            InputAt(script, start + n, in.left[n], in.right[n]);
            silent = silent && in.left[n] == 0.0 && in.right[n] == 0.0;
        }
        if (!silent && lastSilent)
            outcome.burstsMetAtRest += idle->NetworkAtRest() ? 1 : 0;
        lastSilent = silent;
        const double* ins[2] = {in.left.data(), in.right.data()};
        double* outsIdle[2] = {outIdle.left.data(), outIdle.right.data()};
        double* outsFull[2] = {outFull.left.data(), outFull.right.data()};
        idle->Process(ins, outsIdle, static_cast<int>(count));
        full->Process(ins, outsFull, static_cast<int>(count));

        const std::string at = "block at " + std::to_string(start / script.rate) + " s, " + std::to_string(count) + " frames";
        for (int n = 0; n < count; ++n) {
            if (!SameBits(outIdle.left[n], outFull.left[n]) || !SameBits(outIdle.right[n], outFull.right[n])) {
                ADD_FAILURE() << "outputs differ at frame " << n << " of the " << at;
                return outcome;
            }
        }
        if (const char* difference = idle->FirstStateDifference(*full)) {
            ADD_FAILURE() << "states differ in their " << difference << " after the " << at;
            return outcome;
        }
        outcome.silentFrames += silent ? count : 0;
        for (int n = 0; n < count; ++n)
            outcome.soundingFrames += outIdle.left[n] != 0.0 || outIdle.right[n] != 0.0 ? 1 : 0;
        outcome.frames += count;
        start += count;
    }
    EXPECT_EQ(full->IdleFrames(), 0);
    outcome.idleFrames = idle->IdleFrames();
    return outcome;
}

// A short bright room whose tail reaches rest within seconds, leaving a remnant in the high cut
// that the chains swallow; then long silences in which Room size, Mod rate, Turb rate, Air and
// Turbulence change (moving offsets out of range, retiming the generators, resetting), Diffusion
// rises until the remnant passes the chains and the network is no longer at rest, and High cut
// rises until the remnant decays again. Bursts and a lone impulse meet the engine afterwards.
Script BurstsInLongSilences(bool turbulenceOn)
{
    const double s = kLongSilenceScale;
    const double on = turbulenceOn ? 0.0 : 1.0;
    const double off = 1.0 - on;
    const double rest = 12.0;                  // seconds after a burst, with room to spare
    const double second = rest + 60.0 * s;     // the second burst
    const double third = second + rest + 60.0 * s;
    return {48000.0,
            third + rest,
            {{0, P::kTurbulence, on}, {0, P::kRoomSize, 0.0}, {0, P::kDiffusion, 0.3}, {0, P::kDarkness, 1.0},
             {0, P::kLowCut, 0.5}, {0, P::kHighCut, 0.0}, {0, P::kModRate, 0.8}},
            {{0.0, 0.5}, {second + 0.37, 0.2}, {third + 0.5, 0.0}},
            {// before rest: new lengths while the tail still decays
             {2.0, P::kRoomSize, 0.05},
             // at rest
             {rest + 10.0 * s, P::kModRate, 1.0},
             {rest + 20.0 * s, P::kRoomSize, 0.2},
             {rest + 25.0 * s, P::kDiffusion, 0.708},
             {rest + 30.0 * s, P::kTurbRate, 1.0},
             {rest + 35.0 * s, P::kDiffusion, 1.0},
             {rest + 38.0 * s, P::kDiffusion, 0.3},
             {rest + 39.5 * s, P::kHighCut, 1.0}, // the remnant decays again
             {rest + 40.0 * s, P::kAir, 1.0},
             {rest + 45.0 * s, P::kFarEcho, 0.3},
             {rest + 50.0 * s, P::kTurbulence, off},
             {rest + 55.0 * s, P::kTurbulence, on},
             {rest + 58.0 * s, P::kRoomSize, 0.0},
             // after the second burst
             {second + rest + 15.0 * s, P::kAir, 0.0},
             {second + rest + 30.0 * s, P::kModRate, 0.0},
             {second + rest + 40.0 * s, P::kRoomSize, 0.1},
             {second + rest + 50.0 * s, P::kTurbulence, off},
             {third + 0.5, P::kMix, 1.0}}};
}

class IdlePath : public ::testing::TestWithParam<bool> {};

TEST_P(IdlePath, MinutesOfSilenceBetweenBurstsMatchTheFullPathBitForBit)
{
    const Script script = BurstsInLongSilences(GetParam());
    for (const ReverbKernel kernel : AllKernels()) {
        SCOPED_TRACE(KernelName(kernel));
        const Outcome o = RenderBoth(script, kernel);
        // The comparison covered the idle path: much of the silence went through it (less in
        // the shortened renders, where the tails' decay takes a larger share).
        EXPECT_GT(o.idleFrames, o.silentFrames / 5);
        // The bursts were heard, and each silence, long enough for the tails to die away,
        // brought the network to rest by the next burst.
        EXPECT_GT(o.soundingFrames, 0);
        EXPECT_EQ(o.burstsMetAtRest, static_cast<int>(script.bursts.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(Turbulence, IdlePath, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "On" : "Off"); });

TEST(IdlePathEdges, SetupsWithoutAVectorKernel)
{
    // A Turbulence copy stored without its reset leaves 8 lines without turbulence or 6 with it,
    // which the reference renders; the idle path then moves the generators with the reference's
    // own steps.
    for (const double stored : {1.0, 0.0}) {
        SCOPED_TRACE(stored == 0.0 ? "turbulence on, 6 lines" : "turbulence off, 8 lines");
        Script script{48000.0,
                      30.0,
                      {{0, P::kTurbulence, 1.0 - stored}, {0, P::kRoomSize, 0.0}, {0, P::kDiffusion, 0.3},
                       {0, P::kDarkness, 1.0}, {0, P::kLowCut, 0.5}, {0, P::kModRate, 1.0}, {0, P::kTurbRate, 1.0}},
                      {{0.0, 0.2}},
                      {{18.0, P::kRoomSize, 0.1}, {22.0, P::kModRate, 0.3}, {26.0, P::kDiffusion, 0.5}},
                      {{0, P::kTurbulence, stored}}};
        const Outcome o = RenderBoth(script, BestSupportedKernel()); // the reference renders either way
        EXPECT_GT(o.idleFrames, o.silentFrames / 4);
    }
}

} // namespace

// Helpers shared by the engine tests: engines on the heap, deterministic noise, block
// rendering and the comparison of kernels with the reference.
#pragma once

#include "ReverbEngine.h"
#include "ReverbParameters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace EngineTest {

namespace P = ReverbParameters;

// Whether long renders are shortened: the sanitizer build runs many times slower.
#if defined(ENGINE_TEST_SHORT_RENDERS)
constexpr bool kShortRenders = true;
#else
constexpr bool kShortRenders = false;
#endif

struct Stereo {
    std::vector<double> left;
    std::vector<double> right;
};

// A parameter change at a time in a render.
struct TimedChange {
    double atSecond;
    int index;
    double value;
};

// A reset engine at the given host rate; parameters are applied before the reset.
inline std::unique_ptr<ReverbEngine> MakeEngine(double hostRate = 44100.0)
{
    auto engine = std::make_unique<ReverbEngine>();
    engine->SetHostSampleRate(hostRate);
    engine->ResetEngine();
    return engine;
}

// Uniform noise in -amplitude..amplitude from a fixed seed (xorshift64*).
inline std::vector<double> Noise(int frames, std::uint64_t seed, double amplitude = 0.5)
{
    std::vector<double> out(static_cast<std::size_t>(frames));
    std::uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
    for (double& sample : out) {
        x ^= x >> 12;
        x ^= x << 25;
        x ^= x >> 27;
        const std::uint64_t r = x * 0x2545F4914F6CDD1Dull;
        sample = amplitude * (static_cast<double>(r >> 11) * (2.0 / 9007199254740992.0) - 1.0);
    }
    return out;
}

inline Stereo NoiseStereo(int frames, std::uint64_t seed, double amplitude = 0.5)
{
    return {Noise(frames, seed, amplitude), Noise(frames, seed + 1000, amplitude)};
}

inline Stereo Silence(int frames)
{
    return {std::vector<double>(static_cast<std::size_t>(frames), 0.0),
            std::vector<double>(static_cast<std::size_t>(frames), 0.0)};
}

// Renders the whole input through Process in blocks of blockFrames.
inline Stereo Render(ReverbEngine& engine, const Stereo& input, int blockFrames = 512)
{
    const int frames = static_cast<int>(input.left.size());
    Stereo output = Silence(frames);
    for (int start = 0; start < frames; start += blockFrames) {
        const int count = frames - start < blockFrames ? frames - start : blockFrames;
        const double* ins[2] = {input.left.data() + start, input.right.data() + start};
        double* outs[2] = {output.left.data() + start, output.right.data() + start};
        engine.Process(ins, outs, count);
    }
    return output;
}

// The vector kernels this CPU can run.
inline std::vector<ReverbKernel> FastKernels()
{
    std::vector<ReverbKernel> kernels;
    for (const ReverbKernel k : {ReverbKernel::kSse2, ReverbKernel::kAvx2})
        if (IsKernelSupported(k))
            kernels.push_back(k);
    return kernels;
}

// Every kernel this CPU runs, the reference first.
inline std::vector<ReverbKernel> AllKernels()
{
    std::vector<ReverbKernel> kernels{ReverbKernel::kReference};
    for (const ReverbKernel k : FastKernels())
        kernels.push_back(k);
    return kernels;
}

inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// How closely a vector kernel must follow the reference with Turbulence On, where it raises the
// stage gains with its own exponential: within 1e-12 of every sample above 1e-3 of the peak,
// and within 1e-12 of the peak everywhere.
constexpr double kTurbulenceTolerance = 1e-12;
constexpr double kTurbulenceFloor = 1e-3;

// Samples [from, to) of got against the reference's: identical bits, or within the tolerance
// above. Reports the first few differences.
inline ::testing::AssertionResult MatchesReference(const std::vector<double>& got, const std::vector<double>& reference,
                                                   bool bitExact, std::size_t from = 0, std::size_t to = SIZE_MAX)
{
    to = std::min(to, reference.size());
    if (got.size() != reference.size())
        return ::testing::AssertionFailure() << "lengths differ";
    double peak = 0.0;
    for (std::size_t n = from; n < to; ++n)
        peak = std::max(peak, std::fabs(reference[n]));
    int failures = 0;
    ::testing::AssertionResult result = ::testing::AssertionFailure();
    for (std::size_t n = from; n < to; ++n) {
        const double error = std::fabs(got[n] - reference[n]);
        const bool ok = bitExact ? SameBits(got[n], reference[n])
                                 : (error <= kTurbulenceTolerance * peak &&
                                    (std::fabs(reference[n]) <= kTurbulenceFloor * peak ||
                                     error <= kTurbulenceTolerance * std::fabs(reference[n])));
        if (!ok && ++failures <= 5)
            result << "\n  frame " << n << ": " << got[n] << " instead of " << reference[n] << " (difference "
                   << got[n] - reference[n] << ", peak " << peak << ")";
    }
    if (failures == 0)
        return ::testing::AssertionSuccess();
    return result << "\n  " << failures << " frames differ";
}

} // namespace EngineTest

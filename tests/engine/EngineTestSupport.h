// Helpers shared by the engine tests: engines on the heap, deterministic noise and block
// rendering.
#pragma once

#include "ReverbEngine.h"
#include "ReverbParameters.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace EngineTest {

namespace P = ReverbParameters;

struct Stereo {
    std::vector<double> left;
    std::vector<double> right;
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

} // namespace EngineTest

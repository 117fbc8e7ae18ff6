// Engine cost per frame, stereo, in 512-frame blocks as a host would call it:
//   BM_EngineSignal/rate/turbulenceOff   noise in, the tail fully built up
//   BM_EngineLongSilence                 silence after more than two minutes of silence,
//                                        when the tail has decayed to exact zeros; must not
//                                        cost more than signal (no subnormal slowdown)
// Counters: items_per_second = frames per second, frame_time = seconds per frame,
// x_realtime = seconds of audio rendered per second of CPU time.
#include "ReverbEngine.h"
#include "ReverbParameters.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr int kBlockFrames = 512;

std::vector<double> Noise(int frames, std::uint32_t seed)
{
    std::vector<double> out(static_cast<std::size_t>(frames));
    for (double& sample : out) {
        seed = seed * 1664525u + 1013904223u;
        sample = (static_cast<double>(seed >> 8) / 16777216.0 - 0.5) * 0.5;
    }
    return out;
}

struct Block {
    std::vector<double> left;
    std::vector<double> right;
    std::vector<double> outLeft = std::vector<double>(kBlockFrames);
    std::vector<double> outRight = std::vector<double>(kBlockFrames);

    void Process(ReverbEngine& engine)
    {
        const double* ins[2] = {left.data(), right.data()};
        double* outs[2] = {outLeft.data(), outRight.data()};
        engine.Process(ins, outs, kBlockFrames);
        benchmark::DoNotOptimize(outLeft.data());
        benchmark::DoNotOptimize(outRight.data());
        benchmark::ClobberMemory();
    }
};

void Run(benchmark::State& state, ReverbEngine& engine, Block& block, double sampleRate)
{
    for (auto _ : state)
        block.Process(engine);
    const double frames = static_cast<double>(state.iterations()) * kBlockFrames;
    state.SetItemsProcessed(static_cast<std::int64_t>(frames));
    state.counters["frame_time"] = benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["x_realtime"] = benchmark::Counter(frames / sampleRate, benchmark::Counter::kIsRate);
}

void BM_EngineSignal(benchmark::State& state)
{
    const double sampleRate = static_cast<double>(state.range(0));
    auto engine = std::make_unique<ReverbEngine>();
    engine->SetHostSampleRate(sampleRate);
    engine->SetParameterCopy(ReverbParameters::kTurbulence, static_cast<double>(state.range(1)));
    engine->ResetEngine();

    Block block{Noise(kBlockFrames, 1), Noise(kBlockFrames, 2)};
    for (int n = 0; n < static_cast<int>(sampleRate) / kBlockFrames; ++n) // one second to fill the lines
        block.Process(*engine);
    Run(state, *engine, block, sampleRate);
}

void BM_EngineLongSilence(benchmark::State& state)
{
    const double sampleRate = 44100.0;
    auto engine = std::make_unique<ReverbEngine>();
    engine->SetHostSampleRate(sampleRate);
    engine->ResetEngine();

    Block block{Noise(kBlockFrames, 1), Noise(kBlockFrames, 2)};
    for (int n = 0; n < static_cast<int>(sampleRate) / kBlockFrames; ++n)
        block.Process(*engine);
    block.left.assign(kBlockFrames, 0.0);
    block.right.assign(kBlockFrames, 0.0);
    for (int n = 0; n < static_cast<int>(130 * sampleRate) / kBlockFrames; ++n)
        block.Process(*engine);
    Run(state, *engine, block, sampleRate);
}

} // namespace

BENCHMARK(BM_EngineSignal)
    ->ArgNames({"rate", "turbulenceOff"})
    ->ArgsProduct({{44100, 48000, 96000}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EngineLongSilence)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();

// Engine cost per frame, stereo, in 512-frame blocks as a host would call it, for each kernel
// (reference, sse2, avx2) with Turbulence On and Off:
//   Signal/<kernel>/<turbulence>/<rate>    noise in, after one second that fills the lines
//   Silence/<kernel>/<turbulence>/48000     silence after more than two minutes of silence,
//                                           when the tail has decayed to exact zeros; must not
//                                           cost more than signal (no subnormal slowdown)
// Counters: frame_time = CPU time per frame, x_realtime = seconds of audio rendered per second
// of CPU time. The avx2 cases are skipped on CPUs without AVX2.
#include "ReverbEngine.h"
#include "ReverbParameters.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
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
    std::vector<double> left = Noise(kBlockFrames, 1);
    std::vector<double> right = Noise(kBlockFrames, 2);
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

    void ProcessSeconds(ReverbEngine& engine, double seconds, double sampleRate)
    {
        for (int n = 0; n < static_cast<int>(seconds * sampleRate) / kBlockFrames; ++n)
            Process(engine);
    }
};

struct Case {
    ReverbKernel kernel;
    bool turbulenceOn;
    double sampleRate;
    bool silence;
};

void Run(benchmark::State& state, const Case& c)
{
    if (!IsKernelSupported(c.kernel)) {
        state.SkipWithError("this CPU cannot run the kernel");
        return;
    }
    auto engine = std::make_unique<ReverbEngine>();
    engine->SetKernel(c.kernel);
    engine->SetHostSampleRate(c.sampleRate);
    engine->SetParameterCopy(ReverbParameters::kTurbulence, c.turbulenceOn ? 0.0 : 1.0);
    engine->ResetEngine();

    Block block;
    block.ProcessSeconds(*engine, 1.0, c.sampleRate); // fills the lines
    if (c.silence) {
        block.left.assign(kBlockFrames, 0.0);
        block.right.assign(kBlockFrames, 0.0);
        block.ProcessSeconds(*engine, 130.0, c.sampleRate); // the tail decays to exact zeros
    }

    for (auto _ : state)
        block.Process(*engine);
    const double frames = static_cast<double>(state.iterations()) * kBlockFrames;
    state.SetItemsProcessed(static_cast<std::int64_t>(frames));
    state.counters["frame_time"] =
        benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["x_realtime"] = benchmark::Counter(frames / c.sampleRate, benchmark::Counter::kIsRate);
}

void Register(const Case& c)
{
    const std::string name = std::string(c.silence ? "Silence/" : "Signal/") + KernelName(c.kernel) +
                             (c.turbulenceOn ? "/turbulence:on/" : "/turbulence:off/") +
                             std::to_string(static_cast<int>(c.sampleRate));
    benchmark::RegisterBenchmark(name.c_str(), [c](benchmark::State& state) { Run(state, c); })
        ->Unit(benchmark::kMicrosecond);
}

} // namespace

int main(int argc, char** argv)
{
    const ReverbKernel kernels[] = {ReverbKernel::kReference, ReverbKernel::kSse2, ReverbKernel::kAvx2};
    for (const bool silence : {false, true})
        for (const double rate : {48000.0, 44100.0, 96000.0})
            for (const ReverbKernel kernel : kernels)
                for (const bool turbulenceOn : {true, false})
                    if (!silence || rate == 48000.0)
                        Register({kernel, turbulenceOn, rate, silence});

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

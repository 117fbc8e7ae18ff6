// Engine cost per frame, stereo, in 512-frame blocks as a host would call it, for each kernel
// (reference, sse2, avx2), Turbulence On and Off, at 44.1, 48 and 96 kHz:
//   Signal/<kernel>/<turbulence>/<rate>    noise in, after one second that fills the lines
//   Silence/<kernel>/<turbulence>/<rate>   silence after one second of noise and more than two
//                                          minutes of silence, when the tail has decayed
//   Idle/<kernel>/<turbulence>/<rate>      silence into an engine that has played nothing since
//                                          its reset, as on a track that stays empty
// Counters: frame_time = CPU time per frame, x_realtime = seconds of audio rendered per second
// of CPU time, idle = the share of frames the idle path rendered. Cases of a kernel the CPU cannot
// run are skipped.
//
// The program uses only what every version of the engine offers, so that scripts/bench-compare
// can build it against the engine of an earlier revision too.
#include "ReverbEngine.h"
#include "ReverbParameters.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kBlockFrames = 512;
constexpr double kFillSeconds = 1.0;     // noise that fills the lines
constexpr double kDecaySeconds = 130.0;  // silence after which the Silence cases measure

std::vector<double> Noise(int frames, std::uint32_t seed)
{
    std::vector<double> out(static_cast<std::size_t>(frames));
    for (double& sample : out) {
        seed = seed * 1664525u + 1013904223u;
        sample = (static_cast<double>(seed >> 8) / 16777216.0 - 0.5) * 0.5;
    }
    return out;
}

enum class Input { kSignal, kSilence, kIdle };

struct Case {
    Input input;
    ReverbKernel kernel;
    bool turbulenceOn;
    double sampleRate;
};

// The frames the idle path has rendered, where the engine has one.
template <class Engine>
auto IdleFramesOf(const Engine& engine, int) -> decltype(engine.IdleFrames())
{
    return engine.IdleFrames();
}
template <class Engine>
long long IdleFramesOf(const Engine&, long)
{
    return -1;
}

struct Block {
    std::vector<double> left = Noise(kBlockFrames, 1);
    std::vector<double> right = Noise(kBlockFrames, 2);
    std::vector<double> outLeft = std::vector<double>(kBlockFrames);
    std::vector<double> outRight = std::vector<double>(kBlockFrames);

    void Silence()
    {
        left.assign(kBlockFrames, 0.0);
        right.assign(kBlockFrames, 0.0);
    }

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

// An engine brought into the case's state, with its input. The benchmark library runs a case
// several times (to size it, and once per repetition); the prepared engine of the last case is
// kept, so that two minutes of decay are rendered once per case, not once per run.
struct Prepared {
    std::string name;
    std::unique_ptr<ReverbEngine> engine;
    Block block;
};

Prepared& Prepare(const std::string& name, const Case& c)
{
    static Prepared prepared;
    if (prepared.name == name)
        return prepared;
    prepared.name = name;
    prepared.engine = std::make_unique<ReverbEngine>();
    prepared.block = Block();
    ReverbEngine& engine = *prepared.engine;
    engine.SetKernel(c.kernel);
    engine.SetHostSampleRate(c.sampleRate);
    engine.SetParameterCopy(ReverbParameters::kTurbulence, c.turbulenceOn ? 0.0 : 1.0);
    engine.ResetEngine();

    Block& block = prepared.block;
    if (c.input != Input::kIdle)
        block.ProcessSeconds(engine, kFillSeconds, c.sampleRate);
    if (c.input != Input::kSignal) {
        block.Silence();
        if (c.input == Input::kSilence)
            block.ProcessSeconds(engine, kDecaySeconds, c.sampleRate);
    }
    return prepared;
}

void Run(benchmark::State& state, const std::string& name, const Case& c)
{
    if (!IsKernelSupported(c.kernel)) {
        state.SkipWithError("this CPU cannot run the kernel");
        return;
    }
    Prepared& p = Prepare(name, c);
    const long long idleBefore = IdleFramesOf(*p.engine, 0);
    for (auto _ : state)
        p.block.Process(*p.engine);

    const double frames = static_cast<double>(state.iterations()) * kBlockFrames;
    state.SetItemsProcessed(static_cast<std::int64_t>(frames));
    state.counters["frame_time"] =
        benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["x_realtime"] = benchmark::Counter(frames / c.sampleRate, benchmark::Counter::kIsRate);
    if (idleBefore >= 0)
        state.counters["idle"] = static_cast<double>(IdleFramesOf(*p.engine, 0) - idleBefore) / frames;
}

void Register(const Case& c)
{
    static const char* const kInputNames[] = {"Signal/", "Silence/", "Idle/"};
    const std::string name = kInputNames[static_cast<int>(c.input)] + std::string(KernelName(c.kernel)) +
                             (c.turbulenceOn ? "/turbulence:on/" : "/turbulence:off/") +
                             std::to_string(static_cast<int>(c.sampleRate));
    benchmark::RegisterBenchmark(name.c_str(), [name, c](benchmark::State& state) { Run(state, name, c); })
        ->Unit(benchmark::kMicrosecond);
}

} // namespace

int main(int argc, char** argv)
{
    const ReverbKernel kernels[] = {ReverbKernel::kReference, ReverbKernel::kSse2, ReverbKernel::kAvx2};
    for (const Input input : {Input::kSignal, Input::kSilence, Input::kIdle})
        for (const double rate : {48000.0, 44100.0, 96000.0})
            for (const ReverbKernel kernel : kernels)
                for (const bool turbulenceOn : {true, false})
                    Register({input, kernel, turbulenceOn, rate});

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

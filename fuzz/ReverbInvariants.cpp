#include "ReverbInvariants.h"

#include "EffectSnapshot.h"
#include "FuzzCheck.h"
#include "FuzzHosts.h"
#include "ReverbParameters.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr int32_t kChannels = 2;
constexpr int32_t kBlockFrames = kFuzzBlockFrames; // what every harness prepares its instance for
constexpr double kNoiseAmplitude = 1.0;  // full scale

void FillNoise(double* samples, int32_t frames, uint32_t seed)
{
    for (int32_t i = 0; i < frames; ++i)
    {
        seed = seed * 1664525u + 1013904223u;
        samples[i] = kNoiseAmplitude * (static_cast<double>(seed >> 8) / 8388608.0 - 1.0);
    }
}

void CheckEngineCopies(const IEffectBase& effect, const ReverbEngine& engine, const char* what)
{
    for (int32_t i = 0; i < effect.ParameterCount(); ++i)
    {
        if (!ReverbParameters::IsSoundParameter(i))
            continue;
        const double value = effect.Parameter(i)->Value();
        FUZZ_CHECK(engine.ParameterCopy(i) == value, "%s: the engine's copy of parameter %d is %.17g, the parameter %.17g",
                   what, i, engine.ParameterCopy(i), value);
    }
}

void CheckBlockFinite(IEffectBase& effect, const char* what)
{
    double in[kChannels][kBlockFrames];
    double out[kChannels][kBlockFrames];
    for (int32_t c = 0; c < kChannels; ++c)
        FillNoise(in[c], kBlockFrames, 12345u + static_cast<uint32_t>(c));
    const double* inputs[kChannels] = {in[0], in[1]};
    double* outputs[kChannels] = {out[0], out[1]};
    effect.ProcessDouble(inputs, outputs, kBlockFrames, false);
    for (int32_t c = 0; c < kChannels; ++c)
        for (int32_t i = 0; i < kBlockFrames; ++i)
            FUZZ_CHECK(std::isfinite(out[c][i]), "%s: output %d frame %d is %g after the restore", what, c, i, out[c][i]);
}

} // namespace

void CheckReverbAfterRestore(IEffectBase& effect, const ReverbEngine& engine, const char* what)
{
    CheckValues(effect, nullptr, what);
    CheckEngineCopies(effect, engine, what);
    CheckBlockFinite(effect, what);
    CheckStateRoundTrip(effect, what);
    CheckEngineCopies(effect, engine, what);
}

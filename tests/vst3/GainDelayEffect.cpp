#include "GainDelayEffect.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const IEffectConfig kConfig = {
    "Tessivane Test Delay", "", "Tessivane Audio", FourCharCode('T', 's', 'v', 't'), FourCharCode('T', 's', 'v', 'n'),
    0x00010208, "1-1 2-2", GainDelayEffect::kParamCount, 1, 251, 373, false, false, true};

// Small values in a feedback loop would otherwise sink into slow subnormal arithmetic.
double Flushed(double v)
{
    return std::fabs(v) < 1e-30 ? 0.0 : v;
}

} // namespace

const IEffectConfig& PluginConfig()
{
    return kConfig;
}

IEffectAdapter* CreatePluginInstance(IEffectAdapter::HostCallback host)
{
    return new GainDelayEffect(host);
}

GainDelayEffect::GainDelayEffect(HostCallback host) : IEffectAdapter(host, kConfig)
{
    for (auto& line : lines)
        line.assign(kLineCapacity, 0.0);

    Parameter(kGain)->InitContinuous("Gain", 0.0, -24.0, 12.0, 0.1, "dB");
    Parameter(kDelay)->InitContinuous("Delay", 120.0, 1.0, 500.0, 0.01, "ms");
    Parameter(kDelay)->SetShape(2.0);
    Parameter(kFeedback)->InitContinuous("Feedback", 0.4, 0.0, 0.9, 0.001, "");
    Parameter(kMix)->InitContinuous("Mix", 0.5, 0.0, 1.0, 0.01, "");
    Parameter(kMode)->SetKind(kParamEnum);
    Parameter(kMode)->InitContinuous("Mode", 0.0, 0.0, 2.0, 1.0, "");
    Parameter(kMode)->AddDisplayText(0, "Straight");
    Parameter(kMode)->AddDisplayText(1, "Cross");
    Parameter(kMode)->AddDisplayText(2, "Mono");
    Parameter(kFreeze)->SetKind(kParamBool);
    Parameter(kFreeze)->InitContinuous("Freeze", 0.0, 0.0, 1.0, 1.0, "");
    Parameter(kFreeze)->AddDisplayText(0, "Off");
    Parameter(kFreeze)->AddDisplayText(1, "On");
    char name[16];
    for (int32_t i = kFirstSpare; i < kParamCount; ++i)
    {
        snprintf(name, sizeof name, "Spare %d", static_cast<int>(i));
        Parameter(i)->InitContinuous(name, 0.25, 0.0, 1.0, 0.001, "");
        Parameter(i)->SetGroup(i < 12 ? "Spare" : "More");
    }
    Parameter(kNegatedSpare)->SetNegateDisplay(true);
    Parameter(kManualSpare)->SetCanAutomate(false);

    UpdateCoefficients();
    FillEmptyPresets("Factory", PresetCount());
}

void GainDelayEffect::UpdateCoefficients()
{
    gain = std::pow(10.0, Parameter(kGain)->Value() / 20.0);
    const double frames = std::floor(Parameter(kDelay)->Value() * 0.001 * SampleRate());
    delayFrames = static_cast<int32_t>(std::min(std::max(frames, 1.0), static_cast<double>(kLineCapacity - 1)));
    feedback = Parameter(kFeedback)->Value();
    mix = Parameter(kMix)->Value();
    mode = TruncToInt32(Parameter(kMode)->Value());
    frozen = Parameter(kFreeze)->Value() >= 0.5;
}

void GainDelayEffect::OnReset()
{
    ILockGuard lock(Mutex());
    for (auto& line : lines)
        std::fill(line.begin(), line.end(), 0.0);
    writePos = 0;
    UpdateCoefficients();
}

void GainDelayEffect::OnParameterChanged(int32_t)
{
    ILockGuard lock(Mutex());
    UpdateCoefficients();
}

void GainDelayEffect::ProcessAudioBlock(double** inputs, double** outputs, int32_t frames)
{
    constexpr int32_t kMask = kLineCapacity - 1;
    for (int32_t f = 0; f < frames; ++f)
    {
        // Both inputs are read before any output is written: hosts may process in place.
        double in[2] = {inputs[0][f], inputs[1][f]};
        if (mode == 2)
            in[0] = in[1] = 0.5 * (in[0] + in[1]);
        const int32_t readPos = (writePos - delayFrames) & kMask;
        const double delayed[2] = {lines[0][static_cast<size_t>(readPos)], lines[1][static_cast<size_t>(readPos)]};
        for (int32_t c = 0; c < 2; ++c)
        {
            const double loop = mode == 1 ? delayed[1 - c] : delayed[c];
            const double fed = frozen ? loop : in[c] + feedback * loop;
            lines[c][static_cast<size_t>(writePos)] = Flushed(fed);
            outputs[c][f] = gain * ((1.0 - mix) * in[c] + mix * delayed[c]);
        }
        writePos = (writePos + 1) & kMask;
    }
}

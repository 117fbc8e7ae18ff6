#pragma once

#include "IEffectAdapter.h"

#include <vector>

// A small stereo feedback delay with the reverb's shape of identity (19 parameters on
// "1-1 2-2", one preset) for testing the adapters. Its sources are compiled once with each
// adapter, so the same plug-in runs inside a module and in an offline render. Its parameters
// cover the kinds a host must handle: continuous with shape and label, enumerated and
// boolean with display texts, grouped, negated display and not automatable.
class GainDelayEffect : public IEffectAdapter
{
public:
    enum Param
    {
        kGain,       // dB
        kDelay,      // ms, shape 2
        kFeedback,
        kMix,
        kMode,       // enumerated: Straight, Cross, Mono
        kFreeze,     // boolean: Off, On
        kFirstSpare,
        kNegatedSpare = 17,
        kManualSpare = 18,  // not automatable
        kParamCount
    };
    static constexpr int32_t kLineCapacity = 1 << 18;  // over 0.5 s at 384 kHz

    explicit GainDelayEffect(HostCallback host);

    void OnReset() override;
    void OnParameterChanged(int32_t index) override;
    void ProcessAudioBlock(double** inputs, double** outputs, int32_t frames) override;

private:
    void UpdateCoefficients();

    std::vector<double> lines[2];
    int32_t writePos = 0;
    int32_t delayFrames = 1;
    double gain = 1.0;
    double feedback = 0.0;
    double mix = 0.0;
    int32_t mode = 0;
    bool frozen = false;
};

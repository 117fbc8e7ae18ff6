#pragma once

#include "IEffectBase.h"

// The adapter for running a plug-in without a host: offline rendering, tools and tests.
// There is nobody to report edits, gestures or preset changes to, so those hooks do nothing,
// and the transport stands still.
class IEffectOffline : public IEffectBase
{
public:
    using HostCallback = void*;

    IEffectOffline(HostCallback, const IEffectConfig& config);

    // Connects the first `channels` inputs and outputs and leaves the rest unconnected.
    void SetChannelCount(int32_t channels);
    // What a host does before processing: rate, block size, then a reset of the plug-in.
    bool Prepare(double sampleRate, int32_t maxBlockFrames);

    void BeginParameterGesture(int32_t) override {}
    void ReportEditToHost(int32_t, double) override {}
    void EndParameterGesture(int32_t) override {}
    void ReportPresetChangeToHost() override {}
    bool IsOfflineRender() override { return true; }
    int32_t GetSamplePosition() override { return 0; }
    double GetHostTempo() override { return 0.0; }
    void GetTimeSignature(int32_t* numerator, int32_t* denominator) override;
    void GetTransportInfo(ITransportInfo* info) override;
    void EditorResized(int32_t, int32_t) override {}
};

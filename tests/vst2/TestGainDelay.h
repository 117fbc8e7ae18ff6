#pragma once

#include "IEffectAdapter.h"

#include <array>
#include <vector>

// A small stateful effect for exercising host adapters, compiled once against each adapter.
// It has the reverb's shape (19 parameters on "1-1 2-2", one preset slot, state chunks) and
// parameters of every sort an adapter must present: a label, a shaped range, a negated
// display, display texts, a stepped kind, and a name longer than a host's parameter buffer.
// A feedback delay makes the output depend on every earlier block, so that a lost or repeated
// sample anywhere shows in a comparison.
//
// For hosts that cannot look inside: setting "Nudge" to 1 behaves like an edit in an editor
// (gesture, automation of "Mix", display update); key names 126 and 127 describe what the
// plug-in learnt from its host; sysex events are echoed back, MIDI by the framework default.
class TestGainDelay : public IEffectAdapter
{
public:
    enum Param : int32_t
    {
        kGain = 0,
        kDelay = 1,
        kFeedback = 2,
        kMix = 3,
        kCrossfeed = 4,
        kMode = 5,
        kNudge = 11,
        kParamCount = 19,
    };
    static constexpr int32_t kUniqueId = FourCharCode('T', 's', 'v', 'T');
    static constexpr int32_t kHostKey = 127;
    static constexpr int32_t kTransportKey = 126;
    static constexpr double kMaxDelayMs = 100.0;
    // Enough for the longest delay at 384 kHz.
    static constexpr int32_t kDelayCapacity = 38401;

    explicit TestGainDelay(HostCallback host);

    void OnReset() override;
    void OnParameterChanged(int32_t index) override;
    void ProcessAudioBlock(double** inputs, double** outputs, int32_t frames) override;
    void ProcessSysExMessage(const ISysExMessage& message) override;
    bool GetMidiNoteName(int32_t note, char* text, size_t capacity) override;

    int32_t DelaySamples() const { return delaySamples; }

private:
    void UpdateDelay();

    std::array<std::vector<double>, 2> lines;
    std::array<double, 2> lowpass{};
    int32_t writePos = 0;
    int32_t delaySamples = 1;
    double gain = 1.0;
    double feedback = 0.0;
    double mix = 0.0;
    double crossfeed = 0.0;
    double smoothing = 1.0;
    bool nudged = false;
};

#include "TestGainDelay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

const IEffectConfig& PluginConfig()
{
    static const IEffectConfig config{"Tessivane Test Gain Delay", "", "Tessivane Audio",
                                      TestGainDelay::kUniqueId, FourCharCode('T', 's', 'v', 'n'),
                                      0x00010208, "1-1 2-2", TestGainDelay::kParamCount, 1, 251, 373,
                                      false, false, true};
    return config;
}

IEffectAdapter* CreatePluginInstance(IEffectAdapter::HostCallback host)
{
    return new TestGainDelay(host);
}

TestGainDelay::TestGainDelay(HostCallback host) : IEffectAdapter(host, PluginConfig())
{
    for (int32_t i = 0; i < ParameterCount(); ++i)
        Parameter(i)->InitContinuous(("p" + std::to_string(i)).c_str(), 0.5, 0.0, 1.0, 0.001, "");
    Parameter(kGain)->InitContinuous("Gain", 1.0, 0.0, 2.0, 0.01, "x");
    Parameter(kDelay)->InitContinuous("Delay", 10.0, 0.0, kMaxDelayMs, 0.1, "ms");
    Parameter(kDelay)->SetShape(2.0);
    Parameter(kFeedback)->InitContinuous("Feedback", 0.3, 0.0, 0.9, 0.001, "");
    Parameter(kMix)->InitContinuous("Mix", 0.5, 0.0, 1.0, 0.001, "");
    Parameter(kCrossfeed)->InitContinuous("Cross", -0.2, -1.0, 0.0, 0.001, "");
    Parameter(kCrossfeed)->SetNegateDisplay(true);
    Parameter(kMode)->SetKind(kParamEnum);
    Parameter(kMode)->InitContinuous("Mode", 0.0, 0.0, 2.0, 1.0, "");
    Parameter(kMode)->AddDisplayText(0, "Clean");
    Parameter(kMode)->AddDisplayText(1, "Warm");
    Parameter(kMode)->AddDisplayText(2, "Dark");
    Parameter(kNudge)->InitContinuous("Nudge", 0.0, 0.0, 1.0, 1.0, "");

    for (auto& line : lines)
        line.assign(kDelayCapacity, 0.0);
    for (int32_t i = 0; i < ParameterCount(); ++i)
        OnParameterChanged(i);
}

void TestGainDelay::OnReset()
{
    ILockGuard lock(Mutex());
    for (auto& line : lines)
        std::fill(line.begin(), line.end(), 0.0);
    lowpass = {};
    writePos = 0;
    UpdateDelay();
}

void TestGainDelay::UpdateDelay()
{
    const double samples = Parameter(kDelay)->Value() * SampleRate() / 1000.0;
    delaySamples = std::clamp(static_cast<int32_t>(std::lround(samples)), 1, kDelayCapacity - 1);
}

void TestGainDelay::OnParameterChanged(int32_t index)
{
    ILockGuard lock(Mutex());
    const double v = Parameter(index) ? Parameter(index)->Value() : 0.0;
    switch (index)
    {
    case kGain: gain = v; break;
    case kDelay: UpdateDelay(); break;
    case kFeedback: feedback = v; break;
    case kMix: mix = v; break;
    case kCrossfeed: crossfeed = v; break;
    case kMode: smoothing = v < 0.5 ? 1.0 : v < 1.5 ? 0.5 : 0.2; break;
    case kNudge:
        // What an editor does when the user drags a control.
        if (v >= 0.5 && !nudged)
        {
            BeginParameterGesture(kMix);
            SetParameterFromEditor(kMix, 0.25);
            EndParameterGesture(kMix);
            ReportPresetChangeToHost();
        }
        nudged = v >= 0.5;
        break;
    default: break;
    }
}

void TestGainDelay::ProcessAudioBlock(double** inputs, double** outputs, int32_t frames)
{
    for (int32_t f = 0; f < frames; ++f)
    {
        // Both inputs are read before either output is written: hosts may process in place.
        const double in[2] = {inputs[0][f], inputs[1][f]};
        int32_t readPos = writePos - delaySamples;
        if (readPos < 0)
            readPos += kDelayCapacity;
        for (int ch = 0; ch < 2; ++ch)
        {
            const double delayed = lines[ch][static_cast<size_t>(readPos)];
            lines[ch][static_cast<size_t>(writePos)] = in[ch] - crossfeed * in[1 - ch] + feedback * delayed;
            lowpass[ch] += smoothing * (delayed - lowpass[ch]);
            outputs[ch][f] = gain * in[ch] + mix * lowpass[ch];
        }
        writePos = writePos + 1 == kDelayCapacity ? 0 : writePos + 1;
    }
}

void TestGainDelay::ProcessSysExMessage(const ISysExMessage& message)
{
    SendSysExMessage(message);
}

bool TestGainDelay::GetMidiNoteName(int32_t note, char* text, size_t capacity)
{
    if (note == kHostKey)
    {
        snprintf(text, capacity, "host %d version %d offline %d", static_cast<int>(GetHostId()),
                 static_cast<int>(HostVersion()), IsOfflineRender() ? 1 : 0);
        return true;
    }
    if (note == kTransportKey)
    {
        ITransportInfo info;
        GetTransportInfo(&info);
        int32_t num = 0;
        int32_t den = 0;
        GetTimeSignature(&num, &den);
        const int32_t position = GetSamplePosition();
        const double tempo = GetHostTempo();
        snprintf(text, capacity, "pos %d tempo %.2f ppq %.2f sig %d/%d play %d cycle %d",
                 static_cast<int>(position), tempo, info.musicalPosition,
                 static_cast<int>(num), static_cast<int>(den), info.transportPlaying ? 1 : 0,
                 info.cycleActive ? 1 : 0);
        return true;
    }
    return IEffectAdapter::GetMidiNoteName(note, text, capacity);
}

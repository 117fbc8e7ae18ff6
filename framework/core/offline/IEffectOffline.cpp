#include "IEffectOffline.h"

IEffectOffline::IEffectOffline(HostCallback, const IEffectConfig& config) : IEffectBase(config)
{
    SetApiKind(kApiOffline);
    SetChannelCount(OutputCount());
}

void IEffectOffline::SetChannelCount(int32_t channels)
{
    ILockGuard lock(Mutex());
    for (int32_t i = 0; i < InputCount(); ++i)
        Inputs().SetConnected(i, i < channels);
    for (int32_t i = 0; i < OutputCount(); ++i)
        Outputs().SetConnected(i, i < channels);
}

bool IEffectOffline::Prepare(double rate, int32_t maxBlockFrames)
{
    ILockGuard lock(Mutex());
    SetSampleRate(rate);
    const bool ok = SetMaxBlockFrames(maxBlockFrames);
    OnReset();
    return ok;
}

void IEffectOffline::GetTimeSignature(int32_t* numerator, int32_t* denominator)
{
    if (numerator)
        *numerator = 0;
    if (denominator)
        *denominator = 0;
}

void IEffectOffline::GetTransportInfo(ITransportInfo* info)
{
    if (info)
        *info = ITransportInfo{};
}

#pragma once

#include <cstdint>
#include <vector>

// Delays the bypassed signal by the plug-in's latency, so that switching bypass keeps the
// output aligned with the processed signal. One row of `length` samples per input channel.
class ILatencyDelay
{
public:
    ILatencyDelay(int32_t inputChannels, int32_t outputChannels);

    // Sets the delay in samples and clears it; false (delay unchanged) when memory runs out.
    bool SetLength(int32_t samples);
    int32_t Length() const { return length; }

    // Writes frames delayed samples of each input into the matching output; outputs without
    // a matching input are zeroed.
    void Process(double* const* inputs, double* const* outputs, int32_t outputCount, int32_t frames);

private:
    std::vector<double> buffer;
    int32_t position = 0;
    int32_t inputChannels;
    int32_t outputChannels;
    int32_t length = 0;
};

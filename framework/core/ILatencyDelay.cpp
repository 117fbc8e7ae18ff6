#include "ILatencyDelay.h"

#include <algorithm>
#include <new>

ILatencyDelay::ILatencyDelay(int32_t inputs, int32_t outputs)
    : inputChannels(std::max(inputs, 0)), outputChannels(std::max(outputs, 0))
{
}

bool ILatencyDelay::SetLength(int32_t samples)
{
    samples = std::max(samples, 0);
    try
    {
        std::vector<double> fresh(static_cast<size_t>(samples) * static_cast<size_t>(inputChannels), 0.0);
        buffer.swap(fresh);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    length = samples;
    position = 0;
    return true;
}

void ILatencyDelay::Process(double* const* inputs, double* const* outputs, int32_t outputCount,
                            int32_t frames)
{
    const int32_t delayed = std::min(inputChannels, std::min(outputChannels, outputCount));
    if (length <= 0)
    {
        for (int32_t ch = 0; ch < delayed; ++ch)
            if (outputs[ch] != inputs[ch])
                std::copy(inputs[ch], inputs[ch] + frames, outputs[ch]);
    }
    for (int32_t f = 0; f < frames && length > 0; ++f)
    {
        for (int32_t ch = 0; ch < delayed; ++ch)
        {
            double& cell = buffer[static_cast<size_t>(ch) * static_cast<size_t>(length) +
                                  static_cast<size_t>(position)];
            const double in = inputs[ch][f];
            outputs[ch][f] = cell;
            cell = in;
        }
        position = (position + 1) % length;
    }
    for (int32_t ch = delayed; ch < outputCount; ++ch)
        std::fill(outputs[ch], outputs[ch] + frames, 0.0);
}

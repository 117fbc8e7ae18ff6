#include "DemoSignal.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

constexpr double kPi = 3.141592653589793;

struct Pluck
{
    double startSeconds;
    double frequencyHz;
    double pan;  // 0 left .. 1 right
};

// A plucked string: a harmonic tone whose upper partials die away faster than its fundamental.
double PluckSample(const Pluck& p, double t)
{
    if (t < 0.0)
        return 0.0;
    double sum = 0.0;
    for (int harmonic = 1; harmonic <= 6; ++harmonic)
    {
        const double decayPerSecond = 3.0 + 2.5 * harmonic;
        sum += std::sin(2.0 * kPi * p.frequencyHz * harmonic * t) * std::exp(-decayPerSecond * t) / harmonic;
    }
    const double attack = std::min(1.0, t / 0.002);
    return 0.3 * attack * sum;
}

} // namespace

std::vector<double> MakeDemoSignal(double sampleRate, double seconds)
{
    const Pluck plucks[] = {
        {0.00, 196.00, 0.3}, {0.35, 293.66, 0.7}, {0.70, 392.00, 0.4}, {1.05, 493.88, 0.6}, {1.60, 261.63, 0.5},
    };
    const double clickSeconds[] = {0.20, 1.35, 1.90};
    const size_t frames = static_cast<size_t>(seconds * sampleRate);
    std::vector<double> interleaved(frames * 2, 0.0);
    for (size_t f = 0; f < frames; ++f)
    {
        const double t = static_cast<double>(f) / sampleRate;
        for (const Pluck& p : plucks)
        {
            const double s = PluckSample(p, t - p.startSeconds);
            interleaved[2 * f] += s * (1.0 - p.pan);
            interleaved[2 * f + 1] += s * p.pan;
        }
    }
    for (double click : clickSeconds)
    {
        const size_t f = static_cast<size_t>(click * sampleRate);
        if (f < frames)
        {
            interleaved[2 * f] += 0.8;
            interleaved[2 * f + 1] += 0.8;
        }
    }
    return interleaved;
}

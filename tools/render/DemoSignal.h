#pragma once

#include <vector>

// The demo's dry signal: a few plucked tones and clicks, stereo, interleaved.
std::vector<double> MakeDemoSignal(double sampleRate, double seconds);

#include "ReverbParameters.h"

#include <cmath>
#include <cstdio>

namespace ReverbParameters {

double ClampNormalised(double value)
{
    if (!(value > 0.0))
        return 0.0; // also NaN and -0.0, so that no readout ever shows "-0.00"
    return value > 1.0 ? 1.0 : value;
}

bool FormatReadout(int index, double value, char* text, std::size_t capacity)
{
    if (text == nullptr || capacity == 0)
        return false;
    text[0] = '\0';

    const double v = ClampNormalised(value);
    int written = -1;
    switch (index) {
    case kMix:
    case kFarEcho:
    case kDarkness:
    case kPreDelay:
    case kModRate:
        written = std::snprintf(text, capacity, "%3.2f", v);
        break;
    case kDiffusion:
        written = std::snprintf(text, capacity, "%3.2f", 0.5 * v + 0.5);
        break;
    case kRoomSize:
        written = std::snprintf(text, capacity, "%3.2f", 0.9 * v + 0.1);
        break;
    case kLowCut:
        written = std::snprintf(text, capacity, "%4.0f", 10.0 * std::pow(100.0, v));
        break;
    case kHighCut:
        // Shown in steps of 100 Hz: the corner in hundreds of hertz, truncated.
        written = std::snprintf(text, capacity, "%d", static_cast<int>(20.0 * std::pow(10.0, v)) * 100);
        break;
    case kTurbRate:
        written = std::snprintf(text, capacity, "%3.2f", 0.1 * std::pow(25.0, v));
        break;
    default:
        return false;
    }
    if (written < 0) {
        text[0] = '\0';
        return false;
    }
    return true;
}

} // namespace ReverbParameters

#include "FuzzHosts.h"

namespace {

constexpr double kFirstValue = 0.05;
constexpr double kValueSpacing = 0.0493;  // keeps all 19 values apart and below 1

} // namespace

void SetAwayFromDefaults(IEffectBase& effect)
{
    for (int32_t i = 0; i < effect.ParameterCount(); ++i)
        effect.ApplyHostParameter(i, kFirstValue + kValueSpacing * i);
}

#pragma once

#include "HostedEffect.h"
#include "IEffectAdapter.h"

#include <memory>

// The same plug-in as the module's, compiled with the offline adapter and driven through the
// instance core directly: the reference a hosted render must match. Parameter changes take
// the meaning the VST3 interface gives them ('bpas' above one half bypasses, 'prst' selects
// the preset at value times preset count, other ids are parameter indices).
Channels RenderOffline(const RenderPlan& plan, const Channels& input, Steinberg::int32 sampleSize);

// The same plug-in as RenderOffline sets it up, for renders that go block by block.
std::unique_ptr<IEffectAdapter> PreparedOffline(const RenderPlan& plan);

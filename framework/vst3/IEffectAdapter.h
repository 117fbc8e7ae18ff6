#pragma once

#include "IEffectVST3.h"

// The adapter a plug-in derives from in the VST3 build.
using IEffectAdapter = IEffectVST3;

// Defined by the plug-in: its identity, and one new instance for the given host.
const IEffectConfig& PluginConfig();
IEffectAdapter* CreatePluginInstance(IEffectAdapter::HostCallback host);

#pragma once

#include "IEffectVST2.h"

// The adapter a plug-in derives from in the VST 2.4 module.
using IEffectAdapter = IEffectVST2;

// Defined by the plug-in: its identity, and one new instance for the given host.
const IEffectConfig& PluginConfig();
IEffectAdapter* CreatePluginInstance(IEffectAdapter::HostCallback host);

#pragma once

#include "IEffectOffline.h"

// The adapter a plug-in derives from in the offline build.
using IEffectAdapter = IEffectOffline;

// Defined by the plug-in: its identity, and one new instance for the given host.
const IEffectConfig& PluginConfig();
IEffectAdapter* CreatePluginInstance(IEffectAdapter::HostCallback host);

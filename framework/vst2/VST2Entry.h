#pragma once

#include "Vst2Interface.h"

// The module's entry: one new plug-in instance for the calling host, or null when it could
// not be created. The module exports it as VSTPluginMain and as main.
extern "C" AEffect* VSTPluginMain(audioMasterCallback host);

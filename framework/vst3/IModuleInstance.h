#pragma once

// The handle of the loaded plug-in module (an HMODULE on Windows), by which the module's own
// resources are found. Remembered when the host initialises the module; null before that and
// on systems without module resources.
void RememberModuleInstance();
void* ModuleInstance();

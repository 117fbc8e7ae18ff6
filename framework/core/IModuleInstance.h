#pragma once

// The handle of the plug-in module that holds this code (an HMODULE on Windows), by which the
// module's window class, resources and dialogs are found. Found from the module's own address
// on first use, so it is right whether or not the host ever called the module's set-up entry;
// null on systems without module resources.
void* ModuleInstance();

#pragma once

#include <cstddef>
#include <cstdint>

// The handle of the plug-in module that holds this code (an HMODULE on Windows), by which the
// module's window class, resources and dialogs are found. Found from the module's own address
// on first use, so it is right whether or not the host ever called the module's set-up entry;
// null on systems without module resources.
void* ModuleInstance();

// The bytes of a resource that `module` stores under a 16-bit id and a type name ("PNG", "BIN"),
// valid for as long as the module stays loaded; none (null, 0) where it holds no such resource
// or the system has none.
struct IModuleResource
{
    const void* bytes = nullptr;
    size_t size = 0;
};
IModuleResource FindModuleResource(void* module, int32_t id, const char* type);

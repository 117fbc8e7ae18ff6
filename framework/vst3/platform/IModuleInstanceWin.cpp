#include "IModuleInstance.h"

#include <windows.h>

namespace {

HMODULE moduleInstance = nullptr;

} // namespace

void RememberModuleInstance()
{
    // The module that holds this very function is the plug-in module.
    HMODULE module = nullptr;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&RememberModuleInstance), &module))
        moduleInstance = module;
}

void* ModuleInstance()
{
    return moduleInstance;
}

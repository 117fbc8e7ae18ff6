#include "IModuleInstance.h"

#include <windows.h>

namespace {

// The module that holds this very function is the plug-in module (or the program, when the
// code is linked into one). The module's reference count is left alone: the handle must not
// keep the module loaded.
HMODULE FindOwnModule()
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&FindOwnModule), &module))
        return nullptr;
    return module;
}

} // namespace

void* ModuleInstance()
{
    static const HMODULE module = FindOwnModule();
    return module;
}

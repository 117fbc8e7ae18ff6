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

IModuleResource FindModuleResource(void* module, int32_t id, const char* type)
{
    // Resource ids are 16 bits: a larger one would name another resource.
    constexpr int32_t kMaxResourceId = 0xFFFF;
    if (!module || !type || id < 1 || id > kMaxResourceId)
        return {};
    auto handle = static_cast<HMODULE>(module);
    HRSRC found = FindResourceA(handle, MAKEINTRESOURCEA(id), type); // type names are ASCII
    HGLOBAL loaded = found ? LoadResource(handle, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return {};
    return {bytes, SizeofResource(handle, found)};
}

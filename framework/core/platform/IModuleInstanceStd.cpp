#include "IModuleInstance.h"

// Resources are embedded only in Windows modules.
void* ModuleInstance()
{
    return nullptr;
}

IModuleResource FindModuleResource(void*, int32_t, const char*)
{
    return {};
}

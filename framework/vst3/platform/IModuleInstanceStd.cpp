#include "IModuleInstance.h"

// Resources are embedded only in the Windows module.
void RememberModuleInstance()
{
}

void* ModuleInstance()
{
    return nullptr;
}

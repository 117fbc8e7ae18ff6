#include "IModuleInstance.h"

// Resources are embedded only in Windows modules.
void* ModuleInstance()
{
    return nullptr;
}

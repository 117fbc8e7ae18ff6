#include "PluginModule.h"

#include <dlfcn.h>

PluginModule::PluginModule(const std::string& path)
{
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

PluginModule::~PluginModule()
{
    if (handle)
        dlclose(handle);
}

void* PluginModule::Symbol(const char* name) const
{
    return handle ? dlsym(handle, name) : nullptr;
}

// Natively the test modules export VSTPluginMain alone; main would clash with programs.
std::vector<std::string> PluginModule::EntryNames()
{
    return {"VSTPluginMain"};
}

#include "PluginModule.h"

#include <windows.h>

#include <algorithm>

PluginModule::PluginModule(const std::string& path)
{
    // The build hands over paths with forward slashes; LoadLibrary wants backslashes.
    std::string native = path;
    std::replace(native.begin(), native.end(), '/', '\\');
    handle = LoadLibraryA(native.c_str());
}

PluginModule::~PluginModule()
{
    if (handle)
        FreeLibrary(static_cast<HMODULE>(handle));
}

void* PluginModule::Symbol(const char* name) const
{
    if (!handle)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

std::vector<std::string> PluginModule::EntryNames()
{
    return {"VSTPluginMain", "main"};
}

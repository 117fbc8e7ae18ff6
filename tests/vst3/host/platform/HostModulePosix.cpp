#include "HostModule.h"

#include <dlfcn.h>

std::string HostModule::BinaryInBundle(const std::string& bundlePath)
{
    const size_t slash = bundlePath.find_last_of('/');
    std::string name = bundlePath.substr(slash == std::string::npos ? 0 : slash + 1);
    name = name.substr(0, name.rfind(".vst3"));
    return bundlePath + "/Contents/x86_64-linux/" + name + ".so";
}

HostModule::~HostModule()
{
    Unload();
}

bool HostModule::Load(const std::string& binaryPath)
{
    Unload();
    // Local binding keeps the module's symbols apart from the host's own copy of the plug-in.
    handle = dlopen(binaryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle != nullptr;
}

void HostModule::Unload()
{
    if (handle)
        dlclose(handle);
    handle = nullptr;
}

void* HostModule::Symbol(const char* name) const
{
    return handle ? dlsym(handle, name) : nullptr;
}

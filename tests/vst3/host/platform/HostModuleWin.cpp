#include "HostModule.h"

#include <windows.h>

#include <vector>

std::string HostModule::BinaryInBundle(const std::string& bundlePath)
{
    const size_t slash = bundlePath.find_last_of("/\\");
    std::string name = bundlePath.substr(slash == std::string::npos ? 0 : slash + 1);
    name = name.substr(0, name.rfind(".vst3"));
    return bundlePath + "\\Contents\\x86_64-win\\" + name + ".vst3";
}

HostModule::~HostModule()
{
    Unload();
}

bool HostModule::Load(const std::string& binaryPath)
{
    Unload();
    std::string path = binaryPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    const int units = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    if (units <= 0)
        return false;
    std::vector<wchar_t> wide(static_cast<size_t>(units));
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), units);
    handle = LoadLibraryW(wide.data());
    return handle != nullptr;
}

void HostModule::Unload()
{
    if (handle)
        FreeLibrary(static_cast<HMODULE>(handle));
    handle = nullptr;
}

void* HostModule::Symbol(const char* name) const
{
    if (!handle)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

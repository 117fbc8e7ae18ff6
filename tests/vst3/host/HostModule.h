#pragma once

#include <string>

// A plug-in module loaded the way a host loads it: the binary inside the bundle folder, its
// entry points looked up by name. Unloaded when destroyed.
class HostModule
{
public:
    HostModule() = default;
    ~HostModule();
    HostModule(const HostModule&) = delete;
    HostModule& operator=(const HostModule&) = delete;

    // The binary of a bundle folder "<dir>/<name>.vst3" on this system.
    static std::string BinaryInBundle(const std::string& bundlePath);

    bool Load(const std::string& binaryPath);
    void Unload();
    bool IsLoaded() const { return handle != nullptr; }
    // The address of an exported function, or null.
    void* Symbol(const char* name) const;

private:
    void* handle = nullptr;
};

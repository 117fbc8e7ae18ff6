#pragma once

#include <string>
#include <vector>

// A plug-in module loaded the way a host loads it (LoadLibrary on Windows, dlopen
// elsewhere), unloaded when the object goes.
class PluginModule
{
public:
    explicit PluginModule(const std::string& path);
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    bool Loaded() const { return handle != nullptr; }
    // The exported symbol, or null.
    void* Symbol(const char* name) const;

    // The names a VST 2.4 module exports its entry under on this platform: VSTPluginMain,
    // and on Windows also main for older hosts.
    static std::vector<std::string> EntryNames();

private:
    void* handle = nullptr;
};

#pragma once
// The window test plug-in as one host adapter serves it: instance creation, the editor opened
// and closed through the adapter, host values set on the host's audio thread, and the edits
// the adapter reported to the host, in one form for both adapters. Each test program links
// the implementation for its adapter.

#include "WindowTestEffect.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// An edit the host was told of: 'b' begin, 'p' perform (the value), 'e' end.
struct HostEdit
{
    char kind;
    int32_t index;
    double value;
};

class HostedEditor
{
public:
    virtual ~HostedEditor() = default;

    virtual WindowTestEffect& Plugin() = 0;
    // Opens the editor in the host's window, as the host asks the adapter to.
    virtual bool Open(HWND parent) = 0;
    virtual void Close() = 0;
    // Lets go of the instance as the host does, closing nothing first.
    virtual void Release() = 0;
    // A host value, through the path the host's audio thread takes; safe on any thread.
    virtual void SetFromAudioThread(int32_t index, double normalized) = 0;
    virtual std::vector<HostEdit> Edits() = 0;
    virtual void ClearEdits() = 0;
    // Parameter menus the host was asked to show (VST3 hosts show their own).
    virtual int HostMenus() = 0;
    virtual bool HostShowsParameterMenus() const = 0;
};

std::unique_ptr<HostedEditor> HostEditor();
// The adapter's name, for messages.
const char* AdapterName();

// Edits as "b0", "p0=0.2500", "e0", for comparing whole sequences.
std::vector<std::string> EditNames(const std::vector<HostEdit>& edits);

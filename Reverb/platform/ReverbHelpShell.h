#pragma once
// The two calls through which Help reaches the user: its message boxes and the shell's "open"
// of the first page. They are the system's own; a test puts recorders in their place, so that
// it can watch them without modal boxes or a browser. Windows only.

#include <windows.h>

#include <shellapi.h>

struct ReverbHelpShell
{
    decltype(&MessageBoxW) messageBox = &MessageBoxW;
    decltype(&ShellExecuteW) shellExecute = &ShellExecuteW;
};

// The calls Help makes, process-wide; window thread only.
ReverbHelpShell& HelpShell();

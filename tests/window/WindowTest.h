#pragma once
// The fixture of the window tests: the window test plug-in behind the program's adapter, its
// editor opened in a host's top-level window and painted once.

#include "HostedEditor.h"
#include "IGraphicsWin.h"
#include "IModuleInstance.h"
#include "WindowHarness.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using Names = std::vector<std::string>;

inline bool ClassRegistered()
{
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    return GetClassInfoExW(static_cast<HINSTANCE>(ModuleInstance()), IGraphicsWin::kWindowClassName, &info) != 0;
}

inline std::wstring ClassName(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        hosted = HostEditor();
        ASSERT_TRUE(hosted->Open(host.Handle())) << AdapterName();
        Settle();
        hosted->ClearEdits();
    }
    void TearDown() override { hosted.reset(); }

    WindowTestEffect& Plugin() { return hosted->Plugin(); }
    IGraphicsWin& Graphics() { return Plugin().Graphics(); }
    HWND Editor() { return static_cast<HWND>(Graphics().WindowHandle()); }
    IParamEntry& Param(int32_t index) { return *Plugin().Parameter(index); }
    Names Edits() { return EditNames(hosted->Edits()); }
    bool EditsEnd() { return !hosted->Edits().empty() && hosted->Edits().back().kind == 'e'; }

    // Waits for the first paint, then for two timer ticks with nothing left to paint.
    void Settle()
    {
        ASSERT_TRUE(PumpUntil([&] { return Plugin().background->paints > 0; }));
        ASSERT_TRUE(PumpTicks(Plugin().probe->ticks, 2));
    }
    // Waits until the entry field the test opened has been closed by the timer.
    bool EntryClosed()
    {
        return PumpUntil([&] { return !Graphics().EntryField(); });
    }
    // Opens an entry field for the control bound to the parameter (-1: free text), over the
    // control or in `rect`. The control starts from a value no commit gives, so that every
    // commit reaches the parameter.
    HWND OpenEntry(ProbeControl& control, int32_t param, const char* text, IRect rect = IRect())
    {
        control.Bind(param);
        control.SetValue(-1.0);
        Graphics().BeginTextEntry(&control, control.TextStyle(), rect.IsEmpty() ? control.Rect() : rect, text,
                                  param >= 0 ? Plugin().Parameter(param) : nullptr);
        return Graphics().EntryField();
    }

    HostWindow host;
    std::unique_ptr<HostedEditor> hosted;
};

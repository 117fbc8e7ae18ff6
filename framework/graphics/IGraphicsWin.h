#pragma once
// The editor's window on Windows: a child window inside the window the host gives the
// plug-in. A 25-per-second timer turns changed controls into repaints, the window procedure
// turns mouse and key messages into the editor's dispatch, and the platform operations
// (in-place text entry, popup menus, dialogs, folder and clipboard queries, module bitmaps)
// use the Win32 calls, wide ones wherever Windows offers them. Everything here runs on the
// thread that opened the window. Windows only.

#include "IGraphics.h"

#include <windows.h>

#include <array>
#include <memory>
#include <string>

// A colour as Win32 takes it; its alpha plays no part.
inline COLORREF ColourRef(const IRgba& colour)
{
    return RGB(colour.red & 0xFF, colour.green & 0xFF, colour.blue & 0xFF);
}

class IGraphicsWin : public IGraphics
{
public:
    // The in-place entry field's life; the redraw timer applies or drops what was typed.
    enum TextEntryState : int32_t
    {
        kEntryIdle = 0,
        kEntryFocused = 1,     // the field has the keyboard focus
        kEntryRepainted = 2,   // the editor was repainted around the open field
        kEntryCancel = 3,      // close the field without applying it
        kEntryCommit = 4,      // apply the typed text, then close the field
    };

    static constexpr const wchar_t* kWindowClassName = L"TessivaneWndClass";
    static constexpr UINT_PTR kRedrawTimerId = 2;
    static constexpr int kEntryFieldId = 99;
    static constexpr int kWheelDeltaPerNotch = 120;

    IGraphicsWin(IEffectBase* plug, int32_t width, int32_t height, int32_t frameRate = kDefaultFrameRate);
    ~IGraphicsWin() override;

    bool PresentRect(const IRect& rect) override;
    void CancelTextEntry() override;
    // Resizes the window with the editor; outside VST3 hosts the host's windows grow with it.
    void ResizeEditor(int32_t width, int32_t height) override;
    const char* BackendName() const override { return "Windows GDI"; }
    // Owned by the host's main window; 0 without showing anything when none can be found.
    int32_t MessageDialog(const char* text, const char* caption, int32_t type) override;
    IChoiceMenu* ShowPopupMenu(IChoiceMenu* menu, const IRect& rect) override;
    void BeginTextEntry(IControl* control, const ITextStyle& style, const IRect& rect, const char* text,
                        IParamEntry* param) override;
    std::string HostDirectory() override;
    std::string ModuleDirectory() override;
    std::string DesktopDirectory() override;
    std::string AppDataDirectory(bool allUsers) override;
    std::string UserAppDataDirectory() override { return AppDataDirectory(false); }
    void AskForFile(std::string& fileName, FileAction action, std::string& directory,
                    const char* extensions) override;
    bool AskForColour(IRgba& colour, const char* caption) override;
    // Opens the window in `parentWindow` (an HWND); a window already open is made anew there,
    // at the same place and size. Returns the window, or null.
    void* OpenEditorWindow(void* parentWindow) override;
    void CloseEditorWindow() override;
    void* WindowHandle() override { return editorWindow; }
    bool ReadClipboardText(std::string& text) override;
    void ConcealPointer() override;
    void RevealPointer() override;
    std::unique_ptr<GFX_IBitmap> LoadPlatformBitmap(int32_t id, const char* name) override;

    // Editor windows of this module now open; the window class exists while any is.
    static int32_t OpenWindowCount();
    HWND EntryField() const { return entryField; }
    TextEntryState EntryState() const { return entryState; }
    HWND TooltipWindow() const { return tooltipWindow; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK EntryProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam);
    // The editor whose window this is, or null (a window being destroyed, or closed).
    static IGraphicsWin* EditorOfWindow(HWND window);

    // ---- Window (IGraphicsWin.cpp) ------------------------------------------------------------
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void StartWindow(HWND window);
    // Drops every link to the window; its messages do nothing from then on.
    void ForgetWindow();
    RECT PlacementInParent() const;
    void PaintUpdateRegion();
    void OnRedrawTimer();
    void RedrawChangedControls();
    LRESULT ForwardToHost(UINT message, WPARAM wParam, LPARAM lParam);

    // ---- Mouse and keys (IGraphicsWinInput.cpp) -----------------------------------------------
    void OnMouseMove(WPARAM keys, int32_t x, int32_t y);
    void OnButtonDown(WPARAM keys, int32_t x, int32_t y);
    void OnButtonUp(WPARAM keys, int32_t x, int32_t y);
    void OnDoubleClick(WPARAM keys, int32_t x, int32_t y);
    void OnWheel(WPARAM wParam, LPARAM screenPosition);
    LRESULT OnKeyDown(WPARAM key, LPARAM lParam);
    void OnMouseLeave();
    // Runs a one-off edit (a wheel turn, a double click, a typed value) inside a host gesture
    // for the control's parameter, unless a press already opened one.
    template <class Edit>
    void EditInGesture(IControl& control, Edit&& edit);

    // ---- Tooltips (IGraphicsWinInput.cpp) -----------------------------------------------------
    void CreateTooltips();
    void TrackHoverAndLeave();
    void ShowTooltip();
    void HideTooltip();
    void SetTooltipText(const wchar_t* text);

    // ---- Entry field (IGraphicsWinEntry.cpp) --------------------------------------------------
    LRESULT HandleEntryMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool EntryAccepts(WPARAM character) const;
    LRESULT EntryColours(HDC dc, HWND field);
    void StepEntryField();
    void CommitEntry();
    // Restores the field's own procedure and forgets it; `destroy` also destroys it (else it
    // goes with the editor window).
    void CloseEntryField(bool destroy);

    // ---- Folders and the host's main window (IGraphicsWinDialogs.cpp) -------------------------
    HWND FindOwnerWindow();

    HINSTANCE moduleInstance;
    HWND editorWindow = nullptr;
    HWND entryField = nullptr;
    HWND tooltipWindow = nullptr;
    IControl* entryControl = nullptr;          // not owned
    IParamEntry* entryParam = nullptr;         // not owned; null for free text
    WNDPROC savedEntryProc = nullptr;
    TextEntryState entryState = kEntryIdle;
    bool tooltipShown = false;
    int32_t tooltipControlIndex = -1;
    std::unique_ptr<std::array<COLORREF, 16>> customColours;
    DWORD processId;
    HWND parentWindow = nullptr;
    HWND ownerWindow = nullptr;
    std::wstring ownerClassName;               // kept across openings of the window
    HFONT entryFont = nullptr;                 // the open field's font
    // A control may open a modal loop from its press (a message box, a dialog), and that loop
    // brings this window the button's release, or another press, before the press is over.
    bool pressUnderway = false;
    struct HeldRelease
    {
        bool held = false;
        WPARAM keys = 0;
        int32_t x = 0;
        int32_t y = 0;
    } heldRelease;                             // dispatched once the press is over
};

template <class Edit>
void IGraphicsWin::EditInGesture(IControl& control, Edit&& edit)
{
    const bool ownGesture = !GestureOpen();
    if (ownGesture)
        BeginControlGesture(control);
    edit();
    if (ownGesture)
        EndOpenGesture();
}

// Mouse, keys and tooltips: Win32 input turned into the editor's dispatch.

#include "IGraphicsWin.h"

#include "IControl.h"
#include "platform/IWinText.h"

#include <commctrl.h>
#include <windowsx.h>

namespace {

// Key codes the controls receive: space, the arrows, digits and letters.
constexpr int32_t kKeySpace = 0;
constexpr int32_t kKeyUp = 1;
constexpr int32_t kKeyDown = 2;
constexpr int32_t kKeyLeft = 3;
constexpr int32_t kKeyRight = 4;
constexpr int32_t kKeyDigitZero = 5;
constexpr int32_t kKeyLetterA = 15;
// The table reads key codes as characters, so 97..122, the lower-case letters as characters,
// are letters too (as virtual keys they are keypad and function keys).
constexpr WPARAM kLowerCaseA = 97;
constexpr WPARAM kLowerCaseZ = 122;

// The control key code for a virtual key, or -1 for a key the controls do not take.
int32_t ControlKeyCode(WPARAM key)
{
    switch (key)
    {
    case VK_SPACE: return kKeySpace;
    case VK_UP: return kKeyUp;
    case VK_DOWN: return kKeyDown;
    case VK_LEFT: return kKeyLeft;
    case VK_RIGHT: return kKeyRight;
    default: break;
    }
    if (key >= '0' && key <= '9')
        return kKeyDigitZero + static_cast<int32_t>(key - '0');
    if (key >= 'A' && key <= 'Z')
        return kKeyLetterA + static_cast<int32_t>(key - 'A');
    if (key >= kLowerCaseA && key <= kLowerCaseZ)
        return kKeyLetterA + static_cast<int32_t>(key - kLowerCaseA);
    return -1;
}

IMouseMods ModsFromKeys(WPARAM keys)
{
    return IMouseMods((keys & MK_LBUTTON) != 0, (keys & MK_RBUTTON) != 0, (keys & MK_SHIFT) != 0,
                      (keys & MK_CONTROL) != 0, GetKeyState(VK_MENU) < 0);
}

} // namespace

// ---- Mouse ------------------------------------------------------------------------------------

void IGraphicsWin::OnMouseMove(WPARAM keys, int32_t x, int32_t y)
{
    const IMouseMods mods = ModsFromKeys(keys);
    if (!(keys & (MK_LBUTTON | MK_RBUTTON)))
    {
        if (DispatchMouseOver(x, y, mods))
            TrackHoverAndLeave();
        return;
    }
    if (GetCapture() != editorWindow || entryField)
        return;
    IControl* captured = Control(capturedIndex);
    if (!captured || (x == lastMouseX && y == lastMouseY))
        return;
    const int32_t dx = x - lastMouseX;
    const int32_t dy = y - lastMouseY;
    lastMouseX = x;
    lastMouseY = y;
    captured->MouseDrag(x, y, dx, dy, mods);
}

void IGraphicsWin::OnButtonDown(WPARAM keys, int32_t x, int32_t y)
{
    HideTooltip();
    if (entryField)
    {
        entryState = kEntryCommit;
        return;
    }
    // A press that a modal loop brings in while another is being handled is not the user's
    // next gesture on the editor: the first one is still under way.
    if (pressUnderway)
        return;
    SetFocus(editorWindow);
    SetCapture(editorWindow);
    pressUnderway = true;
    DispatchMouseDown(x, y, ModsFromKeys(keys));
    pressUnderway = false;
    // The release waited, so that every edit the press made lies inside its gesture.
    if (heldRelease.held)
    {
        heldRelease.held = false;
        DispatchMouseUp(heldRelease.x, heldRelease.y, ModsFromKeys(heldRelease.keys));
    }
}

void IGraphicsWin::OnButtonUp(WPARAM keys, int32_t x, int32_t y)
{
    ReleaseCapture();
    if (pressUnderway)
    {
        heldRelease = HeldRelease{true, keys, x, y};
        return;
    }
    DispatchMouseUp(x, y, ModsFromKeys(keys));
}

void IGraphicsWin::OnDoubleClick(WPARAM keys, int32_t x, int32_t y)
{
    const IMouseMods mods = ModsFromKeys(keys);
    ReleaseControlCapture();
    IControl* control = Control(HitTestControls(x, y));
    if (!control)
        return;
    // The second click of the pair is then a press like the first, with all a press does.
    if (control->DoubleClickActsAsPress())
    {
        OnButtonDown(keys, x, y);
        return;
    }
    EditInGesture(*control, [&] { control->MouseDoubleClick(x, y, mods); });
}

void IGraphicsWin::OnWheel(WPARAM wParam, LPARAM screenPosition)
{
    if (entryField)
    {
        entryState = kEntryCancel;
        return;
    }
    RECT windowRect;
    GetWindowRect(editorWindow, &windowRect);
    const int32_t x = GET_X_LPARAM(screenPosition) - windowRect.left;
    const int32_t y = GET_Y_LPARAM(screenPosition) - windowRect.top;
    IControl* target = Control(capturedIndex);
    if (!target)
        target = Control(HitTestControls(x, y));
    if (!target)
        return;
    const IMouseMods mods = ModsFromKeys(GET_KEYSTATE_WPARAM(wParam));
    // Whole notches only: the signed division drops a partial turn (119 is none, 240 two).
    const int32_t notches = GET_WHEEL_DELTA_WPARAM(wParam) / kWheelDeltaPerNotch;
    EditInGesture(*target, [&] { target->MouseWheel(x, y, mods, notches); });
}

void IGraphicsWin::OnMouseLeave()
{
    HideTooltip();
    for (const auto& control : controls)
        control->MouseLeave();
    hoveredIndex = -1;
}

// ---- Keys -------------------------------------------------------------------------------------

// A key goes to the control under the pointer (or the one a press captured); over the
// background, or over nothing, to the key catcher. A key no control takes goes to the host.
LRESULT IGraphicsWin::OnKeyDown(WPARAM key, LPARAM lParam)
{
    const int32_t code = ControlKeyCode(key);
    if (code < 0)
        return ForwardToHost(WM_KEYDOWN, key, lParam);
    POINT pointer{};
    GetCursorPos(&pointer);
    ScreenToClient(editorWindow, &pointer);
    int32_t index = capturedIndex;
    if (!Control(index))
        index = HitTestControls(pointer.x, pointer.y);
    IControl* target = index > 0 ? Control(index) : KeyCatcher();
    if (target && target->KeyDown(pointer.x, pointer.y, code))
        return 0;
    return ForwardToHost(WM_KEYDOWN, key, lParam);
}

// ---- Tooltips ---------------------------------------------------------------------------------

namespace {

// The tool record: the editor window is the one tool, identified by its handle. The record's
// first 64 bytes are all that comctl32 of every Windows version reads.
TOOLINFOW ToolRecord(HWND window, const wchar_t* text)
{
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(window);
    tool.lpszText = const_cast<wchar_t*>(text);
    return tool;
}

} // namespace

void IGraphicsWin::CreateTooltips()
{
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES};
    if (InitCommonControlsEx(&classes))
        tooltipWindow = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, editorWindow,
                                        nullptr, moduleInstance, nullptr);
    if (tooltipWindow)
    {
        SetWindowPos(tooltipWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        TOOLINFOW tool = ToolRecord(editorWindow, L"");
        if (SendMessageW(tooltipWindow, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)))
            return;
        DestroyWindow(tooltipWindow);
        tooltipWindow = nullptr;
    }
    // Tooltips are a nicety: without them the editor works as before.
    SetTooltipsEnabled(false);
}

// Asks for a leave message, and for a hover message when the pointer came onto another
// control, whose tooltip the hover then shows.
void IGraphicsWin::TrackHoverAndLeave()
{
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, editorWindow, HOVER_DEFAULT};
    if (tooltipWindow && hoveredIndex != tooltipControlIndex)
    {
        tooltipControlIndex = hoveredIndex;
        if (Control(tooltipControlIndex))
            track.dwFlags |= TME_HOVER;
        HideTooltip();
    }
    TrackMouseEvent(&track);
}

void IGraphicsWin::ShowTooltip()
{
    if (!tooltipWindow)
        return;
    const IControl* control = Control(tooltipControlIndex);
    const std::wstring text = WideFromUtf8(control ? control->Tooltip().c_str() : "");
    SetTooltipText(text.c_str());
    tooltipShown = true;
}

void IGraphicsWin::HideTooltip()
{
    if (!tooltipShown)
        return;
    SetTooltipText(nullptr);
    tooltipShown = false;
}

void IGraphicsWin::SetTooltipText(const wchar_t* text)
{
    if (!tooltipWindow)
        return;
    TOOLINFOW tool = ToolRecord(editorWindow, text);
    SendMessageW(tooltipWindow, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

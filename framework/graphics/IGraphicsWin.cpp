// The window: its class, opening and closing, painting, the redraw timer and the message
// table.

#include "IGraphicsWin.h"

#include "GFX_IBitmap.h"
#include "IControl.h"
#include "IEffectBase.h"
#include "IModuleInstance.h"

#include <windowsx.h>

#include <algorithm>

namespace {

constexpr wchar_t kWindowTitle[] = L"Tessivane";
constexpr int32_t kMillisecondsPerSecond = 1000;
constexpr WORD kArrowCursor = 32512;  // IDC_ARROW, in the form the wide call takes

// Open editor windows of this module, and whether it has registered the window class. Touched
// only on the window thread.
int32_t openWindows = 0;
bool classRegistered = false;

RECT ToRect(const IRect& r)
{
    return RECT{r.left, r.top, r.right, r.bottom};
}

IRect ToIRect(const RECT& r)
{
    return IRect(r.left, r.top, r.right, r.bottom);
}

// ---- The window class -------------------------------------------------------------------------

bool RegisterWindowClass(HINSTANCE module, WNDPROC procedure)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(kArrowCursor));
    windowClass.lpszClassName = IGraphicsWin::kWindowClassName;
    if (RegisterClassExW(&windowClass))
        return true;
    if (GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    // Left behind by a window that could not be destroyed (or by an earlier load of the module
    // at another address): made anew when no window uses it, so that it calls this procedure.
    if (UnregisterClassW(IGraphicsWin::kWindowClassName, module))
        return RegisterClassExW(&windowClass) != 0;
    return true;
}

// Unregisters the class once no editor window of the module is open. It may fail while the
// last window is still being destroyed; a later call tries again.
void ReleaseUnusedWindowClass(HINSTANCE module)
{
    if (openWindows == 0 && classRegistered && UnregisterClassW(IGraphicsWin::kWindowClassName, module))
        classRegistered = false;
}

} // namespace

int32_t IGraphicsWin::OpenWindowCount()
{
    return openWindows;
}

// ---- Life -------------------------------------------------------------------------------------

IGraphicsWin::IGraphicsWin(IEffectBase* owner, int32_t w, int32_t h, int32_t rate)
    : IGraphics(owner, w, h, rate), moduleInstance(static_cast<HINSTANCE>(ModuleInstance())),
      processId(GetCurrentProcessId())
{
}

IGraphicsWin::~IGraphicsWin()
{
    CloseEditorWindow();
}

void* IGraphicsWin::OpenEditorWindow(void* parent)
{
    RECT place{0, 0, width, height};
    if (editorWindow)
    {
        place = PlacementInParent();
        CloseEditorWindow();
    }
    parentWindow = static_cast<HWND>(parent);
    TakeWindowThread();
    ApplyPendingChanges();

    if (!classRegistered && !RegisterWindowClass(moduleInstance, WindowProc))
        return nullptr;
    classRegistered = true;
    ++openWindows;
    HWND window = CreateWindowExW(0, kWindowClassName, kWindowTitle, WS_CHILD | WS_VISIBLE, place.left, place.top,
                                  place.right - place.left, place.bottom - place.top, parentWindow, nullptr,
                                  moduleInstance, this);
    if (!window)
    {
        --openWindows;
        ReleaseUnusedWindowClass(moduleInstance);
        return nullptr;
    }
    editorWindow = window;
    MarkAllChanged();
    if (TooltipsEnabled())
        CreateTooltips();
    return window;
}

void IGraphicsWin::CloseEditorWindow()
{
    if (HWND window = editorWindow)
    {
        CloseEntryField(true);
        if (tooltipWindow)
            DestroyWindow(tooltipWindow);
        // From here on the window's messages, those sent while it is destroyed included, find
        // no editor.
        ForgetWindow();
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
    ReleaseUnusedWindowClass(moduleInstance);
}

void IGraphicsWin::StartWindow(HWND window)
{
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetTimer(window, kRedrawTimerId, static_cast<UINT>(kMillisecondsPerSecond / std::max(frameRate, 1)), nullptr);
    SetFocus(window);
}

void IGraphicsWin::ForgetWindow()
{
    if (!editorWindow)
        return;
    CloseEntryField(false);
    editorWindow = nullptr;
    tooltipWindow = nullptr;
    tooltipShown = false;
    tooltipControlIndex = -1;
    // A pointer hidden for a drag must not stay hidden over the host once the window is gone.
    RevealPointer();
    --openWindows;
}

// Where the open window lies in its parent, and its size.
RECT IGraphicsWin::PlacementInParent() const
{
    RECT place;
    GetWindowRect(editorWindow, &place);
    MapWindowPoints(HWND_DESKTOP, GetParent(editorWindow), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// ---- Painting ---------------------------------------------------------------------------------

bool IGraphicsWin::PresentRect(const IRect& rect)
{
    if (!editorWindow)
        return true;
    PAINTSTRUCT paint;
    HDC windowDC = BeginPaint(editorWindow, &paint);
    HDC surfaceDC = surface ? static_cast<HDC>(surface->DeviceContext()) : nullptr;
    if (windowDC && surfaceDC)
        BitBlt(windowDC, rect.left, rect.top, rect.Width(), rect.Height(), surfaceDC, rect.left, rect.top, SRCCOPY);
    EndPaint(editorWindow, &paint);
    return true;
}

void IGraphicsWin::PaintUpdateRegion()
{
    RECT update;
    if (!GetUpdateRect(editorWindow, &update, FALSE))
        return;
    PaintRegion(ToIRect(update));
    // A pass that presented nothing (no controls yet) must not be asked for again at once.
    ValidateRect(editorWindow, &update);
}

void IGraphicsWin::OnRedrawTimer()
{
    ApplyPendingChanges();
    // Every step of an open entry field ends the tick.
    if (entryField && entryState != kEntryIdle)
    {
        StepEntryField();
        return;
    }
    RedrawChangedControls();
}

// Repaints the smallest rectangle that holds every changed control, at once.
void IGraphicsWin::RedrawChangedControls()
{
    IRect changed;
    bool anyChanged = false;
    for (const auto& control : controls)
    {
        if (!control->NeedsRedraw())
            continue;
        changed = anyChanged ? changed.Union(control->Rect()) : control->Rect();
        anyChanged = true;
    }
    if (!anyChanged)
        return;
    const RECT area = ToRect(changed);
    InvalidateRect(editorWindow, &area, FALSE);
    if (entryField)
    {
        // The open field is a child window that a repaint of the editor would cover.
        const RECT entryRect = ToRect(entryControl->Rect());
        ValidateRect(editorWindow, &entryRect);
        RECT fieldRect;
        GetWindowRect(entryField, &fieldRect);
        MapWindowPoints(HWND_DESKTOP, editorWindow, reinterpret_cast<POINT*>(&fieldRect), 2);
        ValidateRect(editorWindow, &fieldRect);
        UpdateWindow(editorWindow);
        entryState = kEntryRepainted;
        return;
    }
    UpdateWindow(editorWindow);
}

// ---- Resizing ---------------------------------------------------------------------------------

namespace {

// The parent of a child window that is not an MDI child: a window that grows with it.
HWND GrowingParent(HWND window)
{
    if (!window || !(GetWindowLongW(window, GWL_STYLE) & WS_CHILD) ||
        (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_MDICHILD))
        return nullptr;
    return GetParent(window);
}

void GrowWindow(HWND window, int32_t dw, int32_t dh)
{
    RECT r;
    if (!window || !GetWindowRect(window, &r))
        return;
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left + dw, r.bottom - r.top + dh,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

void IGraphicsWin::ResizeEditor(int32_t newWidth, int32_t newHeight)
{
    if (newWidth == width && newHeight == height)
        return;
    const int32_t dw = SaturateToInt32(int64_t(newWidth) - width);
    const int32_t dh = SaturateToInt32(int64_t(newHeight) - height);
    IGraphics::ResizeEditor(newWidth, newHeight);
    if (!editorWindow)
        return;
    HWND parent = GrowingParent(editorWindow);
    HWND grandparent = GrowingParent(parent);
    GrowWindow(editorWindow, dw, dh);
    // A VST3 host sizes its own windows to the view.
    if (!plug || plug->GetApiKind() != kApiVST3)
    {
        GrowWindow(parent, dw, dh);
        GrowWindow(grandparent, dw, dh);
    }
    const RECT all{0, 0, newWidth, newHeight};
    InvalidateRect(editorWindow, &all, FALSE);
}

// ---- Messages ---------------------------------------------------------------------------------

IGraphicsWin* IGraphicsWin::EditorOfWindow(HWND window)
{
    auto* editor = reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return editor && editor->editorWindow == window ? editor : nullptr;
}

LRESULT CALLBACK IGraphicsWin::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE)
    {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        static_cast<IGraphicsWin*>(creation->lpCreateParams)->StartWindow(window);
        return 0;
    }
    IGraphicsWin* editor = EditorOfWindow(window);
    if (!editor)
        return DefWindowProcW(window, message, wParam, lParam);
    return editor->HandleMessage(message, wParam, lParam);
}

// Keys the editor does not take go to the host's main window, as if the editor were not there.
LRESULT IGraphicsWin::ForwardToHost(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND window = editorWindow;
    if (HWND root = GetAncestor(window, GA_ROOT); root && root != window)
        SendMessageW(root, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT IGraphicsWin::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND window = editorWindow;
    if (message == WM_DESTROY)
    {
        // The host destroyed its window, and this one with it, without closing the editor.
        ForgetWindow();
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (entryField && entryState == kEntryFocused)
    {
        // While the field has the focus the editor only watches for a press that discards it.
        if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN)
        {
            entryState = kEntryCancel;
            return 0;
        }
        if (message == WM_CTLCOLOREDIT)
            return EntryColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        return DefWindowProcW(window, message, wParam, lParam);
    }

    const int32_t x = GET_X_LPARAM(lParam);
    const int32_t y = GET_Y_LPARAM(lParam);
    switch (message)
    {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        return 0;
    case WM_PAINT:
        PaintUpdateRegion();
        return 0;
    case WM_CLOSE:
        CloseEditorWindow();
        return 0;
    case WM_KEYDOWN:
        return OnKeyDown(wParam, lParam);
    case WM_KEYUP:
        return ForwardToHost(message, wParam, lParam);
    case WM_TIMER:
        if (wParam != kRedrawTimerId)
            break;
        OnRedrawTimer();
        return 0;
    case WM_CTLCOLOREDIT:
        return EntryColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, x, y);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        OnButtonDown(wParam, x, y);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        OnButtonUp(wParam, x, y);
        return 0;
    case WM_LBUTTONDBLCLK:
        OnDoubleClick(wParam, x, y);
        return 0;
    case WM_MOUSEWHEEL:
        OnWheel(wParam, lParam);
        return 0;
    case WM_MOUSEHOVER:
        ShowTooltip();
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

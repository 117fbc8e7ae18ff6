#include "WindowHarness.h"

#include <algorithm>
#include <string>

namespace {

constexpr wchar_t kHostClassName[] = L"TessivaneTestHost";
constexpr DWORD kPumpSliceMs = 50;
constexpr UINT kModalTickMs = 10;
// The class of popup menu windows.
constexpr wchar_t kMenuClassName[] = L"#32768";

ModalDriver* activeDriver = nullptr;

void RegisterHostClass()
{
    static const bool registered = [] {
        WNDCLASSEXW hostClass{};
        hostClass.cbSize = sizeof hostClass;
        hostClass.lpfnWndProc = DefWindowProcW;
        hostClass.hInstance = GetModuleHandleW(nullptr);
        hostClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        hostClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        hostClass.lpszClassName = kHostClassName;
        return RegisterClassExW(&hostClass) != 0;
    }();
    (void)registered;
}

} // namespace

// ---- HostWindow ---------------------------------------------------------------------------------

HostWindow::HostWindow(int x, int y, int width, int height)
{
    RegisterHostClass();
    window = CreateWindowExW(0, kHostClassName, L"Test host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, width,
                             height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostWindow::Procedure));
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
}

HostWindow::~HostWindow()
{
    Destroy();
}

void HostWindow::Destroy()
{
    if (window)
        DestroyWindow(window);
    window = nullptr;
}

LRESULT CALLBACK HostWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* host = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (host && (message == WM_KEYDOWN || message == WM_KEYUP))
        host->keys.push_back({message, wParam});
    return DefWindowProcW(window, message, wParam, lParam);
}

// ---- Pumping and input ----------------------------------------------------------------------------

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;)
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done())
            return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kPumpSliceMs)),
                                  QS_ALLINPUT);
    }
}

bool PumpTicks(const int& counter, int ticks)
{
    const int target = counter + ticks;
    return PumpUntil([&] { return counter >= target; });
}

void PostMouse(HWND window, UINT message, WPARAM keys, int x, int y)
{
    PostMessageW(window, message, keys, MAKELPARAM(x, y));
}

void PostWheel(HWND window, int delta, int x, int y, WPARAM keys)
{
    POINT screen{x, y};
    ClientToScreen(window, &screen);
    PostMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<WORD>(static_cast<short>(delta))),
                 MAKELPARAM(screen.x, screen.y));
}

void PostKey(HWND window, UINT message, WPARAM key)
{
    PostMessageW(window, message, key, message == WM_KEYUP ? 0xC0000001 : 1);
}

void PostText(HWND window, const wchar_t* text)
{
    for (const wchar_t* c = text; *c; ++c)
        PostMessageW(window, WM_CHAR, static_cast<WPARAM>(*c), 1);
}

bool MovePointerTo(HWND window, int x, int y)
{
    POINT screen{x, y};
    ClientToScreen(window, &screen);
    SetCursorPos(screen.x, screen.y);
    return PumpUntil([&] {
        POINT now{};
        return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
    });
}

COLORREF WindowPixel(HWND window, int x, int y)
{
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

std::wstring WindowText(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

RECT PlaceInParent(HWND window)
{
    RECT place{};
    GetWindowRect(window, &place);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// ---- Modal loops ----------------------------------------------------------------------------------

ModalDriver::ModalDriver(std::function<bool()> stepper, std::function<void()> ender, DWORD timeoutMs)
    : step(std::move(stepper)), abandon(std::move(ender)), deadline(GetTickCount64() + timeoutMs)
{
    activeDriver = this;
    timer = SetTimer(nullptr, 0, kModalTickMs, &ModalDriver::Tick);
}

ModalDriver::~ModalDriver()
{
    if (timer)
        KillTimer(nullptr, timer);
    activeDriver = nullptr;
}

void CALLBACK ModalDriver::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    ModalDriver* driver = activeDriver;
    if (!driver || driver->done || driver->abandoned)
        return;
    if (driver->step())
    {
        driver->done = true;
        return;
    }
    if (GetTickCount64() >= driver->deadline)
    {
        driver->abandoned = true;
        driver->abandon();
    }
}

HWND FindThreadWindow(const wchar_t* className)
{
    struct Search
    {
        const wchar_t* className;
        HWND found;
    } search{className, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM address) {
            auto* search = reinterpret_cast<Search*>(address);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (!IsWindowVisible(window) || lstrcmpW(name, search->className) != 0)
                return TRUE;
            search->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND OpenMenuWindow()
{
    HWND menu = FindWindowW(kMenuClassName, nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

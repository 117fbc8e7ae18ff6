#pragma once
// Real windows under test: the top-level window a host gives the editor, a message pump that
// waits for a condition, posted input, modal menus and dialogs driven from a timer, and pixels
// read back from a window.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Generous: a loaded machine may take long, a passing test never waits this long.
constexpr DWORD kPumpTimeoutMs = 20000;

// The host's top-level window. Records the key messages that reach it.
class HostWindow
{
public:
    HostWindow(int x = 40, int y = 40, int width = 320, int height = 240);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND Handle() const { return window; }
    // Destroys the window, as a host that never closes the editor does.
    void Destroy();

    struct Key
    {
        UINT message;
        WPARAM key;
    };
    std::vector<Key> keys;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window = nullptr;
};

// Dispatches this thread's messages until `done` holds or the timeout passes; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = kPumpTimeoutMs);
// Dispatches until `counter` (a probe's count of redraw ticks) has grown by `ticks`.
bool PumpTicks(const int& counter, int ticks);

// Posts a mouse message at a client position with the given MK_ key state.
void PostMouse(HWND window, UINT message, WPARAM keys, int x, int y);
// Posts a wheel turn at a client position (the message carries screen coordinates).
void PostWheel(HWND window, int delta, int x, int y, WPARAM keys = 0);
void PostKey(HWND window, UINT message, WPARAM key);
// Posts one WM_CHAR per character.
void PostText(HWND window, const wchar_t* text);
// Puts the pointer at a client position of the window and waits until Windows reports it there.
bool MovePointerTo(HWND window, int x, int y);

// The colour (0x00BBGGRR) the window shows at a client position.
COLORREF WindowPixel(HWND window, int x, int y);
// The window's text, as UTF-16.
std::wstring WindowText(HWND window);
// The window's top-left corner in its parent's client coordinates, and its size.
RECT PlaceInParent(HWND window);

// Drives a modal loop (a popup menu, a dialog) from a thread timer, which such loops dispatch
// too: `step` runs every few milliseconds until it returns true. Should the loop still be open
// after the timeout, `abandon` runs once to end it, so that a broken test fails instead of
// waiting forever.
class ModalDriver
{
public:
    ModalDriver(std::function<bool()> step, std::function<void()> abandon, DWORD timeoutMs = kPumpTimeoutMs);
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    bool Done() const { return done; }
    bool Abandoned() const { return abandoned; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

    std::function<bool()> step;
    std::function<void()> abandon;
    ULONGLONG deadline;
    UINT_PTR timer = 0;
    bool done = false;
    bool abandoned = false;
};

// The first visible window of the class that this thread made, or null.
HWND FindThreadWindow(const wchar_t* className);
// The open popup menu's window, or null.
HWND OpenMenuWindow();

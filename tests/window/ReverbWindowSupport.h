#pragma once
// The reverb's editor under test in a real window: where its controls lie, the picture it
// should show for a set of values (from the module's own artwork), the local application-data
// folder pointed at a test folder, and the message boxes Help shows, read and answered.

#include "WinFileBytes.h"
#include "WindowHarness.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class GFX_MemBitmap;

namespace ReverbLayout {

constexpr int kWidth = 251;
constexpr int kHeight = 373;
constexpr int kAboutHeight = 229;
constexpr int kTrackLeft = 84;
constexpr int kTrackLength = 118;
constexpr int kHandleSize = 12;
constexpr int kHandleTravel = kTrackLength - kHandleSize;
constexpr int kRadioSize = 16;
constexpr int kButtonY = 348;
constexpr int kRestoreDefaultX = 80;
constexpr int kHelpX = 153;
constexpr int kAboutX = 198;
constexpr int kOkX = 83, kOkY = 171;
constexpr int kVersionLeft = 132, kVersionTop = 53;

// Top of the fader and readout row of parameter 1..10.
constexpr int RowTop(int param)
{
    return 63 + 23 * (param - 1);
}
// Where a press on a fader's track puts its value: the handle's middle follows the pointer.
constexpr int FaderX(double value)
{
    return kTrackLeft + kHandleSize / 2 + static_cast<int>(value * kHandleTravel + 0.5);
}

struct RadioGroup
{
    int param;
    int top;
    std::vector<int> lefts;   // of its buttons
};
const std::vector<RadioGroup>& RadioGroups();
// The middle of button `position` of a group.
POINT RadioPoint(const RadioGroup& group, int position);

} // namespace ReverbLayout

// The four bitmaps of a module's editor, decoded from its PNG resources.
class ReverbArtwork
{
public:
    explicit ReverbArtwork(HMODULE module);
    ~ReverbArtwork();
    bool Complete() const { return background && radio && handle && about; }

    std::unique_ptr<GFX_MemBitmap> background, radio, handle, about;
};

// Compares what the window shows with what the editor must show for the given parameter values:
// the background, each fader's bar and handle, each radio group's dot, and the about overlay
// when shown. The readouts' text is left out (fonts differ between systems), and so are the
// semi-transparent edge pixels of the handle and the dots. Returns the differences, described.
std::vector<std::string> DifferencesFromExpected(const WindowPicture& shown, const ReverbArtwork& art,
                                                 const std::vector<double>& values, bool aboutShown);

// Resource bytes of a module, or empty when it has none of that id and type.
std::string ModuleResource(HMODULE module, int id, const wchar_t* type);

// A folder of its own below the temporary folder, whose name no ANSI code page holds; removed
// with all it holds when the object goes.
class ScratchFolder
{
public:
    explicit ScratchFolder(const std::wstring& name);
    ~ScratchFolder();
    const std::wstring& Path() const { return path; }   // without a trailing separator

private:
    std::wstring path;
};

// Points the user's local application-data folder at `folder` for as long as the object lives,
// the way Windows keeps it: the per-user shell folder setting in the registry.
class LocalAppDataAt
{
public:
    explicit LocalAppDataAt(const std::wstring& folder);
    ~LocalAppDataAt();

private:
    std::wstring saved;
    DWORD savedType = REG_EXPAND_SZ;
    bool hadValue = false;
};

// A message box as the user saw it.
struct ShownBox
{
    std::wstring text;
    std::wstring caption;
    HICON icon;
    HWND owner;
};

// Reads every message box this thread shows while the object lives, and answers it with OK.
class MessageBoxAnswerer : public ModalDriver
{
public:
    MessageBoxAnswerer();
    std::vector<ShownBox> boxes;

private:
    void Answer();
    HWND answered = nullptr;
};

// Popup menus, message boxes and the file and colour choosers. Each is owned by a window of
// the host's, so that the host waits while it is open; without a window none is shown.

#include "IGraphicsWin.h"

#include "IChoiceMenu.h"
#include "platform/IWinText.h"

#include <commdlg.h>

#include <cstdio>
#include <vector>

// ---- Popup menus ------------------------------------------------------------------------------

namespace {

// Command identifiers are 16 bits wide in a menu's command message.
constexpr UINT kMaxMenuCommands = 0x10000;
constexpr size_t kMaxMenuLabelUnits = 256;
constexpr size_t kMaxClassNameUnits = 256;

std::string ItemLabel(const IChoiceMenu& menu, int32_t position)
{
    const std::string& text = menu.Item(position)->text;
    static const char* const kFormats[] = {nullptr, "%1d: ", "%02d: ", "%03d: "};
    const int32_t style = menu.NumberingStyle();
    if (style < IChoiceMenu::kNumbersPlain || style > IChoiceMenu::kNumbersThreeDigits)
        return text;
    char number[16];
    snprintf(number, sizeof number, kFormats[style], static_cast<int>(position + 1));
    return number + text;
}

UINT ItemFlags(int32_t flags)
{
    UINT native = MF_STRING;
    if (flags & kChoiceGreyed)
        native |= MF_GRAYED;
    if (flags & kChoiceDisabled)
        native |= MF_DISABLED;
    if (flags & kChoiceChecked)
        native |= MF_CHECKED;
    return native;
}

// Builds the native form of a menu. The items of a menu take the next command identifiers in
// order (a separator uses one up too); a submenu's items are numbered when it is built, after
// those of the menu that holds it. Null when a menu cannot be made or the identifiers run out.
HMENU BuildNativeMenu(const IChoiceMenu& menu, UINT& nextId)
{
    const UINT firstId = nextId;
    nextId += static_cast<UINT>(menu.ItemCount());
    HMENU native = CreatePopupMenu();
    if (!native || nextId > kMaxMenuCommands)
    {
        if (native)
            DestroyMenu(native);
        return nullptr;
    }
    for (int32_t i = 0; i < menu.ItemCount(); ++i)
    {
        const IChoiceItem& item = *menu.Item(i);
        const UINT id = firstId + static_cast<UINT>(i);
        const std::wstring label = WideFromUtf8(ItemLabel(menu, i).c_str(), kMaxMenuLabelUnits);
        bool added;
        if (item.flags & kChoiceSeparator)
            added = AppendMenuW(native, MF_SEPARATOR, id, nullptr);
        else if (item.submenu)
        {
            HMENU sub = BuildNativeMenu(*item.submenu, nextId);
            added = sub && AppendMenuW(native, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), label.c_str());
            if (sub && !added)
                DestroyMenu(sub);
        }
        else
            added = AppendMenuW(native, ItemFlags(item.flags), id, label.c_str());
        if (!added)
        {
            DestroyMenu(native);
            return nullptr;
        }
    }
    return native;
}

// The menu whose identifier range, numbered as BuildNativeMenu numbers it, holds `id`; its
// chosen index is set. Null when no menu holds it.
IChoiceMenu* ChooseById(IChoiceMenu& menu, UINT id, UINT& nextId)
{
    const UINT firstId = nextId;
    nextId += static_cast<UINT>(menu.ItemCount());
    if (id >= firstId && id < nextId)
    {
        menu.SetChosenIndex(static_cast<int32_t>(id - firstId));
        return &menu;
    }
    for (int32_t i = 0; i < menu.ItemCount(); ++i)
    {
        IChoiceItem& item = *menu.Item(i);
        if (item.submenu && !(item.flags & kChoiceSeparator))
            if (IChoiceMenu* chosen = ChooseById(*item.submenu, id, nextId))
                return chosen;
    }
    return nullptr;
}

} // namespace

IChoiceMenu* IGraphicsWin::ShowPopupMenu(IChoiceMenu* menu, const IRect& rect)
{
    ReleaseControlCapture();
    if (!menu || !editorWindow)
        return nullptr;
    UINT nextId = 0;
    HMENU native = BuildNativeMenu(*menu, nextId);
    if (!native)
        return nullptr;

    POINT corner{rect.left, rect.bottom};
    ClientToScreen(editorWindow, &corner);
    IChoiceMenu* chosen = nullptr;
    MSG command;
    if (TrackPopupMenu(native, TPM_LEFTALIGN | TPM_LEFTBUTTON, corner.x, corner.y, 0, editorWindow, nullptr) &&
        PeekMessageW(&command, editorWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE) && HIWORD(command.wParam) == 0)
    {
        nextId = 0;
        chosen = ChooseById(*menu, LOWORD(command.wParam), nextId);
    }
    DestroyMenu(native);
    const RECT all{0, 0, width, height};
    InvalidateRect(editorWindow, &all, FALSE);
    return chosen;
}

// ---- Message boxes ----------------------------------------------------------------------------

namespace {

struct OwnerSearch
{
    DWORD processId;
    const std::wstring* className;
    HWND found;
};

BOOL CALLBACK MatchOwner(HWND window, LPARAM searchAddress)
{
    auto* search = reinterpret_cast<OwnerSearch*>(searchAddress);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[kMaxClassNameUnits] = {};
    if (process != search->processId || !GetClassNameW(window, name, static_cast<int>(kMaxClassNameUnits)) ||
        *search->className != name)
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

// The host's main window: the top-level window above the window the editor last opened in.
// When that one is gone, the first top-level window of this process with the class the main
// window had.
HWND IGraphicsWin::FindOwnerWindow()
{
    if (parentWindow && IsWindow(parentWindow))
    {
        ownerWindow = GetAncestor(parentWindow, GA_ROOT);
        wchar_t name[kMaxClassNameUnits] = {};
        if (ownerWindow && GetClassNameW(ownerWindow, name, static_cast<int>(kMaxClassNameUnits)))
            ownerClassName = name;
        return ownerWindow;
    }
    if (ownerWindow && IsWindow(ownerWindow))
        return ownerWindow;
    ownerWindow = nullptr;
    if (ownerClassName.empty())
        return nullptr;
    OwnerSearch search{processId, &ownerClassName, nullptr};
    EnumWindows(MatchOwner, reinterpret_cast<LPARAM>(&search));
    ownerWindow = search.found;
    return ownerWindow;
}

int32_t IGraphicsWin::MessageDialog(const char* text, const char* caption, int32_t type)
{
    // A box without an owner would leave the host running while the plug-in waits for it,
    // free to close the editor or the instance under it.
    HWND owner = FindOwnerWindow();
    if (!owner)
        return 0;
    const std::wstring wideText = WideFromUtf8(text);
    const std::wstring wideCaption = WideFromUtf8(caption);
    return MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), static_cast<UINT>(type));
}

// ---- The file chooser -------------------------------------------------------------------------

namespace {

// Limits of the chooser's buffers, in UTF-16 code units with the terminators.
constexpr size_t kFilterUnits = 256;
constexpr size_t kMaxExtensionUnits = 15;
constexpr size_t kPathUnits = 256;

// "*.a;*.b" for the space-separated extensions "a b"; the first one is kept.
std::wstring PatternsFor(const std::wstring& extensions, std::wstring& firstExtension)
{
    std::wstring patterns;
    size_t start = 0;
    while (start < extensions.size())
    {
        size_t end = extensions.find(L' ', start);
        if (end == std::wstring::npos)
            end = extensions.size();
        if (end > start)
        {
            const std::wstring extension = extensions.substr(start, end - start);
            if (firstExtension.empty())
                firstExtension = extension;
            patterns += (patterns.empty() ? L"*." : L";*.") + extension;
        }
        start = end + 1;
    }
    return patterns;
}

} // namespace

void IGraphicsWin::AskForFile(std::string& fileName, FileAction action, std::string& directory,
                              const char* extensions)
{
    const std::wstring initialName = WideFromUtf8(fileName.c_str());
    std::wstring initialDirectory = WideFromUtf8(directory.empty() ? DesktopDirectory().c_str() : directory.c_str());
    std::wstring firstExtension;
    const std::wstring patterns = PatternsFor(WideFromUtf8(extensions), firstExtension);
    // The patterns twice, as the filter's description and its patterns, each terminated, and
    // the list terminated again.
    const std::wstring filter = patterns.empty() ? std::wstring() : patterns + L'\0' + patterns + L'\0' + L'\0';
    fileName.clear();
    // Inputs beyond the chooser's buffers are refused rather than cut to something else.
    if (!editorWindow || filter.size() > kFilterUnits || firstExtension.size() > kMaxExtensionUnits ||
        initialName.size() >= kPathUnits || initialDirectory.size() >= kPathUnits)
        return;

    std::vector<wchar_t> chosen(kPathUnits, L'\0');
    std::copy(initialName.begin(), initialName.end(), chosen.begin());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = editorWindow;
    dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    dialog.lpstrFile = chosen.data();
    dialog.nMaxFile = static_cast<DWORD>(chosen.size() - 1);
    dialog.lpstrInitialDir = initialDirectory.c_str();
    dialog.lpstrDefExt = firstExtension.empty() ? nullptr : firstExtension.c_str();
    // The host's working folder is not ours to change.
    dialog.Flags = OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    dialog.Flags |= action == kFileSave ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
    const BOOL accepted = action == kFileSave ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!accepted)
        return;
    const std::wstring path(chosen.data());
    fileName = Utf8FromWide(path);
    directory = Utf8FromWide(path.substr(0, std::min<size_t>(dialog.nFileOffset, path.size())));
}

// ---- The colour chooser -----------------------------------------------------------------------

namespace {

UINT_PTR CALLBACK ColourDialogHook(HWND dialog, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
    {
        const auto* choice = reinterpret_cast<const CHOOSECOLORW*>(lParam);
        if (const auto* caption = reinterpret_cast<const wchar_t*>(choice->lCustData))
            SetWindowTextW(dialog, caption);
    }
    return 0;
}

} // namespace

bool IGraphicsWin::AskForColour(IRgba& colour, const char* caption)
{
    if (!editorWindow)
        return false;
    if (!customColours)
        customColours = std::make_unique<std::array<COLORREF, 16>>();
    const std::wstring title = WideFromUtf8(caption);
    CHOOSECOLORW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = editorWindow;
    dialog.rgbResult = ColourRef(colour);
    dialog.lpCustColors = customColours->data();
    dialog.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR | CC_SOLIDCOLOR | CC_ENABLEHOOK;
    dialog.lCustData = caption ? reinterpret_cast<LPARAM>(title.c_str()) : 0;
    dialog.lpfnHook = ColourDialogHook;
    if (!ChooseColorW(&dialog))
        return false;
    colour.red = GetRValue(dialog.rgbResult);
    colour.green = GetGValue(dialog.rgbResult);
    colour.blue = GetBValue(dialog.rgbResult);
    return true;
}

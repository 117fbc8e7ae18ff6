// Folders, the clipboard, the pointer and the module's bitmap resources.

#include "IGraphicsWin.h"

#include "GFX_MemBitmap.h"
#include "GFX_PngDecoder.h"
#include "IModuleInstance.h"
#include "platform/IWinText.h"

#include <shlobj.h>

#include <vector>

namespace {

// The longest path Windows knows, in UTF-16 code units.
constexpr DWORD kMaxPathUnits = 32768;

// The folder of a module's file (the program's for null), with the trailing "\"; "" when the
// name cannot be had whole or holds no folder.
std::string FolderOfModuleFile(HMODULE module)
{
    std::vector<wchar_t> path(kMaxPathUnits, L'\0');
    const DWORD length = GetModuleFileNameW(module, path.data(), kMaxPathUnits);
    if (length == 0 || length >= kMaxPathUnits)
        return std::string();
    const std::wstring name(path.data(), length);
    const size_t slash = name.rfind(L'\\');
    if (slash == std::wstring::npos || slash + 1 == name.size())
        return std::string();
    return Utf8FromWide(name.substr(0, slash + 1));
}

std::string SpecialFolder(int folder)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::string();
    return Utf8FromWide(path, MAX_PATH);
}

} // namespace

std::string IGraphicsWin::HostDirectory()
{
    return FolderOfModuleFile(nullptr);
}

std::string IGraphicsWin::ModuleDirectory()
{
    return FolderOfModuleFile(moduleInstance);
}

std::string IGraphicsWin::DesktopDirectory()
{
    return SpecialFolder(CSIDL_DESKTOP);
}

std::string IGraphicsWin::AppDataDirectory(bool allUsers)
{
    return SpecialFolder(allUsers ? CSIDL_COMMON_APPDATA : CSIDL_LOCAL_APPDATA);
}

bool IGraphicsWin::ReadClipboardText(std::string& text)
{
    text.clear();
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(editorWindow))
        return false;
    bool read = false;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
    {
        if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data)))
        {
            // The text need not be terminated within its memory block; the conversion stops at
            // the block's end, the first terminator or its own limit, whichever comes first.
            text = Utf8FromWide(units, GlobalSize(data) / sizeof(wchar_t));
            GlobalUnlock(data);
            read = true;
        }
    }
    CloseClipboard();
    return read;
}

void IGraphicsWin::ConcealPointer()
{
    if (cursorHidden)
        return;
    POINT position{};
    GetCursorPos(&position);
    rememberedCursorX = position.x;
    rememberedCursorY = position.y;
    ShowCursor(FALSE);
    cursorHidden = true;
}

void IGraphicsWin::RevealPointer()
{
    if (!cursorHidden)
        return;
    SetCursorPos(rememberedCursorX, rememberedCursorY);
    ShowCursor(TRUE);
    cursorHidden = false;
}

std::unique_ptr<GFX_IBitmap> IGraphicsWin::LoadPlatformBitmap(int32_t id, const char* name)
{
    if (!HasPngExtension(name))
        return nullptr;
    const IModuleResource stored = FindModuleResource(moduleInstance, id, "PNG"); // a missing one decodes to nothing
    return std::unique_ptr<GFX_IBitmap>(DecodePngFromMemory(stored.bytes, stored.size));
}

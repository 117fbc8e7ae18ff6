// Windows: the pages come from the module's "BIN" resources and go below the user's local
// application-data folder. Paths stay UTF-16 from the folder query to the shell, so a user name
// outside the ANSI code page works like any other.

#include "ReverbHelp.h"

#include "IModuleInstance.h"
#include "platform/IWinText.h"
#include "platform/ReverbHelpShell.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <string>

namespace {

constexpr wchar_t kMakerFolder[] = L"\\Tessivane\\";
constexpr wchar_t kProductFolder[] = L"Reverb\\";
// CreateDirectory keeps room for an 8.3 file name (12 units) in a folder it makes, and every
// path needs its terminator: the longest help folder the plain calls accept. No name written
// into it is longer than an 8.3 name, so every full file name fits MAX_PATH as well.
constexpr size_t kShortNameUnits = 12;
constexpr size_t kMaxFolderUnits = MAX_PATH - kShortNameUnits - 1;
// ShellExecute's answer for a document that is not there.
constexpr INT_PTR kShellFileNotFound = SE_ERR_FNF;

constexpr bool NamesFitShortNames()
{
    for (const ReverbHelp::Page& page : ReverbHelp::kPages)
        if (std::char_traits<char>::length(page.fileName) > kShortNameUnits)
            return false;
    return std::char_traits<char>::length(ReverbHelp::kPartialName) <= kShortNameUnits;
}
static_assert(NamesFitShortNames(), "the folder limit leaves room for 8.3 names only");

// Owned by no window, and the editor and its host wait while it is open, so that a second
// click on Help cannot start while the first one is still being answered.
void Tell(const wchar_t* text, const wchar_t* caption, UINT icon)
{
    HelpShell().messageBox(nullptr, text, caption, MB_OK | MB_TASKMODAL | icon);
}

void TellFolderUnusable()
{
    Tell(L"AppData Error!", L"Error", MB_ICONERROR);
}

// The user's local application-data folder; false when the system names none.
bool LocalAppDataFolder(std::wstring& folder)
{
    PWSTR path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path);
    const bool found = result == S_OK && path;
    if (found)
        folder = path;
    CoTaskMemFree(path);
    return found;
}

// Writes every byte under the temporary name and renames that over `target`. False, with any
// old copy left as it was, when a step fails or writes less than all.
bool WriteWhole(const std::wstring& folder, const std::wstring& target, const IModuleResource& stored)
{
    const std::wstring partial = folder + WideFromUtf8(ReverbHelp::kPartialName);
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const auto size = static_cast<DWORD>(stored.size); // help pages are a few kilobytes
    bool whole = WriteFile(file, stored.bytes, size, &written, nullptr) && written == size;
    whole = CloseHandle(file) && whole;
    whole = whole && MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!whole)
        DeleteFileW(partial.c_str());
    return whole;
}

bool WritePage(const std::wstring& folder, const ReverbHelp::Page& page)
{
    const IModuleResource stored = FindModuleResource(ModuleInstance(), page.resourceId, "BIN");
    return stored.bytes && WriteWhole(folder, folder + WideFromUtf8(page.fileName), stored);
}

} // namespace

ReverbHelpShell& HelpShell()
{
    static ReverbHelpShell shell;
    return shell;
}

void ReverbHelp::WriteAndOpen()
{
    std::wstring folder;
    if (!LocalAppDataFolder(folder))
    {
        Tell(L"SHGetKnownFolderPath Error2.", L"Error", MB_ICONERROR);
        return;
    }
    const std::wstring makerFolder = folder + kMakerFolder;
    folder = makerFolder + kProductFolder;
    // Nothing could be written there; a cut path would name another folder.
    if (folder.size() > kMaxFolderUnits)
    {
        TellFolderUnusable();
        return;
    }
    // Either may exist already; whether the pages can be written is what counts.
    CreateDirectoryW(makerFolder.c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const Page& page : kPages)
        if (!WritePage(folder, page))
            TellFolderUnusable();

    const std::wstring firstPage = folder + WideFromUtf8(kPages[0].fileName);
    const auto opened = reinterpret_cast<INT_PTR>(
        HelpShell().shellExecute(nullptr, L"open", firstPage.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (opened == kShellFileNotFound)
        Tell(L"Help file not found", L"Info", MB_ICONINFORMATION);
}

// The last phase of the installer's round trip: the uninstaller registered by the install
// phase, run unattended, removes exactly what was installed, and files of the user's own in
// the same folders survive.

#include "InstalledRelease.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(Uninstall, RemovesExactlyWhatWasInstalled)
{
    ASSERT_TRUE(EntryExists()) << "nothing installed";
    const std::string userText = "a file of the user's own";
    const std::vector<std::wstring> userFiles = {Vst3Folder() + L"\\Another plug-in.txt",
                                                 std::wstring(kVst2Folder) + L"\\Another plug-in.txt"};
    for (const std::wstring& file : userFiles)
        ASSERT_TRUE(WriteBytes(file, userText)) << Narrow(file);

    EXPECT_EQ(RunToCompletion(EntryValue(L"QuietUninstallString")), 0);

    EXPECT_FALSE(EntryExists());
    for (const InstalledFile& file : AllFiles(kVst2Folder))
        EXPECT_FALSE(Exists(file.installed)) << Narrow(file.installed);
    EXPECT_FALSE(Exists(Bundle()));
    EXPECT_FALSE(Exists(InstallFolder()));
    for (const std::wstring& file : userFiles)
    {
        EXPECT_EQ(ReadBytes(file), userText) << Narrow(file);
        DeleteFileW(file.c_str());
    }
    // The folders that stayed for the user's files only.
    for (const std::wstring& folder : {std::wstring(kVst2Folder), std::wstring(kTestRoot), Vst3Folder()})
        RemoveDirectoryW(folder.c_str());
}

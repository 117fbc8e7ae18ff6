// The last phase of the installer's round trip: the uninstaller registered by the install
// phase, run unattended, removes exactly what was installed; files of the user's own in the
// same folders survive, and so does the registration while a plug-in cannot be removed.

#include "InstalledRelease.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

const std::string kUserText = "a file of the user's own";

std::vector<std::wstring> UserFiles()
{
    return {Vst3Folder() + L"\\Another plug-in.txt", std::wstring(kVst2Folder) + L"\\Another plug-in.txt"};
}

std::wstring Vst2Plugin()
{
    return std::wstring(kVst2Folder) + L"\\TessivaneReverb.dll";
}

class Uninstall : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        for (const std::wstring& file : UserFiles())
            EXPECT_TRUE(WriteBytes(file, kUserText)) << Narrow(file);
    }

    void SetUp() override { ASSERT_TRUE(EntryExists()) << "nothing installed"; }
};

} // namespace

TEST_F(Uninstall, StaysRegisteredWhileAHostHoldsThePlugin)
{
    HMODULE held = LoadLibraryW(Vst2Plugin().c_str());
    ASSERT_NE(held, nullptr);
    // The launcher's exit code says nothing (the uninstaller proper runs as a copy of it), but
    // it must have run to its end: an uninstaller that never started would leave all in place.
    EXPECT_NE(RunToCompletion(EntryValue(L"QuietUninstallString")), -1);
    FreeLibrary(held);

    EXPECT_TRUE(Exists(Vst2Plugin()));
    EXPECT_TRUE(EntryExists()) << "the plug-in it could not remove is no longer registered";
    EXPECT_TRUE(Exists(InstallFolder() + L"\\Uninstall.exe"));
}

TEST_F(Uninstall, RemovesExactlyWhatWasInstalled)
{
    EXPECT_EQ(RunToCompletion(EntryValue(L"QuietUninstallString")), 0);

    EXPECT_FALSE(EntryExists());
    for (const InstalledFile& file : AllFiles(kVst2Folder))
        EXPECT_FALSE(Exists(file.installed)) << Narrow(file.installed);
    EXPECT_FALSE(Exists(Bundle()));
    EXPECT_FALSE(Exists(InstallFolder()));
    for (const std::wstring& file : UserFiles())
    {
        EXPECT_EQ(ReadBytes(file), kUserText) << Narrow(file);
        DeleteFileW(file.c_str());
    }
    // The folders that stayed for the user's files only.
    for (const std::wstring& folder : {std::wstring(kVst2Folder), std::wstring(kTestRoot), Vst3Folder()})
        RemoveDirectoryW(folder.c_str());
}

// The first phase of the installer's round trip: unattended installs, each checked file by
// file against the build. It leaves both plug-ins installed for the test hosts and for the
// uninstall phase.

#include "InstalledRelease.h"
#include "ReverbVersion.h"

#include <gtest/gtest.h>

namespace {

std::wstring Vst2Option(const std::wstring& folder)
{
    return L"/VST2DIR=\"" + folder + L"\"";
}

} // namespace

TEST(Install, RefusesToInstallNothingOrIntoAPartialPath)
{
    const bool installedBefore = EntryExists();
    EXPECT_EQ(RunSetup(L"/S /NOVST3 /NOVST2"), kSetupGaveUp);
    EXPECT_EQ(RunSetup(L"/S /VST2DIR=Plugins"), kSetupGaveUp);
    EXPECT_EQ(EntryExists(), installedBefore);
}

TEST(Install, Vst3AloneLeavesTheVst2PluginOut)
{
    ASSERT_EQ(RunSetup(L"/S /NOVST2"), 0);
    ExpectInstalledAsBuilt(Vst3Files());
    ExpectInstalledAsBuilt(Documents());
    EXPECT_EQ(EntryValue(L"Vst2Folder"), L"(none)");
    EXPECT_FALSE(Exists(Environment(L"ProgramFiles") + L"\\VSTPlugins\\TessivaneReverb.dll"));
}

TEST(Install, BothPluginsIntoTheNamedFolder)
{
    ASSERT_EQ(RunSetup(L"/S " + Vst2Option(kFormerVst2Folder)), 0);
    ExpectInstalledAsBuilt(AllFiles(kFormerVst2Folder));
}

TEST(Install, AgainIntoAnotherFolderLeavesNoCopyBehind)
{
    // A trailing backslash, as folder pickers and users write it.
    ASSERT_EQ(RunSetup(L"/S " + Vst2Option(std::wstring(kVst2Folder) + L"\\")), 0);
    ExpectInstalledAsBuilt(AllFiles(kVst2Folder));
    EXPECT_FALSE(Exists(kFormerVst2Folder)) << "the folder made by the previous installation is still there";

    const std::wstring uninstaller = L"\"" + InstallFolder() + L"\\Uninstall.exe\"";
    EXPECT_TRUE(Exists(InstallFolder() + L"\\Uninstall.exe"));
    EXPECT_EQ(EntryValue(L"DisplayName"), L"Tessivane Reverb");
    EXPECT_EQ(EntryValue(L"DisplayVersion"), Wide(TESSIVANE_VERSION_TEXT));
    EXPECT_EQ(EntryValue(L"Publisher"), L"Tessivane Audio");
    EXPECT_EQ(EntryValue(L"InstallLocation"), InstallFolder());
    EXPECT_EQ(EntryValue(L"UninstallString"), uninstaller);
    EXPECT_EQ(EntryValue(L"QuietUninstallString"), uninstaller + L" /S");
    EXPECT_EQ(EntryValue(L"Vst2Folder"), kVst2Folder);
}

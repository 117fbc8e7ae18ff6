// The version information of both modules, read back as Explorer and hosts' plug-in managers
// read it, against what the plug-in itself reports to hosts.

#include "IEffectAdapter.h"
#include "WinFileBytes.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

class VersionResource
{
public:
    explicit VersionResource(const std::string& path)
    {
        const std::wstring file = Wide(path);
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
        if (size == 0)
            return;
        block.resize(size);
        if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
            block.clear();
    }

    bool IsPresent() const { return !block.empty(); }

    const VS_FIXEDFILEINFO* Fixed() const
    {
        return static_cast<const VS_FIXEDFILEINFO*>(Query(L"\\"));
    }

    // A text of the block that the translation table names first, as Explorer shows it.
    std::string Text(const char* name) const
    {
        const auto* translation = static_cast<const WORD*>(Query(L"\\VarFileInfo\\Translation"));
        if (!translation)
            return "(no translation table)";
        wchar_t path[128];
        swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%hs", translation[0], translation[1], name);
        const auto* text = static_cast<const wchar_t*>(Query(path));
        return text ? Narrow(text) : std::string("(missing)");
    }

private:
    const void* Query(const wchar_t* path) const
    {
        void* value = nullptr;
        UINT length = 0;
        if (block.empty() || !VerQueryValueW(block.data(), path, &value, &length) || length == 0)
            return nullptr;
        return value;
    }

    std::vector<unsigned char> block;
};

struct ModuleCase
{
    const char* path;
    const char* fileName;
    const char* description;
};

class ModuleVersion : public ::testing::TestWithParam<ModuleCase>
{
};

} // namespace

TEST_P(ModuleVersion, MatchesWhatThePluginReports)
{
    const ModuleCase& module = GetParam();
    const IEffectConfig& config = PluginConfig();
    const unsigned major = (config.version >> 16) & 0xFFFF, minor = (config.version >> 8) & 0xFF,
                   patch = config.version & 0xFF;
    char versionText[32];
    snprintf(versionText, sizeof versionText, "%u.%u.%u", major, minor, patch);

    const VersionResource resource(module.path);
    ASSERT_TRUE(resource.IsPresent()) << module.path << " has no version information";
    const VS_FIXEDFILEINFO* fixed = resource.Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, (major << 16) | minor);
    EXPECT_EQ(fixed->dwFileVersionLS, patch << 16);
    EXPECT_EQ(fixed->dwProductVersionMS, (major << 16) | minor);
    EXPECT_EQ(fixed->dwProductVersionLS, patch << 16);
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "a release is neither debug nor pre-release";
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

    EXPECT_EQ(resource.Text("FileVersion"), versionText);
    EXPECT_EQ(resource.Text("ProductVersion"), versionText);
    EXPECT_EQ(resource.Text("CompanyName"), config.makerName);
    EXPECT_EQ(resource.Text("ProductName"), config.effectName);
    EXPECT_EQ(resource.Text("FileDescription"), module.description);
    EXPECT_EQ(resource.Text("OriginalFilename"), module.fileName);
}

INSTANTIATE_TEST_SUITE_P(
    BothModules, ModuleVersion,
    ::testing::Values(ModuleCase{TESSIVANE_VST3_BINARY, "TessivaneReverb.vst3", "Tessivane Reverb VST3 plug-in"},
                      ModuleCase{TESSIVANE_VST2_BINARY, "TessivaneReverb.dll", "Tessivane Reverb VST 2.4 plug-in"}),
    [](const ::testing::TestParamInfo<ModuleCase>& info) { return info.index == 0 ? "VST3" : "VST2"; });

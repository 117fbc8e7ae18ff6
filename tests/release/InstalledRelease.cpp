#include "InstalledRelease.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

// Installing and uninstalling take seconds under Wine; the margin is for a loaded machine.
constexpr auto kDeadline = std::chrono::seconds(180);
constexpr auto kPollInterval = std::chrono::milliseconds(50);

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TessivaneReverb";

} // namespace

const wchar_t kTestRoot[] = L"C:\\Tessivane Test";
const wchar_t kFormerVst2Folder[] = L"C:\\Tessivane Test\\Former";
const wchar_t kVst2Folder[] = L"C:\\Tessivane Test\\VST Plugins";

std::wstring Environment(const wchar_t* name)
{
    wchar_t value[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? value : L"";
}

std::wstring Vst3Folder()
{
    return Environment(L"CommonProgramFiles") + L"\\VST3";
}

std::wstring Bundle()
{
    return Vst3Folder() + L"\\TessivaneReverb.vst3";
}

std::wstring InstallFolder()
{
    return Environment(L"ProgramFiles") + L"\\Tessivane Audio\\Tessivane Reverb";
}

std::vector<InstalledFile> Vst3Files()
{
    const std::string built = TESSIVANE_PLUGINS_DIR "/TessivaneReverb.vst3/Contents/";
    return {{Bundle() + L"\\Contents\\x86_64-win\\TessivaneReverb.vst3", built + "x86_64-win/TessivaneReverb.vst3"},
            {Bundle() + L"\\Contents\\Resources\\moduleinfo.json", built + "Resources/moduleinfo.json"}};
}

std::vector<InstalledFile> Documents()
{
    std::vector<InstalledFile> files;
    for (const char* name : {"README.txt", "LICENSE.txt", "THIRD-PARTY-NOTICES.txt"})
        files.push_back({InstallFolder() + L"\\" + Wide(name), std::string(TESSIVANE_PACKAGE_STAGE "/") + name});
    return files;
}

std::vector<InstalledFile> AllFiles(const std::wstring& vst2Folder)
{
    std::vector<InstalledFile> files = Vst3Files();
    files.push_back({vst2Folder + L"\\TessivaneReverb.dll", TESSIVANE_PLUGINS_DIR "/TessivaneReverb.dll"});
    for (const InstalledFile& document : Documents())
        files.push_back(document);
    return files;
}

void ExpectInstalledAsBuilt(const std::vector<InstalledFile>& files)
{
    for (const InstalledFile& file : files)
    {
        const std::string expected = ReadBytes(Wide(file.built));
        ASSERT_FALSE(expected.empty()) << "the build has no " << file.built;
        EXPECT_TRUE(ReadBytes(file.installed) == expected) << Narrow(file.installed) << " differs from " << file.built;
    }
}

bool EntryExists()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::wstring EntryValue(const wchar_t* name)
{
    wchar_t value[1024];
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return L"(none)";
    return value;
}

// The NSIS uninstaller hands over to a copy of itself and returns at once, so the wait is for
// a job holding the process and everything it starts.
int RunToCompletion(std::wstring commandLine)
{
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job)
        return -1;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                        &startup, &process))
    {
        CloseHandle(job);
        return -1;
    }
    // Outside the job its end could not be seen: give up at once rather than at the deadline.
    if (!AssignProcessToJobObject(job, process.hProcess))
    {
        TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        CloseHandle(job);
        return -1;
    }
    ResumeThread(process.hThread);

    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    bool ended = false;
    while (!ended && std::chrono::steady_clock::now() < deadline)
    {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
        ended = QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                                   sizeof accounting, nullptr) &&
                accounting.ActiveProcesses == 0;
        if (!ended)
            std::this_thread::sleep_for(kPollInterval);
    }
    DWORD exitCode = 0;
    const bool gotCode = ended && GetExitCodeProcess(process.hProcess, &exitCode);
    if (!ended)
        TerminateJobObject(job, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(job);
    return gotCode ? static_cast<int>(exitCode) : -1;
}

int RunSetup(const std::wstring& options)
{
    wchar_t setup[MAX_PATH];
    if (GetFullPathNameW(Wide(TESSIVANE_SETUP).c_str(), MAX_PATH, setup, nullptr) == 0)
        return -1;
    return RunToCompletion(L"\"" + std::wstring(setup) + L"\" " + options);
}

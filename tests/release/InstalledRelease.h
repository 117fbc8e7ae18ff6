#pragma once

// The release installer as an administrator runs it, unattended, and what it leaves on the
// machine: the files it installs with the build's files they must equal, and its entry in
// Add/Remove Programs. Paths are those of the running Windows (or Wine prefix).

#include "WinFileBytes.h"

#include <string>
#include <vector>

constexpr int kSetupGaveUp = 2;  // the installer's exit code when it refuses or fails

extern const wchar_t kTestRoot[];         // holds the VST 2.4 folders the tests choose
extern const wchar_t kFormerVst2Folder[];
extern const wchar_t kVst2Folder[];       // where the hosts find the installed VST 2.4 plug-in

std::wstring Vst3Folder();     // %CommonProgramFiles%\VST3
std::wstring Bundle();         // the installed VST3 bundle
std::wstring InstallFolder();  // read-me, licence, notices and uninstaller

struct InstalledFile
{
    std::wstring installed;
    std::string built;  // the build's file, relative to the build folder
};

std::vector<InstalledFile> Vst3Files();
std::vector<InstalledFile> Documents();
std::vector<InstalledFile> AllFiles(const std::wstring& vst2Folder);

std::wstring Environment(const wchar_t* name);

// Each installed file equals the build's, byte for byte.
void ExpectInstalledAsBuilt(const std::vector<InstalledFile>& files);

bool EntryExists();
// A text value of the Add/Remove Programs entry, or "(none)".
std::wstring EntryValue(const wchar_t* name);

// Runs a command line and waits until it and every process it started have ended. Gives the
// first process's exit code, or -1 when it could not start or did not end in time.
int RunToCompletion(std::wstring commandLine);
// Runs the release installer with these options.
int RunSetup(const std::wstring& options);

// Help through the reverb's editor window: the reverb runs in this program, behind the VST 2.4
// adapter, with the module's resources compiled in. The local application-data folder is
// pointed at a test folder; the shell's "open" and the message boxes are watched through the
// seam Help offers for this (their real forms are checked with the modules themselves).

#include "HostedEditor.h"
#include "IGraphics.h"
#include "IReverbEffect.h"
#include "ReverbHelp.h"
#include "ReverbWindowSupport.h"
#include "platform/ReverbHelpShell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

namespace L = ReverbLayout;
namespace P = ReverbParameters;

struct Message
{
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

struct Opening
{
    HWND owner;
    std::wstring verb;
    std::wstring file;
    bool withParameters;
    bool withDirectory;
    INT show;
};

// Puts recorders in place of the message box and the shell for as long as it lives. The
// shell's stand-in answers as the shell does: "file not found" for a file that is not there.
class ShellRecorder
{
public:
    ShellRecorder() : saved(HelpShell())
    {
        current = this;
        HelpShell().messageBox = &Message;
        HelpShell().shellExecute = &Open;
    }
    ~ShellRecorder()
    {
        HelpShell() = saved;
        current = nullptr;
    }

    std::vector<::Message> messages;
    std::vector<Opening> openings;

private:
    static int WINAPI Message(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
    {
        current->messages.push_back({owner, text, caption, type});
        return IDOK;
    }
    static HINSTANCE WINAPI Open(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, INT show)
    {
        current->openings.push_back({owner, verb ? verb : L"", file, parameters != nullptr, directory != nullptr, show});
        const bool there = GetFileAttributesW(file) != INVALID_FILE_ATTRIBUTES;
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(there ? 42 : SE_ERR_FNF));
    }

    ReverbHelpShell saved;
    static ShellRecorder* current;
};

ShellRecorder* ShellRecorder::current = nullptr;

const UINT kErrorBox = MB_OK | MB_TASKMODAL | MB_ICONERROR;

std::wstring Wide(const char* ascii)
{
    return std::wstring(ascii, ascii + strlen(ascii));
}

class ReverbHelpTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        hosted = HostEditor();
        ASSERT_TRUE(hosted->Open(host.Handle()));
    }
    void TearDown() override { hosted.reset(); }

    HWND Window()
    {
        IReverbEffect& reverb = hosted->PluginAs<IReverbEffect>();
        return static_cast<HWND>(static_cast<IGraphics&>(*reverb.Editor()).WindowHandle());
    }
    // Clicks Help and waits until its click has been answered: the button's value flips once
    // the action is over.
    bool ClickHelp()
    {
        const double before = hosted->Instance().Parameter(P::kHelp)->Value();
        PostMouse(Window(), WM_LBUTTONDOWN, MK_LBUTTON, L::kHelpX, L::kButtonY);
        PostMouse(Window(), WM_LBUTTONUP, 0, L::kHelpX, L::kButtonY);
        return PumpUntil([&] { return hosted->Instance().Parameter(P::kHelp)->Value() != before; });
    }
    std::wstring HelpFolder(const std::wstring& appData) { return appData + L"\\Tessivane\\Reverb\\"; }
    // Each page holds exactly the bytes stored in the module (this program).
    void ExpectThePagesIn(const std::wstring& folder)
    {
        for (const ReverbHelp::Page& page : ReverbHelp::kPages)
        {
            const std::string stored = ModuleResource(GetModuleHandleW(nullptr), page.resourceId, L"BIN");
            ASSERT_FALSE(stored.empty()) << page.fileName;
            EXPECT_TRUE(ReadBytes(folder + Wide(page.fileName)) == stored) << page.fileName;
        }
        EXPECT_FALSE(Exists(folder + Wide(ReverbHelp::kPartialName)));
    }

    HostWindow host{40, 40, 300, 440};
    std::unique_ptr<HostedEditor> hosted;
    ShellRecorder shell;
};

} // namespace

TEST_F(ReverbHelpTest, WritesThePagesIntoAUnicodeUserFolderAndOpensTheFirst)
{
    ScratchFolder appData(L"Tessivane help \u0141\u00FCcja \u65E5\u672C");
    LocalAppDataAt redirect(appData.Path());
    const std::wstring folder = HelpFolder(appData.Path());

    ASSERT_TRUE(ClickHelp());
    ExpectThePagesIn(folder);
    ASSERT_EQ(shell.openings.size(), 1u);
    const Opening& opened = shell.openings[0];
    EXPECT_EQ(opened.owner, nullptr);
    EXPECT_EQ(opened.verb, L"open");
    EXPECT_EQ(opened.file, folder + L"1.htm");
    EXPECT_FALSE(opened.withParameters);
    EXPECT_FALSE(opened.withDirectory);
    EXPECT_EQ(opened.show, SW_SHOWNORMAL);
    EXPECT_TRUE(shell.messages.empty());

    // Damaged, edited and missing copies are put right by the next click.
    ASSERT_TRUE(WriteBytes(folder + L"1.htm", "<html>"));
    ASSERT_TRUE(WriteBytes(folder + L"style.css", std::string(20000, 'x')));
    ASSERT_TRUE(DeleteFileW((folder + L"3.htm").c_str()));
    ASSERT_TRUE(ClickHelp());
    ExpectThePagesIn(folder);
    EXPECT_EQ(shell.openings.size(), 2u);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(ReverbHelpTest, APageThatCannotBeRewrittenKeepsTheCopyItHad)
{
    ScratchFolder appData(L"Tessivane help \u00DF\u2713");
    LocalAppDataAt redirect(appData.Path());
    const std::wstring folder = HelpFolder(appData.Path());
    ASSERT_TRUE(ClickHelp());
    ASSERT_TRUE(WriteBytes(folder + L"2.htm", "edited by the user"));

    // Another program holds the name every page is first written under.
    HANDLE blocker = CreateFileW((folder + Wide(ReverbHelp::kPartialName)).c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(blocker, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(ClickHelp());
    CloseHandle(blocker);
    ASSERT_EQ(shell.messages.size(), 4u);
    for (const Message& message : shell.messages)
    {
        EXPECT_EQ(message.owner, nullptr);
        EXPECT_EQ(message.text, L"AppData Error!");
        EXPECT_EQ(message.caption, L"Error");
        EXPECT_EQ(message.type, kErrorBox);
    }
    EXPECT_EQ(ReadBytes(folder + L"2.htm"), "edited by the user");
    // The first page is still there, so it is opened.
    EXPECT_EQ(shell.openings.size(), 2u);

    shell.messages.clear();
    ASSERT_TRUE(ClickHelp());
    ExpectThePagesIn(folder);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(ReverbHelpTest, AFolderTooLongForItsPagesIsRefusedWhole)
{
    ScratchFolder scratch(L"Tessivane help \u00E9");
    // The plain file calls take folders of up to 247 units, room for an 8.3 name left.
    constexpr size_t kLongestFolder = MAX_PATH - 12 - 1;
    const size_t tail = std::wstring(L"\\Tessivane\\Reverb\\").size();
    for (const size_t folderLength : {kLongestFolder, kLongestFolder + 1})
    {
        SCOPED_TRACE(folderLength);
        const std::wstring appData =
            scratch.Path() + L"\\" + std::wstring(folderLength - tail - scratch.Path().size() - 1, L'd');
        ASSERT_TRUE(CreateDirectoryW(appData.c_str(), nullptr));
        LocalAppDataAt redirect(appData);
        shell.messages.clear();
        shell.openings.clear();

        ASSERT_TRUE(ClickHelp());
        if (folderLength == kLongestFolder)
        {
            ExpectThePagesIn(HelpFolder(appData));
            EXPECT_TRUE(shell.messages.empty());
            EXPECT_EQ(shell.openings.size(), 1u);
            continue;
        }
        ASSERT_EQ(shell.messages.size(), 1u);
        EXPECT_EQ(shell.messages[0].text, L"AppData Error!");
        EXPECT_EQ(shell.messages[0].type, kErrorBox);
        EXPECT_EQ(GetFileAttributesW((appData + L"\\Tessivane").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(shell.openings.empty());
    }
}

TEST_F(ReverbHelpTest, WithoutALocalAppDataFolderHelpSaysSoAndStops)
{
    ScratchFolder scratch(L"Tessivane help \u00E9");
    LocalAppDataAt redirect(scratch.Path() + L"\\gone");
    ASSERT_TRUE(ClickHelp());
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].owner, nullptr);
    EXPECT_EQ(shell.messages[0].text, L"SHGetKnownFolderPath Error2.");
    EXPECT_EQ(shell.messages[0].caption, L"Error");
    EXPECT_EQ(shell.messages[0].type, kErrorBox);
    EXPECT_TRUE(shell.openings.empty());
}

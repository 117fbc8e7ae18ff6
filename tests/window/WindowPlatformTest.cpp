// What the window offers besides input: bitmaps from the module's resources, folders, the
// clipboard, the pointer, and the dialogs (message boxes, colour and file choosers), each
// owned by the right window and safe with no window or with inputs beyond its limits.

#include "WindowTest.h"

#include "GFX_IBitmap.h"
#include "platform/IWinText.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// The class of dialog windows.
constexpr wchar_t kDialogClass[] = L"#32770";
// The file chooser's file name box.
constexpr int kFileNameBox = 0x47C;

std::string Utf8(const std::wstring& text)
{
    return Utf8FromWide(text);
}

std::wstring FolderOf(const std::wstring& path)
{
    return path.substr(0, path.rfind(L'\\') + 1);
}

std::wstring ProgramPath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// Drives the next dialog: `act` runs on it once it is there; its owner and title are kept.
class DialogDriver : public ModalDriver
{
public:
    explicit DialogDriver(std::function<void(HWND)> act)
        : ModalDriver(
              [this, act] {
                  HWND dialog = FindThreadWindow(kDialogClass);
                  if (!dialog)
                      return false;
                  owner = GetWindow(dialog, GW_OWNER);
                  title = WindowText(dialog);
                  act(dialog);
                  return true;
              },
              [] {
                  if (HWND dialog = FindThreadWindow(kDialogClass))
                      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
              })
    {
    }
    HWND owner = nullptr;
    std::wstring title;
};

void Press(HWND dialog, int button)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

// A folder of its own below the temporary folder, with a name outside any ANSI code page,
// removed again with what it holds.
class UnicodeFolder
{
public:
    UnicodeFolder()
    {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path = std::wstring(temp) + L"Tessivane \u00DF\u2713\u65E5\\";
        CreateDirectoryW(path.c_str(), nullptr);
    }
    ~UnicodeFolder()
    {
        for (const std::wstring& file : files)
            DeleteFileW(file.c_str());
        RemoveDirectoryW(path.c_str());
    }
    std::wstring AddFile(const std::wstring& name)
    {
        const std::wstring file = path + name;
        HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(handle);
        files.push_back(file);
        return file;
    }
    std::wstring path;
    std::vector<std::wstring> files;
};

} // namespace

TEST_F(WindowTest, BitmapsComeFromTheModulesPngResources)
{
    IGraphicsWin& graphics = Graphics();
    std::unique_ptr<GFX_IBitmap> bitmap = graphics.LoadPlatformBitmap(WindowTestEffect::kButtonPng, "radio.PNG");
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), 10);
    EXPECT_EQ(bitmap->Height(), 20);
    EXPECT_EQ(bitmap->Pixels()[15 * bitmap->RowStride()], 0xFF1EC83Cu);  // the "on" frame

    EXPECT_EQ(graphics.LoadPlatformBitmap(999, "missing.png"), nullptr);
    EXPECT_EQ(graphics.LoadPlatformBitmap(WindowTestEffect::kShortPng, "short.png"), nullptr);
    EXPECT_EQ(graphics.LoadPlatformBitmap(WindowTestEffect::kBrokenPng, "broken.png"), nullptr);
    EXPECT_EQ(graphics.LoadPlatformBitmap(WindowTestEffect::kButtonPng, "radio.bmp"), nullptr);
    EXPECT_EQ(graphics.LoadPlatformBitmap(WindowTestEffect::kButtonPng, "radio"), nullptr);
    EXPECT_EQ(graphics.LoadPlatformBitmap(WindowTestEffect::kButtonPng, nullptr), nullptr);
    // Resource ids are 16 bits wide: a larger id must not find the one it wraps to.
    EXPECT_EQ(graphics.LoadPlatformBitmap(0x10000 + WindowTestEffect::kButtonPng, "radio.png"), nullptr);
}

TEST_F(WindowTest, FoldersEndInASeparatorWhereTheyAreFiles)
{
    const std::string programFolder = Utf8(FolderOf(ProgramPath()));
    EXPECT_EQ(Graphics().HostDirectory(), programFolder);
    // In this program the plug-in's module is the program.
    EXPECT_EQ(Graphics().ModuleDirectory(), programFolder);

    wchar_t desktop[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_DESKTOP, nullptr, SHGFP_TYPE_CURRENT, desktop), S_OK);
    EXPECT_EQ(Graphics().DesktopDirectory(), Utf8(desktop));
    const std::string own = Graphics().AppDataDirectory(false);
    const std::string common = Graphics().AppDataDirectory(true);
    EXPECT_FALSE(own.empty());
    EXPECT_FALSE(common.empty());
    EXPECT_NE(own, common);
    EXPECT_EQ(Graphics().UserAppDataDirectory(), own);
}

TEST_F(WindowTest, ClipboardTextArrivesAsUtf8)
{
    auto putOnClipboard = [](const std::wstring& text, bool terminated) {
        const size_t units = text.size() + (terminated ? 1 : 0);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, units * sizeof(wchar_t));
        memcpy(GlobalLock(memory), text.c_str(), units * sizeof(wchar_t));
        GlobalUnlock(memory);
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
    };
    std::string text = "stale";
    putOnClipboard(L"Gr\u00FC\u00DFe \u2713", true);
    EXPECT_TRUE(Graphics().ReadClipboardText(text));
    EXPECT_EQ(text, "Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93");

    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_FALSE(Graphics().ReadClipboardText(text));
    EXPECT_EQ(text, "");
    // The clipboard is closed again: others can open it.
    ASSERT_TRUE(OpenClipboard(nullptr));
    CloseClipboard();
}

TEST_F(WindowTest, AConcealedPointerComesBackWhereItWasHidden)
{
    HWND editor = Editor();
    ASSERT_TRUE(MovePointerTo(editor, 30, 30));
    POINT hidden{};
    GetCursorPos(&hidden);
    Graphics().ConcealPointer();
    Graphics().ConcealPointer();  // once is enough
    CURSORINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetCursorInfo(&info));
    EXPECT_EQ(info.flags & CURSOR_SHOWING, 0u);

    ASSERT_TRUE(MovePointerTo(editor, 150, 100));
    Graphics().RevealPointer();
    ASSERT_TRUE(PumpUntil([&] {
        POINT now{};
        return GetCursorPos(&now) && now.x == hidden.x && now.y == hidden.y;
    }));
    ASSERT_TRUE(GetCursorInfo(&info));
    EXPECT_EQ(info.flags & CURSOR_SHOWING, static_cast<DWORD>(CURSOR_SHOWING));
    Graphics().RevealPointer();
    ASSERT_TRUE(GetCursorInfo(&info));
    EXPECT_EQ(info.flags & CURSOR_SHOWING, static_cast<DWORD>(CURSOR_SHOWING));
}

TEST_F(WindowTest, AMessageBoxIsOwnedByTheHostsMainWindow)
{
    DialogDriver driver([](HWND box) { Press(box, IDOK); });
    EXPECT_EQ(Graphics().MessageDialog("Written \xE2\x9C\x93", "Help \xE2\x9C\x93", MB_OKCANCEL), IDOK);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(driver.owner, host.Handle());
    EXPECT_EQ(driver.title, L"Help \u2713");

    // The host's window went and came back: the box finds the new one by its class.
    hosted->Close();
    host.Destroy();
    HostWindow another;
    DialogDriver again([](HWND box) { Press(box, IDCANCEL); });
    EXPECT_EQ(Graphics().MessageDialog("text", "caption", MB_OKCANCEL), IDCANCEL);
    EXPECT_TRUE(again.Done());
    EXPECT_EQ(again.owner, another.Handle());
}

TEST_F(WindowTest, WithoutAnyWindowDialogsShowNothing)
{
    std::unique_ptr<HostedEditor> unopened = HostEditor();
    IGraphicsWin& graphics = unopened->Plugin().Graphics();
    EXPECT_EQ(graphics.MessageDialog("text", "caption", MB_OK), 0);
    IRgba colour(7, 1, 2, 3);
    EXPECT_FALSE(graphics.AskForColour(colour, "caption"));
    EXPECT_EQ(colour, IRgba(7, 1, 2, 3));
    std::string file = "name.txt";
    std::string folder = "C:\\";
    graphics.AskForFile(file, IGraphics::kFileOpen, folder, "txt");
    EXPECT_EQ(file, "");
    EXPECT_EQ(folder, "C:\\");
    EXPECT_EQ(graphics.ShowPopupMenu(nullptr, IRect()), nullptr);
}

TEST_F(WindowTest, TheColourChooserStartsFromTheColourAndKeepsItsAlpha)
{
    // A dialog given a child window as owner is owned by that window's top-level window.
    DialogDriver driver([](HWND dialog) { Press(dialog, IDOK); });
    IRgba colour(99, 10, 200, 30);
    EXPECT_TRUE(Graphics().AskForColour(colour, "Pick \xE2\x9C\x93"));
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(driver.owner, host.Handle());
    EXPECT_EQ(driver.title, L"Pick \u2713");
    EXPECT_EQ(colour, IRgba(99, 10, 200, 30));

    DialogDriver cancelled([](HWND dialog) { Press(dialog, IDCANCEL); });
    EXPECT_FALSE(Graphics().AskForColour(colour, nullptr));
    EXPECT_TRUE(cancelled.Done());
}

TEST_F(WindowTest, TheFileChooserTakesAndGivesUnicodePaths)
{
    UnicodeFolder folder;
    const std::wstring file = folder.AddFile(L"Gr\u00FC\u00DFe.txt");
    std::string name = "start.txt";
    std::string directory = Utf8(folder.path);
    {
        DialogDriver driver([&](HWND dialog) {
            SetDlgItemTextW(dialog, kFileNameBox, file.c_str());
            Press(dialog, IDOK);
        });
        Graphics().AskForFile(name, IGraphics::kFileOpen, directory, "txt wav");
        EXPECT_TRUE(driver.Done());
    }
    EXPECT_EQ(name, Utf8(file));
    EXPECT_EQ(directory, Utf8(folder.path));

    DialogDriver cancelled([](HWND dialog) { Press(dialog, IDCANCEL); });
    Graphics().AskForFile(name, IGraphics::kFileSave, directory, "txt");
    EXPECT_TRUE(cancelled.Done());
    EXPECT_EQ(name, "");
}

TEST_F(WindowTest, FileChooserInputsBeyondItsLimitsShowNothing)
{
    // Each is refused before any chooser opens; one that opened would be cancelled here.
    DialogDriver opened([](HWND dialog) { Press(dialog, IDCANCEL); });
    auto ask = [&](std::string name, std::string directory, const std::string& extensions) {
        Graphics().AskForFile(name, IGraphics::kFileOpen, directory, extensions.c_str());
        return name;
    };
    EXPECT_EQ(ask("a.txt", "C:\\", std::string(16, 'x')), "");
    EXPECT_EQ(ask("a.txt", "C:\\", "txt " + std::string(130, 'y')), "");
    EXPECT_EQ(ask(std::string(256, 'n'), "C:\\", "txt"), "");
    EXPECT_EQ(ask("a.txt", "C:\\" + std::string(253, 'd'), "txt"), "");
    EXPECT_FALSE(opened.Done());
}

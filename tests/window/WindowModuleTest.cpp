// The window test plug-in as a real VST 2.4 module, loaded by a host from a folder whose name
// no ANSI code page holds. Such a host never calls any set-up entry of the module, yet the
// editor must register its class with, and take its bitmaps from, that module.

#include "WindowTest.h"

#include "RecordingHost.h"
#include "platform/IWinText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring Wide(const char* text)
{
    return WideFromUtf8(text);
}

std::wstring ModuleFileName()
{
    std::wstring path = Wide(TESSIVANE_WINDOW_MODULE);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

struct ModuleCopy
{
    ModuleCopy()
    {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"Tessivane \u00DF\u2713\u65E5 module\\";
        CreateDirectoryW(folder.c_str(), nullptr);
        file = folder + L"TessivaneWindowTest.dll";
        copied = CopyFileW(ModuleFileName().c_str(), file.c_str(), FALSE);
    }
    ~ModuleCopy()
    {
        DeleteFileW(file.c_str());
        RemoveDirectoryW(folder.c_str());
    }
    std::wstring folder;
    std::wstring file;
    bool copied;
};

} // namespace

TEST(WindowModule, TheModuleFromAUnicodeFolderShowsItsOwnBitmaps)
{
    ModuleCopy copy;
    ASSERT_TRUE(copy.copied);
    HMODULE module = LoadLibraryW(copy.file.c_str());
    ASSERT_NE(module, nullptr);
    auto entry = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(
        reinterpret_cast<void*>(GetProcAddress(module, "VSTPluginMain")));
    ASSERT_NE(entry, nullptr);
    {
        RecordingHost recorder;
        AEffect* effect = entry(RecordingHost::Callback);
        ASSERT_NE(effect, nullptr);
        HostWindow host;
        ASSERT_EQ(effect->dispatcher(effect, effEditOpen, 0, 0, host.Handle(), 0.0f), 1);
        HWND editor = FindWindowExW(host.Handle(), nullptr, IGraphicsWin::kWindowClassName, nullptr);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(reinterpret_cast<HMODULE>(GetClassLongPtrW(editor, GCLP_HMODULE)), module);
        EXPECT_TRUE(PumpUntil([&] { return WindowPixel(editor, 5, 110) == WindowTestEffect::kBackgroundColour; }));

        // The module and this program are built from the same sources, so the module's editor
        // can be asked directly where its module lies.
        auto* graphics = static_cast<IGraphicsWin*>(IEffectVST2::FromAEffect(effect)->Editor());
        EXPECT_EQ(graphics->ModuleDirectory(), Utf8FromWide(copy.folder));

        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        EXPECT_FALSE(IsWindow(editor));
    }
    EXPECT_TRUE(FreeLibrary(module));
}

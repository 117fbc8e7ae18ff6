#pragma once
// An editor without a window: it draws into its surface like any editor, but presents
// nothing, opens no window and asks the user nothing. Bitmap resources come from a
// process-wide table of PNG data registered by the program. Used by tests, benchmarks and
// tools, on every platform.

#include "IGraphics.h"

#include <cstddef>
#include <string>
#include <vector>

class IGraphicsHeadless : public IGraphics
{
public:
    IGraphicsHeadless(IEffectBase* plug, int32_t width, int32_t height, int32_t frameRate = kDefaultFrameRate);

    // Makes PNG data available as bitmap resource `id` (a copy is kept; a later call for the
    // same id replaces it for editors that have not loaded it yet).
    static void RegisterResource(int32_t id, const void* data, size_t size);
    // Bitmaps decoded by LoadPlatformBitmap in this process.
    static int32_t DecodeCount();

    bool PresentRect(const IRect& rect) override;
    void CancelTextEntry() override;
    int32_t MessageDialog(const char* text, const char* caption, int32_t type) override;
    IChoiceMenu* ShowPopupMenu(IChoiceMenu* menu, const IRect& rect) override;
    void BeginTextEntry(IControl* control, const ITextStyle& style, const IRect& rect, const char* text,
                        IParamEntry* param) override;
    std::string HostDirectory() override { return ""; }
    std::string ModuleDirectory() override { return ""; }
    std::string DesktopDirectory() override { return ""; }
    std::string AppDataDirectory(bool) override { return ""; }
    std::string UserAppDataDirectory() override { return ""; }
    void AskForFile(std::string& fileName, FileAction action, std::string& directory, const char* extensions) override;
    bool AskForColour(IRgba& colour, const char* caption) override;
    void* OpenEditorWindow(void* parentWindow) override;
    void CloseEditorWindow() override {}
    void* WindowHandle() override { return nullptr; }
    bool ReadClipboardText(std::string& text) override;
    std::unique_ptr<GFX_IBitmap> LoadPlatformBitmap(int32_t id, const char* name) override;

    // What the editor was asked to do, for inspection.
    struct Record
    {
        int32_t presentCount = 0;
        IRect lastPresented;
        int32_t platformLoads = 0;            // LoadPlatformBitmap calls on this editor
        int32_t popupCount = 0;
        std::vector<std::string> popupTexts;  // items of the last popup menu
        std::vector<int32_t> popupFlags;
        IRect popupRect;
        int32_t entryCount = 0;
        IControl* entryControl = nullptr;
        IParamEntry* entryParam = nullptr;
        std::string entryText;
        IRect entryRect;
        int32_t cancelledEntries = 0;
        int32_t dialogCount = 0;
    };
    const Record& Recorded() const { return record; }

    // The item that ShowPopupMenu chooses from the top menu; -1 dismisses the menu.
    void SetPopupChoice(int32_t index) { popupChoice = index; }
    // The answer MessageDialog gives.
    void SetDialogAnswer(int32_t answer) { dialogAnswer = answer; }

private:
    Record record;
    int32_t popupChoice = -1;
    int32_t dialogAnswer = 0;
};

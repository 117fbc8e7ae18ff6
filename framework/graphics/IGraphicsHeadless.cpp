#include "IGraphicsHeadless.h"

#include "GFX_MemBitmap.h"
#include "GFX_PngDecoder.h"
#include "IRecursiveMutex.h"

#include <atomic>
#include <cstdint>
#include <map>

namespace {

struct ResourceTable
{
    IRecursiveMutex lock;
    std::map<int32_t, std::vector<uint8_t>> resources;
    std::atomic<int32_t> decodes{0};
};

ResourceTable& Resources()
{
    static ResourceTable table;
    return table;
}

} // namespace

IGraphicsHeadless::IGraphicsHeadless(IEffectBase* owner, int32_t w, int32_t h, int32_t rate)
    : IGraphics(owner, w, h, rate)
{
}

void IGraphicsHeadless::RegisterResource(int32_t id, const void* data, size_t size)
{
    ResourceTable& table = Resources();
    const auto* bytes = static_cast<const uint8_t*>(data);
    ILockGuard guard(table.lock);
    table.resources[id].assign(bytes, bytes ? bytes + size : bytes);
}

int32_t IGraphicsHeadless::DecodeCount()
{
    return Resources().decodes.load();
}

std::unique_ptr<GFX_IBitmap> IGraphicsHeadless::LoadPlatformBitmap(int32_t id, const char* name)
{
    ++record.platformLoads;
    if (!HasPngExtension(name))
        return nullptr;
    ResourceTable& table = Resources();
    std::vector<uint8_t> data;
    {
        ILockGuard guard(table.lock);
        const auto found = table.resources.find(id);
        if (found == table.resources.end())
            return nullptr;
        data = found->second;
    }
    ++table.decodes;
    return std::unique_ptr<GFX_IBitmap>(DecodePngFromMemory(data.data(), data.size()));
}

bool IGraphicsHeadless::PresentRect(const IRect& rect)
{
    ++record.presentCount;
    record.lastPresented = rect;
    return true;
}

void IGraphicsHeadless::CancelTextEntry()
{
    ++record.cancelledEntries;
}

int32_t IGraphicsHeadless::MessageDialog(const char*, const char*, int32_t)
{
    ++record.dialogCount;
    return dialogAnswer;
}

IChoiceMenu* IGraphicsHeadless::ShowPopupMenu(IChoiceMenu* menu, const IRect& rect)
{
    ReleaseControlCapture();
    ++record.popupCount;
    record.popupRect = rect;
    record.popupTexts.clear();
    record.popupFlags.clear();
    if (!menu)
        return nullptr;
    for (int32_t i = 0; i < menu->ItemCount(); ++i)
    {
        record.popupTexts.push_back(menu->Item(i)->text);
        record.popupFlags.push_back(menu->Item(i)->flags);
    }
    if (popupChoice < 0 || popupChoice >= menu->ItemCount())
        return nullptr;
    menu->SetChosenIndex(popupChoice);
    return menu;
}

void IGraphicsHeadless::BeginTextEntry(IControl* control, const ITextStyle&, const IRect& rect, const char* text,
                                       IParamEntry* param)
{
    if (!control)
        return;
    ++record.entryCount;
    record.entryControl = control;
    record.entryParam = param;
    record.entryText = text ? text : "";
    record.entryRect = rect;
}

void IGraphicsHeadless::AskForFile(std::string& fileName, FileAction, std::string&, const char*)
{
    fileName.clear();
}

bool IGraphicsHeadless::AskForColour(IRgba&, const char*)
{
    return false;
}

void* IGraphicsHeadless::OpenEditorWindow(void*)
{
    // No window opens, but the caller's thread serves the editor from now on.
    TakeWindowThread();
    ApplyPendingChanges();
    return nullptr;
}

bool IGraphicsHeadless::ReadClipboardText(std::string& text)
{
    text.clear();
    return false;
}

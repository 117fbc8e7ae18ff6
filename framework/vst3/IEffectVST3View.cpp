#include "IEffectVST3View.h"

#include "IEffectVST3.h"

#include <cstring>

using namespace Steinberg;

namespace {

bool IsWindowHandleType(FIDString type)
{
    return type && strcmp(type, kPlatformTypeHWND) == 0;
}

} // namespace

IEffectVST3View::IEffectVST3View(IEffectVST3& owner) : effect(owner)
{
    effect.RegisterView(this);  // may throw; nothing is held yet
    effect.addRef();
}

IEffectVST3View::~IEffectVST3View()
{
    // A host may release the view without removing it first: no window may outlive it.
    CloseEditorWindow();
    effect.ForgetView(this);
    effect.release();
}

tresult PLUGIN_API IEffectVST3View::isPlatformTypeSupported(FIDString type)
{
    return effect.Editor() && IsWindowHandleType(type) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API IEffectVST3View::attached(void* parent, FIDString type)
{
    IEditorLink* editor = effect.Editor();
    if (!editor || !IsWindowHandleType(type))
        return kResultFalse;
    if (!parent)
        return kInvalidArgument;
    if (!editor->OpenEditorWindow(parent))
        return kResultFalse;
    editorOpen = true;
    effect.OnEditorOpened();
    return CPluginView::attached(parent, type);
}

tresult PLUGIN_API IEffectVST3View::removed()
{
    CloseEditorWindow();
    plugFrame = nullptr;
    return CPluginView::removed();
}

void IEffectVST3View::CloseEditorWindow()
{
    IEditorLink* editor = effect.Editor();
    if (!editor || !editorOpen)
        return;
    editorOpen = false;
    effect.OnEditorClosed();
    editor->CloseEditorWindow();
}

tresult PLUGIN_API IEffectVST3View::getSize(ViewRect* size)
{
    IEditorLink* editor = effect.Editor();
    if (!editor)
        return kResultFalse;
    if (!size)
        return kInvalidArgument;
    *size = ViewRect(0, 0, editor->EditorWidth(), editor->EditorHeight());
    return kResultOk;
}

tresult PLUGIN_API IEffectVST3View::onSize(ViewRect* newSize)
{
    if (!newSize)
        return kInvalidArgument;
    rect = *newSize;
    if (resizePending)
    {
        resizePending = false;
        effect.OnWindowResized();
    }
    return kResultOk;
}

void IEffectVST3View::RequestResize(int32_t width, int32_t height)
{
    resizePending = true;
    if (plugFrame)
    {
        ViewRect wanted(0, 0, width, height);
        plugFrame->resizeView(this, &wanted);
    }
}

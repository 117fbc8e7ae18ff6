#include "IGraphics.h"

#include "GFX_Compositing.h"
#include "GFX_IFont.h"
#include "GFX_MemBitmap.h"
#include "IBitmapCache.h"
#include "IControl.h"
#include "IEffectBase.h"
#include "IFontCache.h"
#include "IParamEntry.h"
#include "platform/IGraphicsPlatform.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

GFX_Rect ToGfxRect(const IRect& r)
{
    return GFX_Rect{r.left, r.top, r.right, r.bottom};
}

int BlitModeFor(const IBlend* blend)
{
    switch (blend ? blend->mode : kBlendDefault)
    {
    case kBlendReplace:
        return kBlitCopy;
    case kBlendAdditive:
        return kBlitAdditiveAlpha;
    case kBlendColourDodge:
        return kBlitDodgeAlpha;
    default:
        return kBlitCopyAlpha;
    }
}

// The integer values an enumerated parameter, or a boolean one with display texts, offers
// in a menu instead of an entry field.
bool OffersChoices(const IParamEntry& param)
{
    return param.Kind() == kParamEnum || (param.Kind() == kParamBool && param.DisplayTextCount() > 0);
}

const char* DisplayTextForValue(const IParamEntry& param, int32_t v)
{
    for (int i = 0; i < param.DisplayTextCount(); ++i)
        if (param.DisplayTextAt(i).value == v)
            return param.DisplayTextAt(i).text;
    return "";
}

} // namespace

bool HasPngExtension(const char* name)
{
    const char* dot = name ? strrchr(name, '.') : nullptr;
    if (!dot)
        return false;
    const char* extension = dot + 1;
    return strlen(extension) == 3 && tolower(static_cast<unsigned char>(extension[0])) == 'p' &&
           tolower(static_cast<unsigned char>(extension[1])) == 'n' &&
           tolower(static_cast<unsigned char>(extension[2])) == 'g';
}

IGraphics::IGraphics(IEffectBase* owner, int32_t w, int32_t h, int32_t rate)
    : plug(owner), width(w), height(h), frameRate(rate), windowThread(std::this_thread::get_id()),
      pending(owner ? owner->ParameterCount() : 0)
{
}

IGraphics::~IGraphics()
{
    // The plug-in is being destroyed with its editor: no gesture is ended here.
    keyCatcher.reset();
    DeleteControls();
    surface.reset();
    scratch.reset();
}

// ---- Controls -------------------------------------------------------------------------------

int32_t IGraphics::AddControl(IControl* control)
{
    if (!control)
        return -1;
    control->SetGraphics(this);
    controls.emplace_back(control);
    return ControlCount() - 1;
}

void IGraphics::InsertBackground(IControl* control)
{
    if (!control)
        return;
    control->SetGraphics(this);
    controls.emplace(controls.begin(), control);
    if (capturedIndex >= 0)
        ++capturedIndex;
    if (hoveredIndex >= 0)
        ++hoveredIndex;
}

IControl* IGraphics::Control(int32_t index) const
{
    if (index < 0 || index >= ControlCount())
        return nullptr;
    return controls[static_cast<size_t>(index)].get();
}

void IGraphics::SetKeyCatcher(IControl* control)
{
    keyCatcher.reset(control);
    if (control)
        control->SetGraphics(this);
}

void IGraphics::DeleteControls()
{
    ReleaseControlCapture();
    hoveredIndex = -1;
    while (!controls.empty())
        controls.pop_back();
}

// ---- Parameters -----------------------------------------------------------------------------

void IGraphics::PushParameterToControls(int32_t paramIndex, double value, bool valueIsNormalized)
{
    double normalized = value;
    if (!valueIsNormalized)
    {
        const IParamEntry* param = plug ? plug->Parameter(paramIndex) : nullptr;
        if (!param)
            return;
        normalized = param->ToNormalized(value);
    }
    // A host's value outside 0..1 (or a NaN) must not become a control's default.
    normalized = normalized >= 0.0 ? std::min(normalized, 1.0) : 0.0;

    if (!OnWindowThread())
    {
        pending.Leave(paramIndex, normalized);
        return;
    }
    if (!plug)
    {
        ShowParameter(paramIndex, normalized);
        return;
    }
    // The core pushes under the instance lock, so a value another thread left cannot arrive
    // between forgetting it and showing this newer one.
    ILockGuard lock(plug->Mutex());
    pending.Forget(paramIndex);
    ShowParameter(paramIndex, normalized);
}

void IGraphics::ShowParameter(int32_t paramIndex, double normalized)
{
    for (const auto& control : controls)
    {
        if (control->ParamIndex() == paramIndex)
            control->ApplyPluginValue(normalized);
        const std::vector<ILinkedParam>& linked = control->LinkedParams();
        for (size_t k = 0; k < linked.size(); ++k)
        {
            if (linked[k].paramIndex == paramIndex)
            {
                control->ApplyLinkedPluginValue(static_cast<int32_t>(k), normalized);
                break;
            }
        }
    }
    if (plug)
        plug->OnParameterShown(paramIndex, normalized);
}

void IGraphics::MarkAllChanged()
{
    if (!OnWindowThread())
    {
        pending.LeaveFullRepaint();
        return;
    }
    for (const auto& control : controls)
        control->MarkChanged(false);
}

void IGraphics::ApplyPendingChanges()
{
    if (!OnWindowThread())
        return;
    const bool repaint =
        pending.TakeAll([this](int32_t paramIndex, double normalized) { ShowParameter(paramIndex, normalized); });
    if (repaint)
        MarkAllChanged();
}

bool IGraphics::OnWindowThread() const
{
    return windowThread.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

void IGraphics::TakeWindowThread()
{
    windowThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
}

void IGraphics::AskValueForControl(IControl* control, IParamEntry* param, const IRect& rect)
{
    if (!control || !param)
        return;

    if (OffersChoices(*param))
    {
        char current[IParamEntry::kTextCapacity];
        param->FormatValueText(param->Value(), false, current, sizeof current, true);
        IChoiceMenu menu;
        for (int32_t v = 0; v < param->DisplayTextCount(); ++v)
        {
            const char* text = DisplayTextForValue(*param, v);
            menu.AddItem(text, strcmp(text, current) == 0 ? kChoiceChecked : 0);
        }
        // The chosen index is the value; a dismissed menu changes nothing.
        if (const IChoiceMenu* chosen = ShowPopupMenu(&menu, rect))
            control->ApplyUserValue(param->ToNormalized(chosen->ChosenIndex()));
        return;
    }

    double v = param->Value();
    if (param->NegateDisplay())
        v = -v;
    char text[64];
    if (param->DisplayPrecision() > 0)
        snprintf(text, sizeof text, "%.*f", static_cast<int>(param->DisplayPrecision()), v);
    else
        snprintf(text, sizeof text, "%d", static_cast<int>(TruncToInt32(v)));
    BeginTextEntry(control, control->TextStyle(), rect, text, param);
}

// ---- Drawing --------------------------------------------------------------------------------

IBitmapRef IGraphics::LoadBitmapResource(int32_t id, const char* name, int32_t frames)
{
    IBitmapCache& cache = IBitmapCache::Shared();
    GFX_IBitmap* bitmap = cache.Find(id);
    if (!bitmap)
        bitmap = cache.Add(id, LoadPlatformBitmap(id, name));

    IBitmapRef ref;
    ref.frames = std::max(frames, 1);
    ref.framesSideBySide = false;
    if (bitmap)
    {
        ref.bitmap = bitmap;
        ref.width = bitmap->Width();
        ref.height = bitmap->Height();
    }
    return ref;
}

bool IGraphics::DrawBitmapRegion(const IBitmapRef& bitmap, const IRect& dest, int32_t sourceX, int32_t sourceY,
                                 const IBlend* blend)
{
    if (!bitmap.bitmap || !surface || !dest.Meets(paintRect))
        return true;
    const IRect clip(std::max(dest.left, paintRect.left), std::max(dest.top, paintRect.top),
                     std::min(dest.right, paintRect.right), std::min(dest.bottom, paintRect.bottom));
    const GFX_Rect source{SaturateToInt32(int64_t(sourceX) + clip.left - dest.left),
                          SaturateToInt32(int64_t(sourceY) + clip.top - dest.top),
                          SaturateToInt32(int64_t(sourceX) + clip.right - dest.left),
                          SaturateToInt32(int64_t(sourceY) + clip.bottom - dest.top)};
    const float weight = blend ? blend->weight : 1.0f;
    BlitRegion(surface.get(), bitmap.bitmap, clip.left, clip.top, &source, weight, BlitModeFor(blend));
    return true;
}

GFX_IFont* IGraphics::FontForStyle(ITextStyle* style)
{
    if (!style)
        return nullptr;
    IFontCache& cache = IFontCache::Shared();
    GFX_IFont* font = cache.Find(*style);
    if (!font)
        font = cache.Add(*style, IGraphicsPlatform::CreateStyleFont(*style));
    if (font)
        style->font = font;
    return font;
}

bool IGraphics::PaintText(ITextStyle* style, const char* text, IRect* rect, bool measure)
{
    if (!text || !*text)
        return true;
    if (!style || !rect)
        return false;
    GFX_IFont* font = style->font ? style->font : FontForStyle(style);
    if (!font)
        return false;

    font->SetInkColour(style->colour.Packed());
    unsigned flags = kTextNoClip;
    if (style->align == kAlignCentre)
        flags |= kTextCentre;
    else if (style->align == kAlignRight)
        flags |= kTextRight;
    if (style->colour.alpha != 255)
        flags |= kTextUseInkAlpha;

    if (!measure)
    {
        GFX_Rect area = ToGfxRect(*rect);
        font->RenderText(surface.get(), text, -1, &area, flags);
        return true;
    }

    GFX_Rect measured{};
    font->RenderText(surface.get(), text, -1, &measured, flags | kTextCalculate);
    const int64_t textWidth = int64_t(measured.right) - measured.left;
    const int64_t textHeight = int64_t(measured.bottom) - measured.top;
    int64_t left = rect->left;
    if (style->align == kAlignCentre)
        left = (int64_t(rect->left) + rect->right) / 2 - textWidth / 2;
    else if (style->align == kAlignRight)
        left = int64_t(rect->right) - textWidth;
    rect->left = SaturateToInt32(left);
    if (style->align != kAlignRight)
        rect->right = SaturateToInt32(left + textWidth);
    rect->bottom = SaturateToInt32(int64_t(rect->top) + textHeight);
    return true;
}

bool IGraphics::TextBounds(ITextStyle* style, const char* text, IRect* rect)
{
    return PaintText(style, text, rect, true);
}

void IGraphics::CreateSurfaces()
{
    surface = IGraphicsPlatform::CreateDrawingSurface(width, height);
    scratch = std::make_unique<GFX_MemBitmap>();
}

bool IGraphics::PaintRegion(const IRect& rect)
{
    if (controls.empty())
        return true;
    if (drawAllIntersecting)
    {
        paintRect = rect;
        for (const auto& control : controls)
            if (!control->IsHidden() && rect.Meets(control->Rect()))
                control->Paint(this);
        for (const auto& control : controls)
            control->CommitRedraw();
    }
    else
    {
        PaintChangedControls();
    }
    return PresentRect(rect);
}

// Repaints each changed control with whatever lies under and over it, clipped to it; a
// changed background repaints everything.
void IGraphics::PaintChangedControls()
{
    IControl* background = controls.front().get();
    if (background->NeedsRedraw())
    {
        paintRect = background->Rect();
        background->Paint(this);
        for (size_t j = 1; j < controls.size(); ++j)
            if (!controls[j]->IsHidden())
                controls[j]->Paint(this);
        for (const auto& control : controls)
            control->CommitRedraw();
        return;
    }
    for (size_t i = 1; i < controls.size(); ++i)
    {
        IControl* changed = controls[i].get();
        if (!changed->NeedsRedraw())
            continue;
        paintRect = changed->Rect();
        for (size_t j = 0; j < controls.size(); ++j)
        {
            IControl* control = controls[j].get();
            if (!control->IsHidden() && (j == i || control->Rect().Meets(paintRect)))
                control->Paint(this);
        }
        changed->CommitRedraw();
    }
}

// ---- Mouse ----------------------------------------------------------------------------------

int32_t IGraphics::HitTestControls(int32_t x, int32_t y)
{
    for (int32_t i = ControlCount() - 1; i >= 0; --i)
    {
        IControl* control = controls[static_cast<size_t>(i)].get();
        if (!control->IsHidden() && !control->IsGreyed() && control->HitTest(x, y))
            return i;
    }
    return -1;
}

int32_t IGraphics::HoverHitTest(int32_t x, int32_t y)
{
    for (int32_t i = ControlCount() - 1; i >= 0; --i)
    {
        IControl* control = controls[static_cast<size_t>(i)].get();
        if (!control->IsHidden() && (!control->IsGreyed() || control->HoverWhenGreyed()) && control->HitTest(x, y))
            return i;
    }
    return -1;
}

void IGraphics::ReleaseControlCapture()
{
    capturedIndex = -1;
    lastMouseX = -1;
    lastMouseY = -1;
}

void IGraphics::BeginControlGesture(const IControl& control)
{
    const int32_t param = control.ParamIndex();
    if (!plug || param < 0 || gestureParamIndex >= 0)
        return;
    plug->BeginParameterGesture(param);
    gestureParamIndex = param;
}

void IGraphics::EndOpenGesture()
{
    if (gestureParamIndex < 0)
        return;
    const int32_t param = gestureParamIndex;
    gestureParamIndex = -1;
    if (plug)
        plug->EndParameterGesture(param);
}

bool IGraphics::DispatchMouseDown(int32_t x, int32_t y, const IMouseMods& mods)
{
    // A gesture still open here lost its button release (another button, lost capture).
    EndOpenGesture();
    ReleaseControlCapture();
    const int32_t index = HitTestControls(x, y);
    if (index < 0)
        return false;
    capturedIndex = index;
    lastMouseX = x;
    lastMouseY = y;

    IControl* control = controls[static_cast<size_t>(index)].get();
    const int32_t param = control->ParamIndex();
    if (plug && plug->GetApiKind() == kApiVST3 && mods.right && param >= 0)
    {
        // VST3 hosts offer their own context menu for parameters.
        ReleaseControlCapture();
        plug->ShowHostParameterMenu(param, x, y);
        return true;
    }
    BeginControlGesture(*control);
    control->MouseDown(x, y, mods);
    return true;
}

bool IGraphics::DispatchMouseUp(int32_t x, int32_t y, const IMouseMods& mods)
{
    const int32_t index = Control(capturedIndex) ? capturedIndex : HitTestControls(x, y);
    ReleaseControlCapture();
    IControl* control = Control(index);
    if (control)
        control->MouseUp(x, y, mods);
    // The gesture ends with the release, wherever the pointer is now; a release without a
    // begun gesture (after a host menu) ends nothing.
    EndOpenGesture();
    return control != nullptr;
}

bool IGraphics::DispatchMouseOver(int32_t x, int32_t y, const IMouseMods& mods)
{
    if (!handleHover)
        return false;
    const int32_t index = Control(capturedIndex) ? capturedIndex : HoverHitTest(x, y);
    IControl* control = Control(index);
    if (!control)
        return handleHover;
    lastMouseX = x;
    lastMouseY = y;
    control->MouseEnter(x, y, mods);
    if (IControl* previous = Control(hoveredIndex); previous && hoveredIndex != index)
        previous->MouseLeave();
    hoveredIndex = index;
    return handleHover;
}

// ---- Window ---------------------------------------------------------------------------------

void IGraphics::ResizeEditor(int32_t newWidth, int32_t newHeight)
{
    width = newWidth;
    height = newHeight;
    EndOpenGesture();
    DeleteControls();
    surface.reset();
    scratch.reset();
    CreateSurfaces();
    if (plug)
        plug->EditorResized(newWidth, newHeight);
}

bool IGraphics::HasWindow()
{
    return WindowHandle() != nullptr;
}

const char* IGraphics::BackendName() const
{
    return "";
}

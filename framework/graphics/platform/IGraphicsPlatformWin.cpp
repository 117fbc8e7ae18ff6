// Windows: the editor is a window of its own; it draws into a GDI section, so that the window
// can copy it to the screen and GDI can draw text into it, and its fonts are GDI fonts.

#include "IGraphicsPlatform.h"

#include "GFX_CachedFont.h"
#include "GFX_SysBitmap.h"
#include "IGraphicsWin.h"
#include "IGraphicsTypes.h"

#include <windows.h>

namespace IGraphicsPlatform {

namespace {

constexpr int kTenthsPerDegree = 10;

DWORD FontQuality(int32_t quality)
{
    switch (quality)
    {
    case kQualityNonAntialiased:
        return NONANTIALIASED_QUALITY;
    case kQualityAntialiased:
        return ANTIALIASED_QUALITY;
    case kQualityClearType:
        return CLEARTYPE_QUALITY;
    default:
        return DEFAULT_QUALITY;
    }
}

} // namespace

IGraphics* CreateEditor(IEffectBase* plug, int32_t width, int32_t height, int32_t frameRate)
{
    return new IGraphicsWin(plug, width, height, frameRate);
}

std::unique_ptr<GFX_IBitmap> CreateDrawingSurface(int32_t width, int32_t height)
{
    auto surface = std::make_unique<GFX_SysBitmap>();
    surface->SetSize(width, height);
    return surface;
}

std::unique_ptr<GFX_IFont> CreateStyleFont(const ITextStyle& style)
{
    char face[ITextStyle::kFaceCapacity];
    lstrcpynA(face, style.face, int(sizeof face));
    const int escapement = int(SaturateToInt32(int64_t(style.orientation) * kTenthsPerDegree));
    HFONT handle = CreateFontA(style.size, 0, escapement, escapement, style.style == kStyleBold ? FW_BOLD : FW_NORMAL,
                               style.style == kStyleItalic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, FontQuality(style.quality), DEFAULT_PITCH, face);
    if (!handle)
        return nullptr;
    auto font = std::make_unique<GFX_CachedFont>();
    font->AdoptFontHandle(handle, kFontOwnsHandle | kFontPreferNative);
    return font;
}

} // namespace IGraphicsPlatform

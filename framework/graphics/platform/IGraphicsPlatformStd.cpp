// Portable builds have no window system: the editor is headless, draws into memory and has
// no fonts, so text draws nothing there.

#include "IGraphicsPlatform.h"

#include "GFX_IFont.h"
#include "GFX_MemBitmap.h"
#include "IGraphicsHeadless.h"

namespace IGraphicsPlatform {

IGraphics* CreateEditor(IEffectBase* plug, int32_t width, int32_t height, int32_t frameRate)
{
    return new IGraphicsHeadless(plug, width, height, frameRate);
}

std::unique_ptr<GFX_IBitmap> CreateDrawingSurface(int32_t width, int32_t height)
{
    auto surface = std::make_unique<GFX_MemBitmap>();
    surface->SetSize(width, height);
    return surface;
}

std::unique_ptr<GFX_IFont> CreateStyleFont(const ITextStyle&)
{
    return nullptr;
}

} // namespace IGraphicsPlatform

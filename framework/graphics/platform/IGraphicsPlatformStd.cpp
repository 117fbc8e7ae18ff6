// Portable builds have no window system: the editor draws into memory and has no fonts, so
// text draws nothing there.

#include "IGraphicsPlatform.h"

#include "GFX_IFont.h"
#include "GFX_MemBitmap.h"

namespace IGraphicsPlatform {

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

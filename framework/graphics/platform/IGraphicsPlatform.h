#pragma once
// What the editor needs from the platform's drawing system: a surface to draw into and
// fonts. One implementation per platform.

#include <cstdint>
#include <memory>

class GFX_IBitmap;
class GFX_IFont;
struct ITextStyle;

namespace IGraphicsPlatform {

// A width x height surface for the controls to draw into (GDI-capable where GDI exists).
std::unique_ptr<GFX_IBitmap> CreateDrawingSurface(int32_t width, int32_t height);

// A font for the style's face, size, orientation, weight, slant and quality, or null when
// the platform cannot make one.
std::unique_ptr<GFX_IFont> CreateStyleFont(const ITextStyle& style);

} // namespace IGraphicsPlatform

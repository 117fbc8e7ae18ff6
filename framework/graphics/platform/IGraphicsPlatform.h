#pragma once
// What the editor needs from the platform: its editor class, a surface to draw into and
// fonts. One implementation per platform.

#include <cstdint>
#include <memory>

class GFX_IBitmap;
class GFX_IFont;
class IEffectBase;
class IGraphics;
struct ITextStyle;

namespace IGraphicsPlatform {

// A new editor of the platform's class for the plug-in (a window of its own on Windows,
// headless elsewhere); the caller owns it until it hands it to the plug-in core.
IGraphics* CreateEditor(IEffectBase* plug, int32_t width, int32_t height, int32_t frameRate);

// A width x height surface for the controls to draw into (GDI-capable where GDI exists).
std::unique_ptr<GFX_IBitmap> CreateDrawingSurface(int32_t width, int32_t height);

// A font for the style's face, size, orientation, weight, slant and quality, or null when
// the platform cannot make one.
std::unique_ptr<GFX_IFont> CreateStyleFont(const ITextStyle& style);

} // namespace IGraphicsPlatform

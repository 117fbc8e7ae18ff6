#pragma once
// The records the editor, its controls and its window share: rectangles, colours, bitmap
// references, text styles, mouse modifiers and blends.

#include <algorithm>
#include <cstdint>
#include <cstring>

class GFX_IBitmap;
class GFX_IFont;

// Clamps a 64-bit intermediate into the 32-bit pixel range, so that absurd rectangles and
// positions saturate instead of overflowing.
inline int32_t SaturateToInt32(int64_t v)
{
    return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(v, INT32_MIN), INT32_MAX));
}

// A rectangle in editor pixels; right and bottom are exclusive. Only the all-zero rectangle
// counts as empty.
struct IRect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    IRect() = default;
    IRect(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}

    bool IsEmpty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    int32_t Width() const { return SaturateToInt32(int64_t(right) - left); }
    int32_t Height() const { return SaturateToInt32(int64_t(bottom) - top); }

    // The ordered intersection test: this rectangle meets `other` when both are non-empty and
    // they overlap, where this rectangle's right and bottom edges count as inside. So a
    // rectangle meets one that starts exactly at its right or bottom edge, but not one that
    // ends exactly at its left or top edge.
    bool Meets(const IRect& other) const
    {
        return !IsEmpty() && !other.IsEmpty() && right >= other.left && left < other.right &&
               bottom >= other.top && top < other.bottom;
    }

    bool Contains(int32_t x, int32_t y) const
    {
        return !IsEmpty() && x >= left && x < right && y >= top && y < bottom;
    }

    // The smallest rectangle holding both; an empty rectangle adds nothing.
    IRect Union(const IRect& other) const
    {
        if (other.IsEmpty())
            return *this;
        if (IsEmpty())
            return other;
        return IRect(std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
                     std::max(bottom, other.bottom));
    }

    bool operator==(const IRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const IRect& o) const { return !(*this == o); }
};

// A colour, each channel 0..255.
struct IRgba
{
    int32_t alpha = 255;
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;

    IRgba() = default;
    IRgba(int32_t a, int32_t r, int32_t g, int32_t b) : alpha(a), red(r), green(g), blue(b) {}

    // The drawing library's form: alpha in bits 24..31, then red, green, blue.
    uint32_t Packed() const
    {
        return (uint32_t(alpha) & 0xFF) << 24 | (uint32_t(red) & 0xFF) << 16 | (uint32_t(green) & 0xFF) << 8 |
               (uint32_t(blue) & 0xFF);
    }

    bool operator==(const IRgba& o) const
    {
        return alpha == o.alpha && red == o.red && green == o.green && blue == o.blue;
    }
};

// A bitmap of the process-wide cache (not owned) and how its frames are laid out: stacked
// vertically, or side by side.
struct IBitmapRef
{
    GFX_IBitmap* bitmap = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t frames = 1;
    bool framesSideBySide = false;

    int32_t FrameCount() const { return std::max(frames, 1); }
    int32_t FrameWidth() const { return framesSideBySide ? width / FrameCount() : width; }
    int32_t FrameHeight() const { return framesSideBySide ? height : height / FrameCount(); }
};

enum ITextFontStyle : int32_t
{
    kStyleNormal = 0,
    kStyleBold = 1,
    kStyleItalic = 2,
};

enum ITextAlign : int32_t
{
    kAlignLeft = 0,
    kAlignCentre = 1,
    kAlignRight = 2,
};

enum ITextQuality : int32_t
{
    kQualityDefault = 0,
    kQualityNonAntialiased = 1,
    kQualityAntialiased = 2,
    kQualityClearType = 3,
};

// How a text is drawn, and the colours of the in-place entry field that edits it.
struct ITextStyle
{
    static constexpr size_t kFaceCapacity = 32;

    char face[kFaceCapacity] = "Verdana";
    int32_t size = 12;                           // pixels, used as the font height
    IRgba colour{255, 0, 0, 0};
    IRgba entryBackground{255, 255, 255, 255};
    IRgba entryText{255, 0, 0, 0};
    int32_t style = kStyleNormal;
    int32_t align = kAlignCentre;
    int32_t orientation = 0;                     // degrees
    int32_t quality = kQualityDefault;
    GFX_IFont* font = nullptr;                   // the font cache's font, found on first use

    ITextStyle() = default;
    ITextStyle(const char* faceName, int32_t pixelSize, IRgba textColour, int32_t fontStyle = kStyleNormal,
               int32_t alignment = kAlignCentre, int32_t degrees = 0, int32_t textQuality = kQualityDefault)
        : size(pixelSize), colour(textColour), style(fontStyle), align(alignment), orientation(degrees),
          quality(textQuality)
    {
        SetFace(faceName);
    }

    // Copies a face name, cut so that the terminator always fits.
    void SetFace(const char* faceName)
    {
        const size_t n = faceName ? strnlen(faceName, kFaceCapacity - 1) : 0;
        std::memcpy(face, faceName ? faceName : "", n);
        face[n] = '\0';
    }
};

// Mouse buttons and modifier keys held during a mouse event.
struct IMouseMods
{
    bool left = false;
    bool right = false;
    bool shift = false;
    bool control = false;
    bool alt = false;

    IMouseMods() = default;
    IMouseMods(bool l, bool r, bool s = false, bool c = false, bool a = false)
        : left(l), right(r), shift(s), control(c), alt(a)
    {
    }
};

enum IBlendMode : int32_t
{
    kBlendDefault = 0,     // source-alpha blending
    kBlendReplace = 1,     // plain copy
    kBlendAdditive = 2,
    kBlendColourDodge = 3,
};

// How a bitmap is composited onto the editor: a mode and a weight 0..1.
struct IBlend
{
    IBlendMode mode = kBlendDefault;
    float weight = 1.0f;

    IBlend() = default;
    IBlend(IBlendMode m, float w = 1.0f) : mode(m), weight(w) {}
};

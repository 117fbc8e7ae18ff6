#pragma once
// Text measuring and drawing into bitmaps. Colours are packed like pixels: alpha in bits
// 24..31, then red, green, blue.

#include "GFX_IBitmap.h"
#include "GFX_Rect.h"

#include <cstdint>

// Opaque font handle: an HFONT on Windows.
using GFX_FontHandle = void*;

// Font flags.
constexpr int kFontVertical = 0x1;
constexpr int kFontPrerenderAscii = 0x4;     // render codes 0..127 when the handle is adopted
constexpr int kFontOwnsHandle = 0x200;       // the font deletes its GDI handle
constexpr int kFontPreferNative = 0x400;     // let GDI draw where it can
constexpr int kFontEffectFlags = 0x1F7;      // flags that only the glyph renderer can honour

// Draw flags: the Win32 text-format bits, plus kTextUseInkAlpha.
constexpr unsigned kTextCentre = 0x1;
constexpr unsigned kTextRight = 0x2;
constexpr unsigned kTextVerticalCentre = 0x4;
constexpr unsigned kTextBottom = 0x8;
constexpr unsigned kTextSingleLine = 0x20;
constexpr unsigned kTextNoClip = 0x100;
constexpr unsigned kTextCalculate = 0x400;   // measure only; the rectangle receives the size
constexpr unsigned kTextNoPrefix = 0x800;
constexpr unsigned kTextUseInkAlpha = 0x40000000; // weight the text by its colour's alpha

// Backdrop modes (the Win32 values).
constexpr int kBackdropTransparent = 1;
constexpr int kBackdropOpaque = 2;

class GFX_IFont
{
public:
    GFX_IFont() = default;
    GFX_IFont(const GFX_IFont&) = delete;
    GFX_IFont& operator=(const GFX_IFont&) = delete;
    virtual ~GFX_IFont() = default;

    virtual void AdoptFontHandle(GFX_FontHandle font, int flags) = 0;
    virtual uint32_t SetInkColour(uint32_t colour) = 0;      // returns the previous colour
    virtual uint32_t SetBackdropColour(uint32_t colour) = 0;
    virtual uint32_t SetFxColour(uint32_t colour) = 0;
    virtual int SetBackdropMode(int mode) = 0;
    virtual void SetBlend(int mode, float weight) = 0;
    // Draws (or with kTextCalculate measures) UTF-8 text; length -1 runs to the terminator.
    // Returns the text height, 0 when nothing was drawn.
    virtual int RenderText(GFX_IBitmap* bitmap, const char* text, int length, GFX_Rect* rect, unsigned flags) = 0;
    virtual uint32_t InkColour() const = 0;
    virtual GFX_FontHandle FontHandle() const = 0;
    virtual int LinePitch() const = 0;
    virtual bool RenderGlyph(GFX_IBitmap* bitmap, uint32_t character, int x, int y, const GFX_Rect& clip) = 0;
};

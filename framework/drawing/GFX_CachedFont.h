#pragma once
// A GDI font that draws text either through GDI itself (into bitmaps with a device
// context, where the platform's own rendering is trusted) or by rendering each character
// once into a coverage mask and blending the masks into any bitmap. Fonts and the shared
// scratch surfaces belong to the user-interface thread. Windows only.

#include "GFX_IFont.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class GFX_CachedFont final : public GFX_IFont
{
public:
    GFX_CachedFont();
    ~GFX_CachedFont() override;

    void AdoptFontHandle(GFX_FontHandle font, int flags) override;
    uint32_t SetInkColour(uint32_t colour) override;
    uint32_t SetBackdropColour(uint32_t colour) override;
    uint32_t SetFxColour(uint32_t colour) override;
    int SetBackdropMode(int mode) override;
    void SetBlend(int mode, float weight) override;
    int RenderText(GFX_IBitmap* bitmap, const char* text, int length, GFX_Rect* rect, unsigned flags) override;
    uint32_t InkColour() const override { return inkColour; }
    GFX_FontHandle FontHandle() const override { return fontHandle; }
    int LinePitch() const override { return lineHeight; }
    bool RenderGlyph(GFX_IBitmap* bitmap, uint32_t character, int x, int y, const GFX_Rect& clip) override;

    // True when RenderText with these draw flags hands the text to GDI rather than
    // blending cached glyph masks.
    bool DrawsNatively(unsigned flags) const;
    // Glyph masks rendered so far; each character is rendered at most once per handle.
    int RenderedGlyphCount() const { return renderedGlyphs; }

    static int LiveFontCount();
    // Whether the process runs under Wine, whose GDI text into device-independent
    // sections is not trusted. Probed once per process.
    static bool RunningUnderWine();

    static constexpr int kMaxGlyphLineHeight = 255; // taller fonts are always drawn by GDI

private:
    struct GlyphRecord
    {
        int32_t coverage = 0; // 0 not rendered yet, -1 cannot be rendered, else 1 + mask offset
        int32_t width = 0;    // mask size
        int32_t height = 0;
        int32_t advance = 0;
        uint32_t code = 0;
        int32_t bearing = 0;  // mask columns left of the pen position
    };

    const GlyphRecord* Glyph(uint32_t code);
    void RenderGlyphMask(GlyphRecord& glyph);
    bool StoreMask(GlyphRecord& glyph, const uint32_t* pixels, int stride, int width, int height);
    void ClearGlyphs();
    bool DrawGlyph(GFX_IBitmap& bitmap, const GlyphRecord& glyph, int64_t x, int64_t y, const GFX_Rect& clip);
    // Walks the text's glyphs with the pen: carriage returns are skipped, a line feed starts a
    // new line (or counts as a space in single-line text). Calls visit(glyph, penX, lineTop)
    // with the pen relative to the start of the text.
    template <class Visit>
    void WalkGlyphs(const char* text, size_t length, unsigned flags, Visit&& visit);
    int MeasureGlyphs(const char* text, size_t length, unsigned flags, int* width);
    int DrawGlyphs(GFX_IBitmap& bitmap, const char* text, size_t length, const GFX_Rect& rect, unsigned flags);
    int DrawNative(GFX_IBitmap* bitmap, const char* text, size_t length, GFX_Rect* rect, unsigned flags);
    int DrawNativeWithoutContext(GFX_IBitmap* bitmap, const char* text, size_t length, GFX_Rect* rect,
                                 unsigned flags);

    static constexpr int kAsciiGlyphs = 128;

    uint32_t inkColour = 0;
    uint32_t backdropColour = 0xFFFFFFFF;
    uint32_t fxColour = 0xFFFFFFFF;
    int backdropMode = kBackdropTransparent;
    int blendMode = 0;
    float blendWeight = 1.0f;
    int fontFlags = 0;
    int lineHeight = 0;
    int extraLineSpacing = 0;
    GlyphRecord asciiGlyphs[kAsciiGlyphs];
    std::vector<GlyphRecord> otherGlyphs; // sorted by code
    std::vector<uint8_t> coverage;
    GFX_FontHandle fontHandle = nullptr;
    int renderedGlyphs = 0;
};

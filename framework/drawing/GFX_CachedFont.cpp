#include "GFX_CachedFont.h"

#include "GFX_Compositing.h"
#include "GFX_SysBitmap.h"
#include "GFX_Utf8.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <utility>

namespace {

enum class HostEnvironment { Unknown, NotWine, Wine };

// Process-wide state shared by every cached font. Touched only on the user-interface thread.
struct SharedFontState
{
    GFX_SysBitmap* glyphSurface = nullptr; // glyphs are rendered and fonts measured here
    GFX_SysBitmap* textSurface = nullptr;  // native text for bitmaps without a device context
    int liveFonts = 0;
    HostEnvironment environment = HostEnvironment::Unknown;
};
SharedFontState shared;

constexpr int kGlyphSurfaceMinimum = 256;        // pixels, each direction
constexpr int32_t kGlyphNotRendered = 0;
constexpr int32_t kGlyphUnavailable = -1;
constexpr size_t kGlyphGrowthBytes = 4096;
constexpr size_t kCoverageGrowthBytes = 65536;
constexpr int kLocalTextCharacters = 1024;       // longer texts are converted into the heap
constexpr int kFullWeight = 256;
constexpr unsigned kStrippedTopBit = 0x7FFFFFFFu;
constexpr unsigned kHorizontalAlignment = kTextCentre | kTextRight;
constexpr unsigned kVerticalAlignment = kTextVerticalCentre | kTextBottom;
constexpr uint32_t kOpaqueBlack = 0xFF000000u;

HDC AsDC(GFX_DeviceContext dc)
{
    return static_cast<HDC>(dc);
}

HFONT AsFont(GFX_FontHandle font)
{
    return static_cast<HFONT>(font);
}

COLORREF ToColorRef(uint32_t colour)
{
    return RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
}

RECT ToRECT(const GFX_Rect& r)
{
    return RECT{r.left, r.top, r.right, r.bottom};
}

int32_t Saturate(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

GFX_SysBitmap* GlyphSurface()
{
    if (!shared.glyphSurface) {
        shared.glyphSurface = new (std::nothrow) GFX_SysBitmap;
        if (!shared.glyphSurface)
            return nullptr;
    }
    if (shared.glyphSurface->Width() < kGlyphSurfaceMinimum || shared.glyphSurface->Height() < kGlyphSurfaceMinimum) {
        shared.glyphSurface->SetSize(kGlyphSurfaceMinimum, kGlyphSurfaceMinimum);
        if (HDC dc = AsDC(shared.glyphSurface->DeviceContext())) {
            SetTextColor(dc, RGB(255, 255, 255));
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, RGB(0, 0, 0));
        }
    }
    return shared.glyphSurface;
}

GFX_SysBitmap* TextSurface()
{
    if (!shared.textSurface)
        shared.textSurface = new (std::nothrow) GFX_SysBitmap;
    return shared.textSurface;
}

// Grows a surface so that it holds at least width x height pixels; never shrinks it.
bool EnsureSurfaceSize(GFX_SysBitmap& surface, int width, int height)
{
    if (surface.Width() >= width && surface.Height() >= height && surface.Pixels())
        return true;
    surface.SetSize(std::max(surface.Width(), width), std::max(surface.Height(), height));
    return surface.Width() >= width && surface.Height() >= height && surface.Pixels();
}

// The text as GDI takes it: UTF-16 when it holds well-formed multi-byte UTF-8, otherwise
// its own bytes (which is also the fallback when strict conversion fails).
class GdiText
{
public:
    GdiText(const char* text, size_t length)
        : bytes(text), byteCount(int(std::min<size_t>(length, INT_MAX)))
    {
        if (!ContainsMultiByteUtf8(text, size_t(byteCount)))
            return;
        const int needed = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, byteCount, nullptr, 0);
        if (needed <= 0)
            return;
        wchar_t* target = local;
        if (needed > kLocalTextCharacters) {
            heap = new (std::nothrow) wchar_t[size_t(needed)];
            target = heap;
        }
        if (target && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, byteCount, target, needed) == needed) {
            wide = target;
            wideCount = needed;
        }
    }
    ~GdiText() { delete[] heap; }
    GdiText(const GdiText&) = delete;
    GdiText& operator=(const GdiText&) = delete;

    int Draw(HDC dc, RECT* rect, UINT format) const
    {
        if (wide)
            return DrawTextW(dc, wide, wideCount, rect, format);
        return DrawTextA(dc, bytes, byteCount, rect, format);
    }

private:
    const char* bytes;
    int byteCount;
    wchar_t local[kLocalTextCharacters];
    wchar_t* heap = nullptr;
    const wchar_t* wide = nullptr;
    int wideCount = 0;
};

// One character as UTF-16 code units.
int ToUtf16(uint32_t code, wchar_t units[2])
{
    if (code < 0x10000) {
        units[0] = wchar_t(code);
        return 1;
    }
    code -= 0x10000;
    units[0] = wchar_t(0xD800 + (code >> 10));
    units[1] = wchar_t(0xDC00 + (code & 0x3FF));
    return 2;
}

// GDI leaves the alpha byte of every pixel it draws at 0. Pixels whose alpha GDI changed
// were drawn, and text is opaque.
void RestoreAlphaAfterGdi(GFX_IBitmap& drawn, GFX_IBitmap& original, const GFX_Rect& area)
{
    const int width = area.right - area.left, height = area.bottom - area.top;
    for (int y = 0; y < height; ++y) {
        uint32_t* row = drawn.Pixels() + ptrdiff_t(y) * drawn.RowStride();
        const uint32_t* before = original.Pixels() + ptrdiff_t(area.top + y) * original.RowStride() + area.left;
        for (int x = 0; x < width; ++x) {
            if ((row[x] ^ before[x]) & 0xFF000000u)
                row[x] |= 0xFF000000u;
        }
    }
}

// Where text of `size` starts within `space` beginning at `start`: centred text moves by half
// the free space (truncated toward zero), text on the far edge by all of it.
int64_t AlignedStart(int64_t start, int64_t space, int64_t size, bool centre, bool farEdge)
{
    if (centre)
        return start + (space - size) / 2;
    if (farEdge)
        return start + (space - size);
    return start;
}

} // namespace

GFX_CachedFont::GFX_CachedFont()
{
    ++shared.liveFonts;
    for (int code = 0; code < kAsciiGlyphs; ++code)
        asciiGlyphs[code].code = uint32_t(code);
}

GFX_CachedFont::~GFX_CachedFont()
{
    if ((fontFlags & kFontOwnsHandle) && fontHandle)
        DeleteObject(AsFont(fontHandle));
    if (--shared.liveFonts == 0) {
        delete shared.glyphSurface;
        delete shared.textSurface;
        shared.glyphSurface = nullptr;
        shared.textSurface = nullptr;
    }
}

int GFX_CachedFont::LiveFontCount()
{
    return shared.liveFonts;
}

bool GFX_CachedFont::RunningUnderWine()
{
    if (shared.environment == HostEnvironment::Unknown) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine", 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegCloseKey(key);
            shared.environment = HostEnvironment::Wine;
        } else {
            shared.environment = HostEnvironment::NotWine;
        }
    }
    return shared.environment == HostEnvironment::Wine;
}

void GFX_CachedFont::AdoptFontHandle(GFX_FontHandle font, int flags)
{
    if ((fontFlags & kFontOwnsHandle) && fontHandle && fontHandle != font)
        DeleteObject(AsFont(fontHandle));
    fontFlags = flags;
    fontHandle = font;
    lineHeight = 0;

    if (font) {
        GFX_SysBitmap* surface = GlyphSurface();
        if (HDC dc = surface ? AsDC(surface->DeviceContext()) : nullptr) {
            HGDIOBJ previous = SelectObject(dc, AsFont(font));
            TEXTMETRICW metrics{};
            if (GetTextMetricsW(dc, &metrics))
                lineHeight = metrics.tmHeight;
            SelectObject(dc, previous);
        }
    }

    ClearGlyphs();
    if (fontFlags & kFontPrerenderAscii) {
        for (uint32_t code = 0; code < uint32_t(kAsciiGlyphs); ++code)
            Glyph(code);
    }
}

uint32_t GFX_CachedFont::SetInkColour(uint32_t colour)
{
    return std::exchange(inkColour, colour);
}

uint32_t GFX_CachedFont::SetBackdropColour(uint32_t colour)
{
    return std::exchange(backdropColour, colour);
}

uint32_t GFX_CachedFont::SetFxColour(uint32_t colour)
{
    return std::exchange(fxColour, colour);
}

int GFX_CachedFont::SetBackdropMode(int mode)
{
    return std::exchange(backdropMode, mode);
}

void GFX_CachedFont::SetBlend(int mode, float weight)
{
    blendMode = mode;
    blendWeight = weight;
}

bool GFX_CachedFont::DrawsNatively(unsigned flags) const
{
    flags &= kStrippedTopBit;
    if (lineHeight > kMaxGlyphLineHeight)
        return true;
    return (fontFlags & kFontPreferNative) && fontHandle && !RunningUnderWine() && !(flags & kTextUseInkAlpha) &&
           !(fontFlags & kFontEffectFlags) && (extraLineSpacing == 0 || (flags & kTextSingleLine));
}

int GFX_CachedFont::RenderText(GFX_IBitmap* bitmap, const char* text, int length, GFX_Rect* rect, unsigned flags)
{
    flags &= kStrippedTopBit;
    if (!text || !rect || (!bitmap && !(flags & kTextCalculate)))
        return 0;
    const size_t textLength = length < 0 ? std::strlen(text) : size_t(length);

    if (DrawsNatively(flags))
        return DrawNative(bitmap, text, textLength, rect, flags);

    if (flags & kTextCalculate) {
        int width = 0;
        const int height = MeasureGlyphs(text, textLength, flags, &width);
        rect->right = Saturate(int64_t(rect->left) + width);
        rect->bottom = Saturate(int64_t(rect->top) + height);
        return height;
    }
    return DrawGlyphs(*bitmap, text, textLength, *rect, flags);
}

bool GFX_CachedFont::RenderGlyph(GFX_IBitmap* bitmap, uint32_t character, int x, int y, const GFX_Rect& clip)
{
    if (!bitmap)
        return false;
    const GlyphRecord* glyph = Glyph(character);
    return glyph && DrawGlyph(*bitmap, *glyph, x, y, clip);
}

// ---- glyph cache ----

const GFX_CachedFont::GlyphRecord* GFX_CachedFont::Glyph(uint32_t code)
{
    GlyphRecord* glyph = nullptr;
    if (code < uint32_t(kAsciiGlyphs)) {
        glyph = &asciiGlyphs[code];
    } else {
        auto it = std::lower_bound(otherGlyphs.begin(), otherGlyphs.end(), code,
                                   [](const GlyphRecord& g, uint32_t c) { return g.code < c; });
        if (it == otherGlyphs.end() || it->code != code) {
            const auto index = it - otherGlyphs.begin();
            try {
                if (otherGlyphs.size() == otherGlyphs.capacity())
                    otherGlyphs.reserve(otherGlyphs.capacity() + kGlyphGrowthBytes / sizeof(GlyphRecord));
                GlyphRecord record;
                record.code = code;
                it = otherGlyphs.insert(otherGlyphs.begin() + index, record);
            } catch (const std::bad_alloc&) {
                return nullptr;
            }
        }
        glyph = &*it;
    }
    if (glyph->coverage == kGlyphNotRendered)
        RenderGlyphMask(*glyph);
    return glyph->coverage > 0 ? glyph : nullptr;
}

// Draws the character white on black in the shared glyph surface and keeps its red
// channel as the coverage mask. A pad on both sides catches overhanging strokes.
void GFX_CachedFont::RenderGlyphMask(GlyphRecord& glyph)
{
    ++renderedGlyphs;
    glyph.coverage = kGlyphUnavailable;
    GFX_SysBitmap* surface = GlyphSurface();
    HDC dc = surface ? AsDC(surface->DeviceContext()) : nullptr;
    if (!fontHandle || !dc)
        return;

    const int side = lineHeight * 2 + 8;
    if (!EnsureSurfaceSize(*surface, side, side))
        return;

    wchar_t units[2];
    const int unitCount = ToUtf16(glyph.code, units);
    HGDIOBJ previous = SelectObject(dc, AsFont(fontHandle));
    RECT measured{0, 0, 0, 0};
    DrawTextW(dc, units, unitCount, &measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const int width = measured.right - measured.left;
    const int height = measured.bottom - measured.top;
    const int pad = lineHeight < 16 ? 2 : lineHeight / 16 + 2;
    const int maskWidth = width + 2 * pad;

    if (width > 0 && height > 0 && EnsureSurfaceSize(*surface, maskWidth, height)) {
        GdiFlush();
        FillArea(surface, 0, 0, maskWidth, height, kOpaqueBlack, 1.0f, kBlitCopy);
        RECT box{pad, 0, pad + width, height};
        DrawTextW(dc, units, unitCount, &box, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
        GdiFlush();
        if (StoreMask(glyph, surface->Pixels(), surface->RowStride(), maskWidth, height)) {
            glyph.advance = width;
            glyph.bearing = pad;
        }
    }
    SelectObject(dc, previous);
}

bool GFX_CachedFont::StoreMask(GlyphRecord& glyph, const uint32_t* pixels, int stride, int width, int height)
{
    const size_t offset = coverage.size();
    const size_t bytes = size_t(width) * size_t(height);
    if (bytes > size_t(INT32_MAX) - 1 - offset) // the record keeps offset + 1 in 32 bits
        return false;
    try {
        if (coverage.capacity() - offset < bytes)
            coverage.reserve((offset + bytes + kCoverageGrowthBytes - 1) / kCoverageGrowthBytes * kCoverageGrowthBytes);
        coverage.resize(offset + bytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    uint8_t* mask = coverage.data() + offset;
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = pixels + ptrdiff_t(y) * stride;
        for (int x = 0; x < width; ++x)
            *mask++ = uint8_t(row[x] >> 16);
    }
    glyph.coverage = int32_t(offset + 1);
    glyph.width = width;
    glyph.height = height;
    return true;
}

void GFX_CachedFont::ClearGlyphs()
{
    for (int code = 0; code < kAsciiGlyphs; ++code) {
        asciiGlyphs[code] = GlyphRecord{};
        asciiGlyphs[code].code = uint32_t(code);
    }
    otherGlyphs.clear();
    coverage.clear();
}

// ---- glyph path ----

bool GFX_CachedFont::DrawGlyph(GFX_IBitmap& bitmap, const GlyphRecord& glyph, int64_t x, int64_t y,
                               const GFX_Rect& clip)
{
    uint32_t* pixels = bitmap.Pixels();
    if (!pixels || glyph.coverage <= 0)
        return false;

    const int64_t boxLeft = x - glyph.bearing;
    const int64_t boxTop = y;
    const int64_t left = std::max({boxLeft, int64_t(clip.left), int64_t(0)});
    const int64_t top = std::max({boxTop, int64_t(clip.top), int64_t(0)});
    const int64_t right = std::min({boxLeft + glyph.width, int64_t(clip.right), int64_t(bitmap.Width())});
    const int64_t bottom = std::min({boxTop + glyph.height, int64_t(clip.bottom), int64_t(bitmap.Height())});
    if (right <= left || bottom <= top)
        return false;

    if (backdropMode == kBackdropOpaque)
        FillArea(&bitmap, int(left), int(top), int(right - left), int(bottom - top), backdropColour, blendWeight,
                 blendMode & ~kBlitUseSourceAlpha);
    if (blendMode != 0)
        return true;

    const int weight = blendWeight > 0.0f ? int(std::min(blendWeight, 1.0f) * float(kFullWeight)) : 0;
    if (weight == 0)
        return true;
    const ptrdiff_t stride = bitmap.RowStride();
    const uint8_t* mask = coverage.data() + (glyph.coverage - 1);
    for (int64_t py = top; py < bottom; ++py) {
        const uint8_t* maskRow = mask + (py - boxTop) * glyph.width + (left - boxLeft);
        BlendCoverageRow(pixels + py * stride + left, maskRow, size_t(right - left), inkColour, weight);
    }
    return true;
}

template <class Visit>
void GFX_CachedFont::WalkGlyphs(const char* text, size_t length, unsigned flags, Visit&& visit)
{
    int64_t penX = 0, lineTop = 0;
    for (size_t position = 0; position < length;) {
        uint32_t code = DecodeUtf8Character(text, length, &position);
        if (code == '\r')
            continue;
        if (code == '\n') {
            if (!(flags & kTextSingleLine)) {
                penX = 0;
                lineTop += lineHeight + extraLineSpacing;
                continue;
            }
            code = ' ';
        }
        const GlyphRecord* glyph = Glyph(code);
        if (!glyph)
            continue;
        visit(*glyph, penX, lineTop);
        penX += glyph->advance;
    }
}

// Measures with the same pen walk as drawing: width covers every advance and every mask's
// right edge, height every line's tallest mask. Returns the height.
int GFX_CachedFont::MeasureGlyphs(const char* text, size_t length, unsigned flags, int* width)
{
    int64_t right = 0, bottom = 0;
    WalkGlyphs(text, length, flags, [&](const GlyphRecord& glyph, int64_t penX, int64_t lineTop) {
        right = std::max({right, penX + glyph.advance, penX + glyph.width - glyph.bearing});
        bottom = std::max(bottom, lineTop + glyph.height);
    });
    *width = Saturate(right);
    return Saturate(bottom);
}

int GFX_CachedFont::DrawGlyphs(GFX_IBitmap& bitmap, const char* text, size_t length, const GFX_Rect& rect,
                               unsigned flags)
{
    const float savedWeight = blendWeight;
    if (flags & kTextUseInkAlpha)
        blendWeight *= float(inkColour >> 24) / 255.0f;
    if (blendWeight == 0.0f) {
        blendWeight = savedWeight;
        return 0;
    }

    int64_t startX = rect.left, startY = rect.top;
    if (flags & (kHorizontalAlignment | kVerticalAlignment)) {
        int textWidth = 0;
        const int textHeight = MeasureGlyphs(text, length, flags, &textWidth);
        startX = AlignedStart(rect.left, int64_t(rect.right) - rect.left, textWidth, flags & kTextCentre,
                              flags & kTextRight);
        startY = AlignedStart(rect.top, int64_t(rect.bottom) - rect.top, textHeight, flags & kTextVerticalCentre,
                              flags & kTextBottom);
    }

    GFX_Rect clip{0, 0, bitmap.Width(), bitmap.Height()};
    if (!(flags & kTextNoClip)) {
        clip.left = std::max(clip.left, rect.left);
        clip.top = std::max(clip.top, rect.top);
        clip.right = std::min(clip.right, rect.right);
        clip.bottom = std::min(clip.bottom, rect.bottom);
    }
    int64_t bottom = 0;
    if (clip.right > clip.left && clip.bottom > clip.top) {
        WalkGlyphs(text, length, flags, [&](const GlyphRecord& glyph, int64_t penX, int64_t lineTop) {
            DrawGlyph(bitmap, glyph, startX + penX, startY + lineTop, clip);
            bottom = std::max(bottom, lineTop + glyph.height);
        });
    }
    blendWeight = savedWeight;
    return Saturate(bottom);
}

// ---- native path ----

int GFX_CachedFont::DrawNative(GFX_IBitmap* bitmap, const char* text, size_t length, GFX_Rect* rect, unsigned flags)
{
    HDC dc = bitmap ? AsDC(bitmap->DeviceContext()) : nullptr;
    if (!dc)
        return DrawNativeWithoutContext(bitmap, text, length, rect, flags);

    const GdiText gdiText(text, length);
    HGDIOBJ previous = SelectObject(dc, AsFont(fontHandle));
    SetTextColor(dc, ToColorRef(inkColour));
    SetBkMode(dc, backdropMode);
    if (backdropMode == kBackdropOpaque)
        SetBkColor(dc, ToColorRef(backdropColour));
    RECT box = ToRECT(*rect);
    const int height = gdiText.Draw(dc, &box, (flags & ~kTextUseInkAlpha) | DT_NOPREFIX);
    if (flags & kTextCalculate)
        *rect = GFX_Rect{box.left, box.top, box.right, box.bottom};
    SelectObject(dc, previous);
    GdiFlush();
    return height;
}

// Measures in the scratch surface, copies the destination area there, lets GDI draw and
// copies the area back with the font's weight.
int GFX_CachedFont::DrawNativeWithoutContext(GFX_IBitmap* bitmap, const char* text, size_t length, GFX_Rect* rect,
                                             unsigned flags)
{
    GFX_SysBitmap* scratch = TextSurface();
    HDC dc = scratch ? AsDC(scratch->DeviceContext()) : nullptr;
    if (!dc)
        return 0;

    const GdiText gdiText(text, length);
    HGDIOBJ previous = SelectObject(dc, AsFont(fontHandle));
    const unsigned drawFlags = (flags & ~(kTextCalculate | kTextUseInkAlpha)) | DT_NOPREFIX;
    RECT measured{0, 0, Saturate(int64_t(rect->right) - rect->left), Saturate(int64_t(rect->bottom) - rect->top)};
    gdiText.Draw(dc, &measured, (drawFlags & ~(kHorizontalAlignment | kVerticalAlignment)) | DT_CALCRECT);
    const int64_t textWidth = measured.right - measured.left;
    const int64_t textHeight = measured.bottom - measured.top;

    int result = 0;
    if (flags & kTextCalculate) {
        rect->right = Saturate(rect->left + textWidth);
        rect->bottom = Saturate(rect->top + textHeight);
        result = int(textHeight);
    } else if (bitmap && bitmap->Pixels()) {
        const int64_t x = AlignedStart(rect->left, int64_t(rect->right) - rect->left, textWidth, flags & kTextCentre,
                                       flags & kTextRight);
        const int64_t y = AlignedStart(rect->top, int64_t(rect->bottom) - rect->top, textHeight,
                                       flags & kTextVerticalCentre, flags & kTextBottom);
        int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
        int64_t right = std::min<int64_t>(x + textWidth, bitmap->Width());
        int64_t bottom = std::min<int64_t>(y + textHeight, bitmap->Height());
        if (!(flags & kTextNoClip)) {
            left = std::max<int64_t>(left, rect->left);
            top = std::max<int64_t>(top, rect->top);
            right = std::min<int64_t>(right, rect->right);
            bottom = std::min<int64_t>(bottom, rect->bottom);
        }
        const GFX_Rect area{int32_t(left), int32_t(top), int32_t(right), int32_t(bottom)};
        if (right > left && bottom > top && EnsureSurfaceSize(*scratch, int(right - left), int(bottom - top))) {
            GdiFlush();
            BlitRegion(scratch, bitmap, 0, 0, &area, 1.0f, kBlitCopy);
            SetTextColor(dc, ToColorRef(inkColour));
            SetBkMode(dc, backdropMode);
            if (backdropMode == kBackdropOpaque)
                SetBkColor(dc, ToColorRef(backdropColour));
            RECT box{LONG(x - left), LONG(y - top), LONG(x - left + textWidth), LONG(y - top + textHeight)};
            gdiText.Draw(dc, &box, drawFlags & ~kVerticalAlignment);
            GdiFlush();
            RestoreAlphaAfterGdi(*scratch, *bitmap, area);
            const GFX_Rect drawn{0, 0, area.right - area.left, area.bottom - area.top};
            BlitRegion(bitmap, scratch, area.left, area.top, &drawn, blendWeight, kBlitCopy);
            result = int(textHeight);
        }
    }
    SelectObject(dc, previous);
    return result;
}

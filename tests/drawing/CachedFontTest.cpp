#include "GFX_CachedFont.h"
#include "GFX_Compositing.h"
#include "GFX_MemBitmap.h"
#include "GFX_SysBitmap.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kRedInk = 0xFFFF0000u;
constexpr int kEditorTextSize = 12;
constexpr int kTallTextSize = 300; // beyond the glyph cache's line height

HFONT MakeFont(int height)
{
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Verdana");
}

// The editor's fonts: owned handle, native drawing preferred.
std::unique_ptr<GFX_CachedFont> MakeCachedFont(int height, int flags = kFontOwnsHandle | kFontPreferNative)
{
    auto font = std::make_unique<GFX_CachedFont>();
    font->AdoptFontHandle(MakeFont(height), flags);
    font->SetInkColour(kRedInk);
    return font;
}

// Wine's ntdll exports its version; Windows' does not.
bool HasWineExport()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

uint32_t& At(GFX_IBitmap& bitmap, int x, int y)
{
    return bitmap.Pixels()[ptrdiff_t(y) * bitmap.RowStride() + x];
}

void Clear(GFX_IBitmap& bitmap, uint32_t colour)
{
    FillArea(&bitmap, 0, 0, bitmap.Width(), bitmap.Height(), colour, 1.0f, kBlitCopy);
}

bool Contains(const GFX_Rect& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Red ink on white: a pixel is inked once its green channel has dropped below half.
struct InkSurvey
{
    int inked = 0;             // inked pixels inside the rectangle
    int changedOutside = 0;    // pixels outside that differ from the background
    int minGreen = 255;        // darkest green channel inside
    int minX = INT_MAX, maxX = INT_MIN, minY = INT_MAX, maxY = INT_MIN; // inked bounds
    bool inkedOpaque = true;
};

InkSurvey Survey(GFX_IBitmap& bitmap, const GFX_Rect& rect, uint32_t background = kWhite)
{
    GdiFlush();
    InkSurvey s;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            const uint32_t p = At(bitmap, x, y);
            if (!Contains(rect, x, y)) {
                s.changedOutside += p != background;
                continue;
            }
            const int green = int((p >> 8) & 0xFF);
            s.minGreen = std::min(s.minGreen, green);
            if (green < 128 && ((p >> 16) & 0xFF) > 200) {
                ++s.inked;
                s.minX = std::min(s.minX, x);
                s.maxX = std::max(s.maxX, x);
                s.minY = std::min(s.minY, y);
                s.maxY = std::max(s.maxY, y);
                s.inkedOpaque = s.inkedOpaque && (p >> 24) == 0xFF;
            }
        }
    }
    return s;
}

TEST(CachedFont, ProbeRecognisesWine)
{
    EXPECT_EQ(GFX_CachedFont::RunningUnderWine(), HasWineExport());
}

TEST(CachedFont, PathChoice)
{
    auto editorFont = MakeCachedFont(kEditorTextSize);
    EXPECT_EQ(editorFont->DrawsNatively(0), !GFX_CachedFont::RunningUnderWine());
    EXPECT_EQ(editorFont->DrawsNatively(kTextCentre | kTextNoClip), !GFX_CachedFont::RunningUnderWine());
    // Translucent text can only be blended by the glyph path.
    EXPECT_FALSE(editorFont->DrawsNatively(kTextUseInkAlpha));
    EXPECT_FALSE(editorFont->DrawsNatively(kTextUseInkAlpha | 0x80000000u));

    EXPECT_FALSE(MakeCachedFont(kEditorTextSize, kFontOwnsHandle)->DrawsNatively(0));
    EXPECT_FALSE(MakeCachedFont(kEditorTextSize, kFontOwnsHandle | kFontPreferNative | 0x10)->DrawsNatively(0));
    // Too tall for glyph masks: always GDI.
    auto tall = MakeCachedFont(kTallTextSize, kFontOwnsHandle);
    EXPECT_GT(tall->LinePitch(), GFX_CachedFont::kMaxGlyphLineHeight);
    EXPECT_TRUE(tall->DrawsNatively(0));
}

TEST(CachedFont, MeasuresAReadoutPlausibly)
{
    auto font = MakeCachedFont(kEditorTextSize);
    EXPECT_GE(font->LinePitch(), 10);
    EXPECT_LE(font->LinePitch(), 16);

    GFX_Rect rect{5, 7, 0, 0};
    const int height = font->RenderText(nullptr, "0.33", -1, &rect, kTextCalculate);
    EXPECT_EQ(rect.left, 5);
    EXPECT_EQ(rect.top, 7);
    EXPECT_EQ(rect.bottom - rect.top, height);
    EXPECT_GE(height, 10);
    EXPECT_LE(height, 20);
    EXPECT_GE(rect.right - rect.left, 14); // four characters, one of them narrow
    EXPECT_LE(rect.right - rect.left, 48);

    GFX_Rect longer{0, 0, 0, 0};
    font->RenderText(nullptr, "0.333", -1, &longer, kTextCalculate);
    EXPECT_GT(longer.right, rect.right - rect.left);
    GFX_Rect prefix{0, 0, 0, 0};
    font->RenderText(nullptr, "0.333", 4, &prefix, kTextCalculate);
    EXPECT_EQ(prefix.right, rect.right - rect.left);
}

TEST(CachedFont, LinesStackUnlessSingleLine)
{
    auto font = MakeCachedFont(kEditorTextSize);
    GFX_Rect one{0, 0, 0, 0}, two{0, 0, 0, 0}, joined{0, 0, 0, 0}, spaced{0, 0, 0, 0};
    font->RenderText(nullptr, "03", -1, &one, kTextCalculate);
    font->RenderText(nullptr, "0\r\n3", -1, &two, kTextCalculate);
    font->RenderText(nullptr, "0\n3", -1, &joined, kTextCalculate | kTextSingleLine);
    font->RenderText(nullptr, "0 3", -1, &spaced, kTextCalculate | kTextSingleLine);
    EXPECT_EQ(two.bottom, one.bottom + font->LinePitch());
    EXPECT_LT(two.right, one.right);
    EXPECT_EQ(joined.bottom, one.bottom);
    EXPECT_EQ(joined.right, spaced.right);
}

TEST(CachedFont, GlyphsAreRenderedOncePerCharacter)
{
    auto font = MakeCachedFont(kEditorTextSize, kFontOwnsHandle);
    EXPECT_EQ(font->RenderedGlyphCount(), 0);
    GFX_Rect rect{0, 0, 0, 0};
    font->RenderText(nullptr, "0.33", -1, &rect, kTextCalculate);
    EXPECT_EQ(font->RenderedGlyphCount(), 3);

    GFX_MemBitmap bitmap;
    bitmap.SetSize(64, 20);
    GFX_Rect box{0, 0, 64, 20};
    font->RenderText(&bitmap, "0.33", -1, &box, 0);
    font->RenderText(&bitmap, "3.0", -1, &box, 0);
    EXPECT_EQ(font->RenderedGlyphCount(), 3);

    font->RenderText(&bitmap, "\xC3\xA9\xE2\x82\xAC", -1, &box, 0); // two characters beyond ASCII
    EXPECT_EQ(font->RenderedGlyphCount(), 5);
    font->RenderText(&bitmap, "\xE2\x82\xAC\xC3\xA9 0", -1, &box, 0);
    EXPECT_EQ(font->RenderedGlyphCount(), 6); // only the space is new

    // A new handle starts a new cache.
    font->AdoptFontHandle(MakeFont(kEditorTextSize + 2), kFontOwnsHandle);
    font->RenderText(&bitmap, "0", -1, &box, 0);
    EXPECT_EQ(font->RenderedGlyphCount(), 7);
}

TEST(CachedFont, PrerenderFlagRendersAscii)
{
    auto font = MakeCachedFont(kEditorTextSize, kFontOwnsHandle | kFontPrerenderAscii);
    EXPECT_EQ(font->RenderedGlyphCount(), 128);
    GFX_Rect rect{0, 0, 0, 0};
    font->RenderText(nullptr, "Tessivane 0.33", -1, &rect, kTextCalculate);
    EXPECT_EQ(font->RenderedGlyphCount(), 128);
}

// Draws centred red text into a white bitmap and checks that ink lands only inside `rect`.
// GDI leaves the alpha of what it draws into a device context at 0; every other path
// draws opaque text.
void ExpectCentredTextInside(GFX_CachedFont& font, GFX_IBitmap& bitmap, const GFX_Rect& rect, const char* text,
                             bool opaqueInk = true)
{
    Clear(bitmap, kWhite);
    GFX_Rect box = rect;
    const int height = font.RenderText(&bitmap, text, -1, &box, kTextCentre | kTextVerticalCentre | kTextSingleLine);
    EXPECT_GT(height, 0);
    const InkSurvey survey = Survey(bitmap, rect);
    EXPECT_GT(survey.inked, 5);
    EXPECT_EQ(survey.changedOutside, 0);
    if (opaqueInk) {
        EXPECT_TRUE(survey.inkedOpaque);
    }
    // Centred: the inked area's middle lies near the rectangle's middle.
    EXPECT_NEAR((survey.minX + survey.maxX) / 2.0, (rect.left + rect.right) / 2.0, 4.0 + height / 8.0);
    EXPECT_NEAR((survey.minY + survey.maxY) / 2.0, (rect.top + rect.bottom) / 2.0, 4.0 + height / 4.0);
}

TEST(CachedFont, GlyphPathIntoAMemoryBitmap)
{
    auto font = MakeCachedFont(kEditorTextSize);
    GFX_MemBitmap bitmap;
    bitmap.SetSize(120, 40);
    ExpectCentredTextInside(*font, bitmap, GFX_Rect{10, 5, 110, 35}, "0.33");
    EXPECT_EQ(font->RenderedGlyphCount(), 3);
}

TEST(CachedFont, EditorFontIntoASystemBitmap)
{
    // Under Wine the probe sends even a native-preferring font down the glyph path.
    auto font = MakeCachedFont(kEditorTextSize);
    GFX_SysBitmap bitmap;
    bitmap.SetSize(120, 40);
    ExpectCentredTextInside(*font, bitmap, GFX_Rect{10, 5, 110, 35}, "0.33");
    EXPECT_EQ(font->RenderedGlyphCount(), GFX_CachedFont::RunningUnderWine() ? 3 : 0);
}

TEST(CachedFont, NativePathIntoASystemBitmap)
{
    auto font = MakeCachedFont(kTallTextSize);
    GFX_SysBitmap bitmap;
    bitmap.SetSize(420, 400);
    ExpectCentredTextInside(*font, bitmap, GFX_Rect{40, 20, 380, 390}, "0", false);
    EXPECT_EQ(font->RenderedGlyphCount(), 0);
}

TEST(CachedFont, NativePathIntoAMemoryBitmap)
{
    // No device context: GDI draws into the scratch surface, which is copied back.
    auto font = MakeCachedFont(kTallTextSize);
    GFX_MemBitmap bitmap;
    bitmap.SetSize(420, 400);
    ExpectCentredTextInside(*font, bitmap, GFX_Rect{40, 20, 380, 390}, "0");
    EXPECT_EQ(font->RenderedGlyphCount(), 0);

    GFX_Rect measured{3, 4, 0, 0};
    const int height = font->RenderText(&bitmap, "0", -1, &measured, kTextCalculate);
    EXPECT_EQ(measured.left, 3);
    EXPECT_EQ(measured.bottom - measured.top, height);
    EXPECT_GT(measured.right - measured.left, 100);
}

TEST(CachedFont, NativeTextClipsToItsRectangle)
{
    auto font = MakeCachedFont(kTallTextSize);
    GFX_SysBitmap system;
    system.SetSize(300, 300);
    GFX_MemBitmap memory;
    memory.SetSize(300, 300);
    for (GFX_IBitmap* bitmap : {static_cast<GFX_IBitmap*>(&system), static_cast<GFX_IBitmap*>(&memory)}) {
        Clear(*bitmap, kWhite);
        GFX_Rect rect{20, 20, 60, 280}; // narrower than the glyph
        font->RenderText(bitmap, "0", -1, &rect, 0);
        const InkSurvey survey = Survey(*bitmap, GFX_Rect{20, 20, 60, 280});
        EXPECT_GT(survey.inked, 0);
        EXPECT_EQ(survey.changedOutside, 0);
    }
}

TEST(CachedFont, InkAlphaWeighsTheGlyphs)
{
    auto font = MakeCachedFont(kEditorTextSize);
    GFX_MemBitmap bitmap;
    bitmap.SetSize(80, 30);
    const GFX_Rect rect{0, 0, 80, 30};

    Clear(bitmap, kWhite);
    GFX_Rect box = rect;
    font->RenderText(&bitmap, "0.33", -1, &box, kTextUseInkAlpha);
    const int solidGreen = Survey(bitmap, rect).minGreen;

    Clear(bitmap, kWhite);
    font->SetInkColour(0x80FF0000u);
    font->RenderText(&bitmap, "0.33", -1, &box, kTextUseInkAlpha);
    const InkSurvey half = Survey(bitmap, rect);
    EXPECT_LT(solidGreen, half.minGreen);
    EXPECT_GE(half.minGreen, 128); // at most half way to the ink
    EXPECT_LT(half.minGreen, 255); // but drawn

    Clear(bitmap, kWhite);
    font->SetInkColour(0x00FF0000u);
    EXPECT_EQ(font->RenderText(&bitmap, "0.33", -1, &box, kTextUseInkAlpha), 0);
    EXPECT_EQ(Survey(bitmap, GFX_Rect{}).changedOutside, 0);
}

TEST(CachedFont, OpaqueBackdropFillsBehindTheGlyphs)
{
    auto font = MakeCachedFont(kEditorTextSize, kFontOwnsHandle);
    EXPECT_EQ(font->SetBackdropMode(kBackdropOpaque), kBackdropTransparent);
    EXPECT_EQ(font->SetBackdropColour(0xFF0000FFu), 0xFFFFFFFFu);
    GFX_MemBitmap bitmap;
    bitmap.SetSize(80, 30);
    Clear(bitmap, kWhite);
    GFX_Rect rect{10, 5, 70, 25};
    font->RenderText(&bitmap, "0 3", -1, &rect, 0);
    int blue = 0, outside = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x) {
            const uint32_t p = At(bitmap, x, y);
            if (!Contains(rect, x, y))
                outside += p != kWhite;
            else
                blue += p == 0xFF0000FFu;
        }
    EXPECT_GT(blue, 20);
    EXPECT_EQ(outside, 0);
}

TEST(CachedFont, EmptyClipsAndExtremeRectanglesAreSafe)
{
    auto font = MakeCachedFont(kEditorTextSize);
    GFX_MemBitmap bitmap;
    bitmap.SetSize(40, 20);
    Clear(bitmap, kWhite);

    GFX_Rect inverted{30, 10, 5, 2};
    EXPECT_EQ(font->RenderText(&bitmap, "0.33", -1, &inverted, 0), 0);
    GFX_Rect away{1000, 1000, 2000, 2000};
    EXPECT_EQ(font->RenderText(&bitmap, "0.33", -1, &away, 0), 0);
    GFX_Rect left{INT_MIN, INT_MIN, INT_MIN + 10, INT_MIN + 10};
    font->RenderText(&bitmap, "0.33", -1, &left, kTextNoClip);
    GFX_Rect right{INT_MAX - 10, INT_MAX - 10, INT_MAX, INT_MAX};
    font->RenderText(&bitmap, "0.33", -1, &right, kTextNoClip | kTextRight | kTextBottom);
    EXPECT_EQ(Survey(bitmap, GFX_Rect{}).changedOutside, 0);

    GFX_Rect everything{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    font->RenderText(&bitmap, "0.33", -1, &everything, kTextCentre | kTextVerticalCentre);
    GFX_Rect measured{INT_MAX - 1, INT_MAX - 1, 0, 0};
    font->RenderText(nullptr, "0.33", -1, &measured, kTextCalculate);
    EXPECT_EQ(measured.right, INT_MAX);

    EXPECT_EQ(font->RenderText(nullptr, "0.33", -1, &measured, 0), 0);
    EXPECT_EQ(font->RenderText(&bitmap, nullptr, -1, &measured, 0), 0);
    EXPECT_FALSE(font->RenderGlyph(nullptr, '0', 0, 0, GFX_Rect{0, 0, 40, 20}));
    EXPECT_FALSE(font->RenderGlyph(&bitmap, '0', 100, 0, GFX_Rect{0, 0, 40, 20}));
    EXPECT_TRUE(font->RenderGlyph(&bitmap, '0', 10, 2, GFX_Rect{0, 0, 40, 20}));
}

TEST(CachedFont, WeightZeroDrawsNothing)
{
    auto font = MakeCachedFont(kEditorTextSize);
    font->SetBlend(0, 0.0f);
    GFX_MemBitmap bitmap;
    bitmap.SetSize(40, 20);
    Clear(bitmap, kWhite);
    GFX_Rect rect{0, 0, 40, 20};
    EXPECT_EQ(font->RenderText(&bitmap, "0.33", -1, &rect, 0), 0);
    EXPECT_EQ(Survey(bitmap, GFX_Rect{}).changedOutside, 0);
}

TEST(CachedFont, LongMultiByteTextThroughGdi)
{
    std::string text;
    for (int i = 0; i < 700; ++i)
        text += "\xC3\xA9"; // 700 characters of two bytes each, then 700 more
    text += text;
    auto font = MakeCachedFont(kTallTextSize);
    GFX_SysBitmap bitmap;
    bitmap.SetSize(200, 400);
    GFX_Rect rect{0, 0, 0, 0};
    EXPECT_GT(font->RenderText(&bitmap, text.c_str(), -1, &rect, kTextCalculate | kTextSingleLine), 0);
    EXPECT_GT(rect.right, 1000);
    GFX_Rect box{0, 0, 200, 400};
    EXPECT_GT(font->RenderText(&bitmap, text.c_str(), int(text.size()), &box, kTextSingleLine), 0);
}

TEST(CachedFont, OwnedHandlesAndLiveCount)
{
    const int before = GFX_CachedFont::LiveFontCount();
    HFONT first = MakeFont(kEditorTextSize);
    HFONT borrowed = MakeFont(kEditorTextSize);
    {
        GFX_CachedFont font;
        EXPECT_EQ(GFX_CachedFont::LiveFontCount(), before + 1);
        font.AdoptFontHandle(first, kFontOwnsHandle);
        EXPECT_EQ(font.FontHandle(), first);
        font.AdoptFontHandle(borrowed, 0);
        EXPECT_EQ(GetObjectType(first), 0u); // the owned handle was deleted
        EXPECT_EQ(font.SetInkColour(0xFF00FF00u), 0u);
        EXPECT_EQ(font.InkColour(), 0xFF00FF00u);
    }
    EXPECT_EQ(GFX_CachedFont::LiveFontCount(), before);
    EXPECT_EQ(GetObjectType(borrowed), DWORD(OBJ_FONT)); // borrowed handles stay
    DeleteObject(borrowed);
}

} // namespace

// GDI fonts made for text styles, and text drawn and measured through the editor.

#include "GraphicsTestSupport.h"

#include "GFX_IFont.h"
#include "IFontCache.h"
#include "ITextControl.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace {

LOGFONTA Describe(GFX_IFont* font)
{
    LOGFONTA description{};
    GetObjectA(static_cast<HFONT>(font->FontHandle()), sizeof description, &description);
    return description;
}

// Pixels that differ from white: how many, and their bounds.
struct Ink
{
    int count = 0;
    int minX = INT_MAX, maxX = INT_MIN, minY = INT_MAX, maxY = INT_MIN;
    int minRedMinusGreen = INT_MAX;
    int maxRedMinusGreen = INT_MIN;
};

Ink SurveyInk(GFX_IBitmap* bitmap)
{
    GdiFlush();
    Ink ink;
    for (int y = 0; y < bitmap->Height(); ++y)
    {
        for (int x = 0; x < bitmap->Width(); ++x)
        {
            const uint32_t p = PixelAt(bitmap, x, y);
            if ((p & 0xFFFFFF) == 0xFFFFFF)
                continue;
            ++ink.count;
            ink.minX = std::min(ink.minX, x);
            ink.maxX = std::max(ink.maxX, x);
            ink.minY = std::min(ink.minY, y);
            ink.maxY = std::max(ink.maxY, y);
            const int redMinusGreen = int((p >> 16) & 0xFF) - int((p >> 8) & 0xFF);
            ink.minRedMinusGreen = std::min(ink.minRedMinusGreen, redMinusGreen);
            ink.maxRedMinusGreen = std::max(ink.maxRedMinusGreen, redMinusGreen);
        }
    }
    return ink;
}

struct TextRig : EditorRig
{
    TextRig() : EditorRig(160, 40)
    {
        editor->CreateSurfaces();
        FillSurface(editor->Surface(), kOpaqueWhite);
    }
};

TEST(GraphicsFonts, OneFontPerSizeOrientationStyleAndFace)
{
    EditorRig rig;
    const int32_t cachedBefore = IFontCache::Shared().Count();

    ITextStyle first("Verdana", 13, IRgba(255, 0, 0, 0));
    ITextStyle second("Verdana", 13, IRgba(128, 200, 0, 0), kStyleNormal, kAlignRight, 0, kQualityAntialiased);
    GFX_IFont* font = rig.editor->FontForStyle(&first);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(first.font, font) << "the style remembers its font";
    EXPECT_EQ(rig.editor->FontForStyle(&second), font) << "colour, alignment and quality share the font";
    EXPECT_EQ(IFontCache::Shared().Count(), cachedBefore + 1);

    ITextStyle bigger("Verdana", 14, IRgba());
    ITextStyle turned("Verdana", 13, IRgba(), kStyleNormal, kAlignCentre, 90);
    ITextStyle bold("Verdana", 13, IRgba(), kStyleBold);
    ITextStyle italic("Verdana", 13, IRgba(), kStyleItalic);
    ITextStyle otherFace("Arial", 13, IRgba());
    for (ITextStyle* style : {&bigger, &turned, &bold, &italic, &otherFace})
    {
        GFX_IFont* other = rig.editor->FontForStyle(style);
        ASSERT_NE(other, nullptr);
        EXPECT_NE(other, font);
    }
    EXPECT_EQ(IFontCache::Shared().Count(), cachedBefore + 6);

    // A second editor finds the same fonts.
    EditorRig another;
    ITextStyle again("Verdana", 13, IRgba());
    EXPECT_EQ(another.editor->FontForStyle(&again), font);
    EXPECT_EQ(IFontCache::Shared().Count(), cachedBefore + 6);
}

TEST(GraphicsFonts, FontsAreMadeFromTheStyle)
{
    EditorRig rig;
    ITextStyle style("Arial", 17, IRgba(), kStyleBold, kAlignCentre, 45, kQualityNonAntialiased);
    const LOGFONTA bold = Describe(rig.editor->FontForStyle(&style));
    EXPECT_EQ(bold.lfHeight, 17);
    EXPECT_EQ(bold.lfWeight, FW_BOLD);
    EXPECT_FALSE(bold.lfItalic);
    EXPECT_EQ(bold.lfEscapement, 450);
    EXPECT_EQ(bold.lfOrientation, 450);
    EXPECT_EQ(bold.lfQuality, NONANTIALIASED_QUALITY);
    EXPECT_STREQ(bold.lfFaceName, "Arial");

    ITextStyle italicStyle("Arial", 17, IRgba(), kStyleItalic);
    const LOGFONTA italic = Describe(rig.editor->FontForStyle(&italicStyle));
    EXPECT_EQ(italic.lfWeight, FW_NORMAL);
    EXPECT_TRUE(italic.lfItalic);
    EXPECT_EQ(italic.lfEscapement, 0);
}

TEST(GraphicsFonts, TheSurfaceIsADeviceBitmap)
{
    EditorRig rig(251, 373);
    rig.editor->CreateSurfaces();
    ASSERT_NE(rig.editor->Surface(), nullptr);
    EXPECT_NE(rig.editor->Surface()->DeviceContext(), nullptr);
    EXPECT_EQ(rig.editor->Surface()->RowStride(), 252);
}

TEST(GraphicsText, DrawsInkOfTheStyleColourInsideTheMeasuredBox)
{
    TextRig rig;
    ITextStyle style("Verdana", 14, IRgba(255, 255, 0, 0), kStyleNormal, kAlignLeft);
    IRect box(10, 5, 150, 35);
    ASSERT_TRUE(rig.editor->TextBounds(&style, "Room size", &box));
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 5);
    EXPECT_GT(box.Width(), 30);
    EXPECT_GT(box.Height(), 8);

    IRect area(10, 5, 150, 35);
    ASSERT_TRUE(rig.editor->PaintText(&style, "Room size", &area, false));
    EXPECT_EQ(area, IRect(10, 5, 150, 35)) << "drawing leaves the rectangle alone";
    const Ink ink = SurveyInk(rig.editor->Surface());
    ASSERT_GT(ink.count, 20);
    EXPECT_GE(ink.minX, box.left - 1);
    EXPECT_LE(ink.maxX, box.right);
    EXPECT_GE(ink.minY, box.top);
    EXPECT_LE(ink.maxY, box.bottom);
    EXPECT_GT(ink.minRedMinusGreen, 0) << "every inked pixel leans to red";
}

TEST(GraphicsText, MeasuringPlacesTheBoxByAlignment)
{
    TextRig rig;
    ITextStyle left("Verdana", 12, IRgba(), kStyleNormal, kAlignLeft);
    ITextStyle centre("Verdana", 12, IRgba(), kStyleNormal, kAlignCentre);
    ITextStyle right("Verdana", 12, IRgba(), kStyleNormal, kAlignRight);
    IRect l(20, 4, 121, 30), c(20, 4, 121, 30), r(20, 4, 121, 30);
    ASSERT_TRUE(rig.editor->TextBounds(&left, "2.50 s", &l));
    ASSERT_TRUE(rig.editor->TextBounds(&centre, "2.50 s", &c));
    ASSERT_TRUE(rig.editor->TextBounds(&right, "2.50 s", &r));

    const int32_t width = l.Width();
    ASSERT_GT(width, 0);
    EXPECT_EQ(l.left, 20);
    EXPECT_EQ(c.left, (20 + 121) / 2 - width / 2);
    EXPECT_EQ(c.Width(), width);
    EXPECT_EQ(r.right, 121);
    EXPECT_EQ(r.left, 121 - width);
    EXPECT_EQ(l.bottom, c.bottom);
    EXPECT_EQ(l.bottom, r.bottom);
}

TEST(GraphicsText, AlignmentMovesTheInk)
{
    const char* text = "Hall";
    int lefts[3];
    const int32_t aligns[3] = {kAlignLeft, kAlignCentre, kAlignRight};
    for (int i = 0; i < 3; ++i)
    {
        TextRig rig;
        ITextStyle style("Verdana", 12, IRgba(255, 0, 0, 0), kStyleNormal, aligns[i]);
        IRect area(0, 0, 160, 20);
        rig.editor->PaintText(&style, text, &area, false);
        const Ink ink = SurveyInk(rig.editor->Surface());
        ASSERT_GT(ink.count, 0);
        lefts[i] = ink.minX;
        if (aligns[i] == kAlignRight)
        {
            EXPECT_GE(ink.maxX, 150);
        }
    }
    EXPECT_LT(lefts[0], 5);
    EXPECT_GT(lefts[1], 60);
    EXPECT_LT(lefts[1], 80);
    EXPECT_GT(lefts[2], lefts[1]);
}

TEST(GraphicsText, TranslucentInkIsLighter)
{
    int darkest[2];
    const int32_t alphas[2] = {255, 96};
    for (int i = 0; i < 2; ++i)
    {
        TextRig rig;
        ITextStyle style("Verdana", 16, IRgba(alphas[i], 0, 0, 0), kStyleBold, kAlignLeft);
        IRect area(0, 0, 160, 40);
        rig.editor->PaintText(&style, "Mix", &area, false);
        GdiFlush();
        darkest[i] = 255;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 160; ++x)
                darkest[i] = std::min(darkest[i], int(PixelAt(rig.editor->Surface(), x, y) & 0xFF));
    }
    EXPECT_LT(darkest[0], 64);
    EXPECT_GT(darkest[1], darkest[0] + 64);
}

TEST(GraphicsText, TextControlsPaintThroughTheEditor)
{
    TextRig rig;
    ITextStyle style("Verdana", 12, IRgba(255, 0, 0, 0));
    auto* readout = rig.Add(new ITextControl(&rig.plug, IRect(40, 10, 120, 26), style, "440 Hz"));
    ASSERT_TRUE(PaintAll(*rig.editor));
    EXPECT_NE(readout->TextStyle().font, nullptr);
    const Ink ink = SurveyInk(rig.editor->Surface());
    ASSERT_GT(ink.count, 0);
    EXPECT_GE(ink.minX, 40);
    EXPECT_LT(ink.maxX, 120);
    EXPECT_GE(ink.minY, 10);

    // An empty readout draws nothing.
    FillSurface(rig.editor->Surface(), kOpaqueWhite);
    readout->ReplaceText("");
    PaintAll(*rig.editor);
    EXPECT_EQ(SurveyInk(rig.editor->Surface()).count, 0);
}

} // namespace

#include "GFX_Compositing.h"
#include "GFX_MemBitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

constexpr uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return a << 24 | r << 16 | g << 8 | b;
}

constexpr uint32_t kPadding = 0xDEADBEEFu; // written into row padding; must survive every call

// A memory bitmap with helpers for reading and writing single pixels. The row padding
// is filled with a sentinel so that writes past the right edge are caught.
class TestBitmap
{
public:
    TestBitmap(int width, int height, uint32_t fill = 0)
    {
        bitmap.SetSize(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < bitmap.RowStride(); ++x)
                Row(y)[x] = x < width ? fill : kPadding;
    }

    uint32_t* Row(int y) { return bitmap.Pixels() + y * bitmap.RowStride(); }
    uint32_t& At(int x, int y) { return Row(y)[x]; }
    GFX_MemBitmap* operator&() { return &bitmap; }
    int Width() const { return bitmap.Width(); }
    int Height() const { return bitmap.Height(); }

    // Each pixel distinct: alpha 0x80 + y, red x, green y, blue x + y.
    void FillPattern()
    {
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x)
                At(x, y) = Pattern(x, y);
    }
    static uint32_t Pattern(int x, int y) { return Argb(0x80 + y, x, y, x + y); }

    std::vector<uint32_t> Snapshot()
    {
        std::vector<uint32_t> all;
        for (int y = 0; y < Height(); ++y)
            all.insert(all.end(), Row(y), Row(y) + bitmap.RowStride());
        return all;
    }

    bool PaddingIntact()
    {
        for (int y = 0; y < Height(); ++y)
            for (int x = Width(); x < bitmap.RowStride(); ++x)
                if (Row(y)[x] != kPadding)
                    return false;
        return true;
    }

private:
    GFX_MemBitmap bitmap;
};

// Blits a single source pixel onto a single destination pixel.
uint32_t BlendOne(uint32_t dest, uint32_t source, float weight, int mode)
{
    TestBitmap d(1, 1, dest), s(1, 1, source);
    BlitRegion(&d, &s, 0, 0, nullptr, weight, mode);
    EXPECT_TRUE(d.PaddingIntact());
    return d.At(0, 0);
}

uint32_t FillOne(uint32_t dest, uint32_t colour, float weight, int mode = kBlitCopy)
{
    TestBitmap d(1, 1, dest);
    FillArea(&d, 0, 0, 1, 1, colour, weight, mode);
    EXPECT_TRUE(d.PaddingIntact());
    return d.At(0, 0);
}

// ---- copy ----

TEST(BlitCopy, FullWeightCopiesBitForBit)
{
    TestBitmap source(7, 5), dest(7, 5, 0x12345678);
    source.FillPattern();
    BlitRegion(&dest, &source, 0, 0, nullptr, 1.0f, kBlitCopy);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(dest.At(x, y), TestBitmap::Pattern(x, y));
    EXPECT_TRUE(dest.PaddingIntact());
}

TEST(BlitCopy, HalfWeightAveragesEachByteWithLowBitsDropped)
{
    EXPECT_EQ(BlendOne(0x10203041, 0xF0E0D0C1, 0.5f, kBlitCopy), 0x80808080u);
    EXPECT_EQ(BlendOne(0x01010101, 0x01010101, 0.5f, kBlitCopy), 0u);
    EXPECT_EQ(BlendOne(0xFFFFFFFF, 0xFFFFFFFF, 0.5f, kBlitCopy), 0xFEFEFEFEu);
}

TEST(BlitCopy, OtherWeightsMoveEveryChannelIncludingAlpha)
{
    // w = 64: c := s + (c - s) * 192 / 256
    EXPECT_EQ(BlendOne(Argb(16, 32, 48, 65), Argb(240, 224, 208, 193), 0.25f, kBlitCopy), Argb(72, 80, 88, 97));
    // Quotients truncate toward zero: -0.75 becomes 0, so 1 stays 1.
    EXPECT_EQ(BlendOne(0x00000000, 0x01010101, 0.25f, kBlitCopy), 0x01010101u);
    EXPECT_EQ(BlendOne(0x01010101, 0x00000000, 0.25f, kBlitCopy), 0x00000000u);
    // 0.3 * 256 = 76.8 -> 76: 100 + 100 * 180 / 256 = 170
    EXPECT_EQ(BlendOne(Argb(200, 200, 200, 200), Argb(100, 100, 100, 100), 0.3f, kBlitCopy),
              Argb(170, 170, 170, 170));
}

// ---- copy with source alpha ----

TEST(BlitCopyAlpha, FullWeight)
{
    const uint32_t dest = Argb(100, 200, 50, 0);
    EXPECT_EQ(BlendOne(dest, Argb(0, 1, 2, 3), 1.0f, kBlitCopyAlpha), dest);
    EXPECT_EQ(BlendOne(dest, Argb(255, 1, 2, 3), 1.0f, kBlitCopyAlpha), Argb(255, 1, 2, 3));
    // Partial: alpha adds (saturating), colours keep (255 - A) / 256 of the difference.
    EXPECT_EQ(BlendOne(dest, Argb(128, 0, 250, 255), 1.0f, kBlitCopyAlpha), Argb(228, 99, 151, 129));
    EXPECT_EQ(BlendOne(Argb(200, 0, 0, 0), Argb(128, 0, 0, 0), 1.0f, kBlitCopyAlpha), Argb(255, 0, 0, 0));
}

TEST(BlitCopyAlpha, BelowFullWeight)
{
    // w = 128, A = 255: k = 128
    EXPECT_EQ(BlendOne(Argb(0, 0, 100, 200), Argb(255, 255, 0, 100), 0.5f, kBlitCopyAlpha), Argb(128, 128, 50, 150));
    // w = 128, A = 63: k = 32
    EXPECT_EQ(BlendOne(Argb(0, 0, 0, 0), Argb(63, 255, 0, 0), 0.5f, kBlitCopyAlpha), Argb(32, 32, 0, 0));
    EXPECT_EQ(BlendOne(Argb(9, 8, 7, 6), Argb(0, 255, 255, 255), 0.5f, kBlitCopyAlpha), Argb(9, 8, 7, 6));
}

// ---- additive and dodge ----

TEST(BlitAdditiveAlpha, AddsScaledSourceAndSaturates)
{
    const uint32_t dest = Argb(10, 100, 250, 0);
    EXPECT_EQ(BlendOne(dest, Argb(255, 100, 100, 40), 1.0f, kBlitAdditiveAlpha), Argb(255, 200, 255, 40));
    // A = 127: k = 128
    EXPECT_EQ(BlendOne(dest, Argb(127, 100, 100, 40), 1.0f, kBlitAdditiveAlpha), Argb(73, 150, 255, 20));
    // w = 128, A = 255: k = 128
    EXPECT_EQ(BlendOne(dest, Argb(255, 100, 100, 40), 0.5f, kBlitAdditiveAlpha), Argb(137, 150, 255, 20));
    EXPECT_EQ(BlendOne(dest, Argb(0, 100, 100, 40), 1.0f, kBlitAdditiveAlpha), dest);
}

TEST(BlitDodgeAlpha, BrightensByTheScaledSource)
{
    // t = 255 for alpha: 100 saturates, 0 stays 0; t = 128 doubles; t = 250 saturates.
    EXPECT_EQ(BlendOne(Argb(100, 100, 64, 10), Argb(255, 128, 0, 250), 1.0f, kBlitDodgeAlpha), Argb(255, 200, 64, 255));
    EXPECT_EQ(BlendOne(Argb(0, 100, 64, 10), Argb(255, 255, 0, 0), 1.0f, kBlitDodgeAlpha), Argb(0, 255, 64, 10));
    // w = 128, A = 255: k = 128, so R = 128 gives t = 64: 100 * 256 / 192 = 133
    EXPECT_EQ(BlendOne(Argb(0, 100, 64, 10), Argb(255, 128, 0, 0), 0.5f, kBlitDodgeAlpha), Argb(0, 133, 64, 10));
    // A transparent source changes nothing.
    EXPECT_EQ(BlendOne(Argb(7, 100, 64, 10), Argb(0, 255, 255, 255), 1.0f, kBlitDodgeAlpha), Argb(7, 100, 64, 10));
}

TEST(BlitRegion, WeightZeroAndUnknownModesChangeNothing)
{
    const uint32_t dest = Argb(1, 2, 3, 4);
    for (int mode : {kBlitCopy, kBlitCopyAlpha, kBlitAdditiveAlpha, kBlitDodgeAlpha, 0x10007, 0xF0})
        EXPECT_EQ(BlendOne(dest, 0xFFFFFFFF, 0.0f, mode), dest) << mode;
    EXPECT_EQ(BlendOne(dest, 0xFFFFFFFF, -0.5f, kBlitCopy), dest);
    EXPECT_EQ(BlendOne(dest, 0xFFFFFFFF, 0.001f, kBlitCopy), dest); // below one step
    EXPECT_EQ(BlendOne(dest, 0xFFFFFFFF, 1.0f, 0x10007), dest);
}

TEST(BlitRegion, WeightAboveOneActsAsOne)
{
    EXPECT_EQ(BlendOne(Argb(1, 2, 3, 4), Argb(5, 6, 7, 8), 3.0f, kBlitCopy), Argb(5, 6, 7, 8));
    EXPECT_EQ(BlendOne(Argb(1, 2, 3, 4), Argb(128, 0, 250, 255), 1.5f, kBlitCopyAlpha),
              BlendOne(Argb(1, 2, 3, 4), Argb(128, 0, 250, 255), 1.0f, kBlitCopyAlpha));
}

TEST(BlitRegion, HighModeBitsBelowTheReservedRangeAreIgnored)
{
    EXPECT_EQ(BlendOne(Argb(1, 2, 3, 4), Argb(0, 6, 7, 8), 1.0f, 0x20000), Argb(0, 6, 7, 8));
    EXPECT_EQ(BlendOne(Argb(1, 2, 3, 4), Argb(0, 6, 7, 8), 1.0f, 0x30000), Argb(1, 2, 3, 4));
}

// ---- clipping ----

TEST(BlitClipping, NegativeDestinationCopiesTheVisiblePartInPlace)
{
    TestBitmap source(4, 4), dest(4, 4, 0);
    source.FillPattern();
    BlitRegion(&dest, &source, -2, -3, nullptr, 1.0f, kBlitCopy);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const uint32_t expected = (x < 2 && y < 1) ? TestBitmap::Pattern(x + 2, y + 3) : 0;
            EXPECT_EQ(dest.At(x, y), expected) << x << "," << y;
        }
    }
}

TEST(BlitClipping, NegativeSourceRectangleShiftsTheDestination)
{
    TestBitmap source(3, 3), dest(6, 6, 0);
    source.FillPattern();
    const GFX_Rect rect{-2, -1, 2, 2};
    BlitRegion(&dest, &source, 1, 1, &rect, 1.0f, kBlitCopy);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 3 && x < 5 && y >= 2 && y < 4;
            EXPECT_EQ(dest.At(x, y), inside ? TestBitmap::Pattern(x - 3, y - 2) : 0u) << x << "," << y;
        }
    }
}

TEST(BlitClipping, SourceRectangleIsLimitedToTheSource)
{
    TestBitmap source(3, 2), dest(8, 8, 0);
    source.FillPattern();
    const GFX_Rect rect{1, 0, 100, 100};
    BlitRegion(&dest, &source, 0, 0, &rect, 1.0f, kBlitCopy);
    EXPECT_EQ(dest.At(0, 0), TestBitmap::Pattern(1, 0));
    EXPECT_EQ(dest.At(1, 1), TestBitmap::Pattern(2, 1));
    EXPECT_EQ(dest.At(2, 0), 0u);
    EXPECT_EQ(dest.At(0, 2), 0u);
    EXPECT_TRUE(dest.PaddingIntact());
}

TEST(BlitClipping, ExtremePositionsAndRectanglesStayInside)
{
    const int extremes[] = {INT_MIN, INT_MIN + 1, -100000, -5, -1, 0, 1, 3, 5, 100000, INT_MAX - 1, INT_MAX};
    TestBitmap source(5, 3);
    source.FillPattern();
    for (int mode : {kBlitCopy, kBlitCopyAlpha, kBlitAdditiveAlpha, kBlitDodgeAlpha}) {
        for (float weight : {1.0f, 0.5f, 0.7f}) {
            for (int a : extremes) {
                for (int b : extremes) {
                    TestBitmap dest(5, 3, 0x11111111);
                    BlitRegion(&dest, &source, a, b, nullptr, weight, mode);
                    const GFX_Rect rect{a, b, INT_MAX, INT_MAX};
                    BlitRegion(&dest, &source, b, a, &rect, weight, mode);
                    const GFX_Rect inverted{a, b, INT_MIN, INT_MIN};
                    BlitRegion(&dest, &source, 0, 0, &inverted, weight, mode);
                    const GFX_Rect wide{INT_MIN, INT_MIN, a, b};
                    BlitRegion(&dest, &source, a, b, &wide, weight, mode);
                    ASSERT_TRUE(dest.PaddingIntact()) << mode << " " << a << " " << b;
                }
            }
        }
    }
}

TEST(BlitClipping, EmptyOrMissingBitmapsDoNothing)
{
    TestBitmap dest(4, 4, 0x01020304);
    GFX_MemBitmap empty;
    BlitRegion(&dest, &empty, 0, 0, nullptr, 1.0f, kBlitCopy);
    BlitRegion(&empty, &dest, 0, 0, nullptr, 1.0f, kBlitCopy);
    BlitRegion(&dest, nullptr, 0, 0, nullptr, 1.0f, kBlitCopy);
    BlitRegion(nullptr, &dest, 0, 0, nullptr, 1.0f, kBlitCopy);
    EXPECT_EQ(dest.At(3, 3), 0x01020304u);
    EXPECT_EQ(empty.Pixels(), nullptr);
}

TEST(BlitRegion, OverlappingBlitWithinOneBitmapReadsTheOriginal)
{
    for (float weight : {1.0f, 0.5f}) {
        for (const auto& shift : {std::pair<int, int>{1, 1}, {-1, -2}, {2, 0}, {-2, 0}, {0, 1}}) {
            TestBitmap bitmap(6, 5);
            bitmap.FillPattern();
            TestBitmap original(6, 5);
            original.FillPattern();
            BlitRegion(&bitmap, &bitmap, shift.first, shift.second, nullptr, weight, kBlitCopy);
            for (int y = 0; y < 5; ++y) {
                for (int x = 0; x < 6; ++x) {
                    const int sx = x - shift.first, sy = y - shift.second;
                    if (sx < 0 || sy < 0 || sx >= 6 || sy >= 5)
                        continue;
                    const uint32_t s = TestBitmap::Pattern(sx, sy), d = original.At(x, y);
                    const uint32_t expected = weight == 1.0f ? s : ((s >> 1) & 0x7f7f7f7f) + ((d >> 1) & 0x7f7f7f7f);
                    EXPECT_EQ(bitmap.At(x, y), expected) << x << "," << y << " shift " << shift.first << "," << shift.second;
                }
            }
        }
    }
}

// ---- glyph coverage ----

TEST(BlendCoverageRow, FullWeight)
{
    const uint32_t ink = Argb(0, 200, 100, 0); // the ink's own alpha plays no part
    uint32_t row[4] = {Argb(0, 10, 20, 30), Argb(0, 10, 20, 30), Argb(0, 10, 20, 30), Argb(255, 10, 20, 30)};
    const uint8_t coverage[4] = {255, 128, 0, 128};
    BlendCoverageRow(row, coverage, 4, ink, 256);
    EXPECT_EQ(row[0], Argb(255, 200, 100, 0));   // full coverage: the ink, opaque
    EXPECT_EQ(row[1], Argb(129, 106, 61, 14));   // part way, truncating toward zero
    EXPECT_EQ(row[2], Argb(0, 10, 20, 30));      // no coverage: untouched
    EXPECT_EQ(row[3], Argb(255, 106, 61, 14));   // an opaque pixel stays opaque
}

TEST(BlendCoverageRow, PartialWeight)
{
    uint32_t row[3] = {Argb(0, 10, 20, 30), Argb(255, 10, 20, 30), Argb(40, 10, 20, 30)};
    const uint8_t coverage[3] = {255, 255, 0};
    BlendCoverageRow(row, coverage, 3, Argb(255, 200, 100, 0), 128);
    EXPECT_EQ(row[0], Argb(127, 105, 60, 15));
    EXPECT_EQ(row[1], Argb(255, 105, 60, 15));
    EXPECT_EQ(row[2], Argb(40, 10, 20, 30));
}

// ---- fill ----

TEST(FillArea, WeightsWithDedicatedLoops)
{
    EXPECT_EQ(FillOne(0x12345678, 0x9ABCDEF0, 1.0f), 0x9ABCDEF0u);
    EXPECT_EQ(FillOne(0x10203041, 0xF0E0D0C1, 0.5f), 0x80808080u);
    // pixel / 2 + pixel / 4 + colour / 4 per byte
    EXPECT_EQ(FillOne(Argb(0xFF, 0x80, 0x03, 0x00), Argb(0x00, 0xFF, 0x07, 0x10), 0.25f), 0xBE9F0204u);
    // colour / 4 + pixel / 4 + colour / 2 per byte
    EXPECT_EQ(FillOne(Argb(0xFF, 0x80, 0x03, 0x00), Argb(0x00, 0xFF, 0x07, 0x10), 0.75f), 0x3FDE040Cu);
}

TEST(FillArea, OtherWeightsUseTheWeightAsAlpha)
{
    // k = 76: colours approach the fill colour; alpha approaches k itself.
    EXPECT_EQ(FillOne(Argb(255, 0, 200, 100), Argb(0, 255, 0, 100), 0.3f), Argb(201, 76, 140, 100));
}

TEST(FillArea, SourceAlphaScalesTheWeight)
{
    EXPECT_EQ(FillOne(0x12345678, Argb(255, 1, 2, 3), 1.0f, kBlitUseSourceAlpha), Argb(255, 1, 2, 3));
    EXPECT_EQ(FillOne(0x10203041, Argb(0, 1, 2, 3), 1.0f, kBlitUseSourceAlpha), 0x10203041u);
    // alpha 128 -> weight 0.502 -> the half-weight mix
    EXPECT_EQ(FillOne(0x10203041, Argb(128, 0xE0, 0xD0, 0xC1), 1.0f, kBlitUseSourceAlpha),
              FillOne(0x10203041, Argb(128, 0xE0, 0xD0, 0xC1), 0.5f));
}

TEST(FillArea, WeightZeroAndOtherOperationsChangeNothing)
{
    EXPECT_EQ(FillOne(0x12345678, 0xFFFFFFFF, 0.0f), 0x12345678u);
    EXPECT_EQ(FillOne(0x12345678, 0xFFFFFFFF, 1.0f, kBlitAdditiveAlpha), 0x12345678u);
}

TEST(FillArea, ClipsToTheBitmap)
{
    TestBitmap dest(5, 4, 0);
    FillArea(&dest, -2, -1, 4, 3, 0xFFFFFFFF, 1.0f, kBlitCopy);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(dest.At(x, y), (x < 2 && y < 2) ? 0xFFFFFFFFu : 0u) << x << "," << y;

    const int extremes[] = {INT_MIN, -7, -1, 0, 2, 4, 5, INT_MAX};
    for (float weight : {1.0f, 0.5f, 0.25f, 0.75f, 0.3f}) {
        for (int a : extremes) {
            for (int b : extremes) {
                TestBitmap target(5, 3, 0x44444444);
                FillArea(&target, a, b, INT_MAX, INT_MAX, 0x88888888, weight, kBlitCopy);
                FillArea(&target, b, a, a, b, 0x88888888, weight, kBlitCopy);
                FillArea(&target, a, a, b, b, 0x88888888, weight, kBlitCopy);
                ASSERT_TRUE(target.PaddingIntact()) << weight << " " << a << " " << b;
            }
        }
    }

    TestBitmap whole(5, 3, 0);
    FillArea(&whole, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0x01010101, 1.0f, kBlitCopy);
    EXPECT_EQ(whole.At(0, 0), 0u); // the rectangle ends before the bitmap starts
    FillArea(&whole, -5, -5, INT_MAX, INT_MAX, 0x01010101, 1.0f, kBlitCopy);
    EXPECT_EQ(whole.At(4, 2), 0x01010101u);
    EXPECT_TRUE(whole.PaddingIntact());

    GFX_MemBitmap empty;
    FillArea(&empty, 0, 0, 10, 10, 0xFFFFFFFF, 1.0f, kBlitCopy);
    FillArea(nullptr, 0, 0, 10, 10, 0xFFFFFFFF, 1.0f, kBlitCopy);
    EXPECT_EQ(empty.Pixels(), nullptr);
}

} // namespace

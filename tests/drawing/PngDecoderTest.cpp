#include "GFX_MemBitmap.h"
#include "GFX_PngDecoder.h"
#include "PngTestImages.h"

#include <gtest/gtest.h>
#include <png.h>

#include <memory>

namespace {

using Bitmap = std::unique_ptr<GFX_MemBitmap>;

Bitmap Decode(const std::vector<uint8_t>& png)
{
    return Bitmap(DecodePngFromMemory(png.data(), png.size()));
}

uint32_t At(GFX_MemBitmap& bitmap, int x, int y)
{
    return bitmap.Pixels()[y * bitmap.RowStride() + x];
}

// Library pixel from alpha, red, green, blue.
constexpr uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return a << 24 | r << 16 | g << 8 | b;
}

TEST(PngDecoder, PaletteWithTransparencyGetsPerPixelAlpha)
{
    PngImageLayout layout;
    layout.width = 3;
    layout.height = 2;
    layout.colourType = PNG_COLOR_TYPE_PALETTE;
    layout.palette = {255, 0, 0, /**/ 0, 255, 0, /**/ 10, 20, 30};
    layout.paletteAlpha = {0, 128}; // the third entry has no alpha entry and stays opaque
    const auto png = WritePng(layout, {{0, 1, 2}, {2, 1, 0}});
    ASSERT_FALSE(png.empty());

    Bitmap bitmap = Decode(png);
    ASSERT_TRUE(bitmap);
    ASSERT_EQ(bitmap->Width(), 3);
    ASSERT_EQ(bitmap->Height(), 2);
    EXPECT_EQ(At(*bitmap, 0, 0), Argb(0, 255, 0, 0));
    EXPECT_EQ(At(*bitmap, 1, 0), Argb(128, 0, 255, 0));
    EXPECT_EQ(At(*bitmap, 2, 0), Argb(255, 10, 20, 30));
    EXPECT_EQ(At(*bitmap, 0, 1), Argb(255, 10, 20, 30));
    EXPECT_EQ(At(*bitmap, 2, 1), Argb(0, 255, 0, 0));
}

TEST(PngDecoder, GreyBelowEightBitsExpandsToFullRange)
{
    PngImageLayout layout;
    layout.width = 4;
    layout.height = 1;
    layout.colourType = PNG_COLOR_TYPE_GRAY;
    layout.bitDepth = 2;
    const auto png = WritePng(layout, {{0x1B}}); // samples 0, 1, 2, 3
    Bitmap bitmap = Decode(png);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(At(*bitmap, 0, 0), Argb(255, 0, 0, 0));
    EXPECT_EQ(At(*bitmap, 1, 0), Argb(255, 85, 85, 85));
    EXPECT_EQ(At(*bitmap, 2, 0), Argb(255, 170, 170, 170));
    EXPECT_EQ(At(*bitmap, 3, 0), Argb(255, 255, 255, 255));
}

TEST(PngDecoder, OneBitGreyWithTransparentValue)
{
    PngImageLayout layout;
    layout.width = 9; // crosses a byte boundary
    layout.height = 1;
    layout.colourType = PNG_COLOR_TYPE_GRAY;
    layout.bitDepth = 1;
    layout.hasTransparentColour = true;
    layout.transparentGrey = 0;
    const auto png = WritePng(layout, {{0xA0, 0x80}}); // 1 0 1 0 0 0 0 0 | 1
    Bitmap bitmap = Decode(png);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(At(*bitmap, 0, 0), Argb(255, 255, 255, 255));
    EXPECT_EQ(At(*bitmap, 1, 0), Argb(0, 0, 0, 0));
    EXPECT_EQ(At(*bitmap, 2, 0), Argb(255, 255, 255, 255));
    EXPECT_EQ(At(*bitmap, 7, 0), Argb(0, 0, 0, 0));
    EXPECT_EQ(At(*bitmap, 8, 0), Argb(255, 255, 255, 255));
}

TEST(PngDecoder, SixteenBitChannelsKeepTheirHighByte)
{
    PngImageLayout layout;
    layout.width = 1;
    layout.height = 1;
    layout.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    layout.bitDepth = 16;
    const auto png = WritePng(layout, {{0x12, 0xFF, 0xAB, 0xCD, 0x00, 0x01, 0x80, 0x00}});
    Bitmap bitmap = Decode(png);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(At(*bitmap, 0, 0), Argb(0x80, 0x12, 0xAB, 0x00));
}

TEST(PngDecoder, SixteenBitGrey)
{
    PngImageLayout layout;
    layout.width = 2;
    layout.height = 1;
    layout.colourType = PNG_COLOR_TYPE_GRAY;
    layout.bitDepth = 16;
    const auto png = WritePng(layout, {{0x40, 0x11, 0xFF, 0xFF}});
    Bitmap bitmap = Decode(png);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(At(*bitmap, 0, 0), Argb(255, 0x40, 0x40, 0x40));
    EXPECT_EQ(At(*bitmap, 1, 0), Argb(255, 0xFF, 0xFF, 0xFF));
}

TEST(PngDecoder, RgbWithoutAlphaIsOpaque)
{
    PngImageLayout layout;
    layout.width = 2;
    layout.height = 2;
    layout.colourType = PNG_COLOR_TYPE_RGB;
    const auto png = WritePng(layout, {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 0, 0, 0}});
    Bitmap bitmap = Decode(png);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(At(*bitmap, 0, 0), Argb(255, 1, 2, 3));
    EXPECT_EQ(At(*bitmap, 1, 0), Argb(255, 4, 5, 6));
    EXPECT_EQ(At(*bitmap, 0, 1), Argb(255, 7, 8, 9));
    EXPECT_EQ(At(*bitmap, 1, 1), Argb(255, 0, 0, 0));
}

TEST(PngDecoder, RgbWithTransparentColour)
{
    PngImageLayout layout;
    layout.width = 2;
    layout.height = 1;
    layout.colourType = PNG_COLOR_TYPE_RGB;
    layout.hasTransparentColour = true;
    layout.transparentRed = 4;
    layout.transparentGreen = 5;
    layout.transparentBlue = 6;
    const auto png = WritePng(layout, {{1, 2, 3, 4, 5, 6}});
    Bitmap bitmap = Decode(png);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(At(*bitmap, 0, 0), Argb(255, 1, 2, 3));
    EXPECT_EQ(At(*bitmap, 1, 0), Argb(0, 4, 5, 6));
}

TEST(PngDecoder, RgbaAndGreyAlphaAreExact)
{
    const auto rgba = WriteGradientPng(5, 3);
    Bitmap bitmap = Decode(rgba);
    ASSERT_TRUE(bitmap);
    ASSERT_EQ(bitmap->Width(), 5);
    ASSERT_EQ(bitmap->Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(At(*bitmap, x, y), Argb(255 - x, x * 16, y * 16, x ^ y)) << x << "," << y;

    PngImageLayout layout;
    layout.width = 2;
    layout.height = 1;
    layout.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
    const auto greyAlpha = WritePng(layout, {{200, 7, 30, 255}});
    Bitmap grey = Decode(greyAlpha);
    ASSERT_TRUE(grey);
    EXPECT_EQ(At(*grey, 0, 0), Argb(7, 200, 200, 200));
    EXPECT_EQ(At(*grey, 1, 0), Argb(255, 30, 30, 30));
}

TEST(PngDecoder, InterlacedImageMatchesPlainOne)
{
    Bitmap plain = Decode(WriteGradientPng(11, 9));
    Bitmap interlaced = Decode(WriteGradientPng(11, 9, true));
    ASSERT_TRUE(plain);
    ASSERT_TRUE(interlaced);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 11; ++x)
            EXPECT_EQ(At(*interlaced, x, y), At(*plain, x, y)) << x << "," << y;
}

TEST(PngDecoder, DecodesIntoAGivenBitmap)
{
    GFX_MemBitmap target;
    target.SetSize(40, 40);
    GFX_MemBitmap* result = DecodePngFromMemory(WriteGradientPng(6, 2).data(), WriteGradientPng(6, 2).size(), &target);
    EXPECT_EQ(result, &target);
    EXPECT_EQ(target.Width(), 6);
    EXPECT_EQ(target.Height(), 2);
    EXPECT_EQ(At(target, 5, 1), Argb(250, 80, 16, 4));

    const uint8_t junk[16] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    EXPECT_EQ(DecodePngFromMemory(junk, sizeof junk, &target), nullptr); // and target survives
}

TEST(PngDecoder, ShortOrForeignDataGivesNull)
{
    const auto png = WriteGradientPng(4, 4);
    EXPECT_EQ(DecodePngFromMemory(png.data(), 7), nullptr);
    EXPECT_EQ(DecodePngFromMemory(png.data(), 0), nullptr);
    EXPECT_EQ(DecodePngFromMemory(nullptr, 100), nullptr);
    const char gif[] = "GIF89a\x04\x00\x04\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!";
    EXPECT_EQ(DecodePngFromMemory(gif, sizeof gif), nullptr);
    // The signature alone is not an image.
    EXPECT_EQ(DecodePngFromMemory(png.data(), 8), nullptr);
}

TEST(PngDecoder, TruncationAnywhereGivesNull)
{
    const auto png = WriteGradientPng(12, 10);
    ASSERT_TRUE(Decode(png));
    for (size_t length = 0; length < png.size(); ++length)
        EXPECT_EQ(DecodePngFromMemory(png.data(), length), nullptr) << "truncated to " << length;
}

// Every corrupt variant either fails or yields a consistent bitmap of the declared size.
void ExpectNullOrConsistent(const std::vector<uint8_t>& png, size_t position)
{
    Bitmap bitmap = Decode(png);
    if (!bitmap)
        return;
    EXPECT_GT(bitmap->Width(), 0) << "byte " << position;
    EXPECT_GT(bitmap->Height(), 0) << "byte " << position;
    EXPECT_LE(unsigned(bitmap->Width()), kMaxPngDimension) << "byte " << position;
    EXPECT_LE(unsigned(bitmap->Height()), kMaxPngDimension) << "byte " << position;
    EXPECT_NE(bitmap->Pixels(), nullptr) << "byte " << position;
}

TEST(PngDecoder, CorruptBytesNeverCrash)
{
    const auto original = WriteGradientPng(12, 10, true);
    for (size_t position = 0; position < original.size(); ++position) {
        for (uint8_t flip : {0x01, 0x80, 0xFF}) {
            auto corrupt = original;
            corrupt[position] ^= flip;
            ExpectNullOrConsistent(corrupt, position);
        }
    }
}

TEST(PngDecoder, CorruptDataBehindValidChecksumsNeverCrashes)
{
    // With the checksums repaired the damage reaches the header checks, the decompressor
    // and the row filters instead of being stopped at the chunk level.
    const auto original = WriteGradientPng(12, 10, true);
    for (size_t position = 8; position < original.size(); ++position) {
        for (uint8_t flip : {0x01, 0x10, 0xFF}) {
            auto corrupt = original;
            corrupt[position] ^= flip;
            RepairPngChecksums(corrupt);
            ExpectNullOrConsistent(corrupt, position);
        }
    }
}

TEST(PngDecoder, ChecksumRepairLeavesValidAndCutDataAsItIs)
{
    // The helper behind the corruption tests: an out-of-bounds access there (short data once
    // wrapped its size arithmetic) would hide the failures it is meant to provoke.
    const auto original = WriteGradientPng(4, 4);
    for (size_t size = 0; size <= original.size(); ++size) {
        std::vector<uint8_t> cut(original.begin(), original.begin() + long(size));
        RepairPngChecksums(cut);
        EXPECT_TRUE(std::equal(cut.begin(), cut.end(), original.begin())) << size << " bytes";
        EXPECT_EQ(cut.size(), size);
    }
}

TEST(PngDecoder, HugeDeclaredDimensionsGiveNull)
{
    for (const auto& size : {std::pair<uint32_t, uint32_t>{100000, 100000}, {kMaxPngDimension + 1, 1},
                             {1, 0x7FFFFFFF}, {kMaxPngDimension, kMaxPngDimension}}) {
        auto png = WriteGradientPng(4, 4);
        PatchPngDimensions(png, size.first, size.second);
        EXPECT_EQ(Decode(png), nullptr) << size.first << " x " << size.second;
    }
}

TEST(PngDecoder, LargestAllowedImageWithMissingDataGivesNull)
{
    // Within the limits, but the data ends after the header: the decoder gives up at the
    // first missing row.
    auto png = WriteGradientPng(4, 4);
    PatchPngDimensions(png, 8192, 8192);
    EXPECT_EQ(Decode(png), nullptr);
}

} // namespace

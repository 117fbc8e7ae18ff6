#include "GFX_Compositing.h"
#include "GFX_MemBitmap.h"
#include "GFX_SysBitmap.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <climits>

namespace {

HDC DC(GFX_SysBitmap& bitmap)
{
    return static_cast<HDC>(bitmap.DeviceContext());
}

TEST(SysBitmap, StartsEmptyWithADeviceContext)
{
    GFX_SysBitmap bitmap;
    EXPECT_NE(bitmap.DeviceContext(), nullptr);
    EXPECT_EQ(bitmap.Pixels(), nullptr);
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Height(), 0);
    EXPECT_FALSE(bitmap.IsBottomUp());
    EXPECT_EQ(bitmap.QueryExtension(7, nullptr), 0);
}

TEST(SysBitmap, EditorSizedSurfacePadsRowsToFourPixels)
{
    GFX_SysBitmap bitmap;
    EXPECT_TRUE(bitmap.SetSize(251, 373));
    EXPECT_EQ(bitmap.Width(), 251);
    EXPECT_EQ(bitmap.Height(), 373);
    EXPECT_EQ(bitmap.RowStride(), 252);
    ASSERT_NE(bitmap.Pixels(), nullptr);
    // The whole padded section is writable.
    for (int i = 0; i < 252 * 373; ++i)
        bitmap.Pixels()[i] = 0xFF102030u;
    EXPECT_FALSE(bitmap.SetSize(251, 373));
}

TEST(SysBitmap, ShrinkingKeepsTheSection)
{
    GFX_SysBitmap bitmap;
    bitmap.SetSize(251, 373);
    uint32_t* pixels = bitmap.Pixels();
    EXPECT_TRUE(bitmap.SetSize(100, 50));
    EXPECT_EQ(bitmap.Pixels(), pixels);
    EXPECT_EQ(bitmap.RowStride(), 252);
    EXPECT_EQ(bitmap.Width(), 100);
    EXPECT_EQ(bitmap.Height(), 50);
    EXPECT_TRUE(bitmap.SetSize(251, 373));
    EXPECT_EQ(bitmap.Pixels(), pixels);
}

TEST(SysBitmap, OutgrowingEitherDirectionMakesANewSection)
{
    GFX_SysBitmap bitmap;
    bitmap.SetSize(10, 100);
    // Same area, but wider than the section's rows: must not reuse it.
    EXPECT_TRUE(bitmap.SetSize(100, 10));
    EXPECT_EQ(bitmap.RowStride(), 100);
    ASSERT_NE(bitmap.Pixels(), nullptr);
    EXPECT_TRUE(bitmap.SetSize(50, 11));
    EXPECT_EQ(bitmap.RowStride(), 52);
    EXPECT_EQ(bitmap.AllocatedHeight(), 11);
}

TEST(SysBitmap, EmptyOrImpossibleSizesLeaveNoPixels)
{
    const std::pair<int, int> sizes[] = {{0, 10}, {10, 0}, {-5, 10}, {INT_MAX, INT_MAX}, {INT_MAX, 1}, {100000, 100000}};
    for (const auto& size : sizes) {
        GFX_SysBitmap bitmap;
        bitmap.SetSize(16, 16);
        bitmap.SetSize(size.first, size.second);
        EXPECT_EQ(bitmap.Pixels(), nullptr) << size.first << " x " << size.second;
        EXPECT_EQ(bitmap.Width(), 0);
        EXPECT_EQ(bitmap.Height(), 0);
        // Drawing into it does nothing.
        FillArea(&bitmap, 0, 0, 100, 100, 0xFFFFFFFF, 1.0f, kBlitCopy);
        // And it recovers.
        EXPECT_TRUE(bitmap.SetSize(8, 8));
        EXPECT_NE(bitmap.Pixels(), nullptr);
    }
}

TEST(SysBitmap, GdiAndPixelsSeeTheSameTopDownImage)
{
    GFX_SysBitmap bitmap;
    bitmap.SetSize(6, 4);
    FillArea(&bitmap, 0, 0, 6, 4, 0xFF000000, 1.0f, kBlitCopy);
    FillArea(&bitmap, 1, 0, 1, 1, 0xFFFF0000, 1.0f, kBlitCopy); // red at (1, 0)
    GdiFlush();
    EXPECT_EQ(GetPixel(DC(bitmap), 1, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(DC(bitmap), 1, 3), RGB(0, 0, 0));

    SetPixelV(DC(bitmap), 4, 3, RGB(0, 0, 255));
    GdiFlush();
    EXPECT_EQ(bitmap.Pixels()[3 * bitmap.RowStride() + 4] & 0xFFFFFF, 0x0000FFu);
}

TEST(SysBitmap, BlitsToAndFromMemoryBitmaps)
{
    GFX_MemBitmap memory;
    memory.SetSize(3, 3);
    FillArea(&memory, 0, 0, 3, 3, 0xFF123456, 1.0f, kBlitCopy);
    GFX_SysBitmap system;
    system.SetSize(5, 5);
    FillArea(&system, 0, 0, 5, 5, 0, 1.0f, kBlitCopy);
    BlitRegion(&system, &memory, 3, 3, nullptr, 1.0f, kBlitCopyAlpha);
    EXPECT_EQ(system.Pixels()[4 * system.RowStride() + 4], 0xFF123456u);
    EXPECT_EQ(system.Pixels()[2 * system.RowStride() + 2], 0u);
}

} // namespace

#include "GFX_MemBitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

namespace {

TEST(MemBitmap, StartsEmpty)
{
    GFX_MemBitmap bitmap;
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Height(), 0);
    EXPECT_EQ(bitmap.Pixels(), nullptr);
    EXPECT_EQ(bitmap.AllocatedBytes(), 0u);
    EXPECT_FALSE(bitmap.IsBottomUp());
    EXPECT_EQ(bitmap.DeviceContext(), nullptr);
    EXPECT_EQ(bitmap.QueryExtension(1, nullptr), 0);
}

TEST(MemBitmap, RowsArePaddedToFourPixels)
{
    GFX_MemBitmap bitmap;
    const int expected[] = {0, 4, 4, 4, 4, 8, 8, 8, 8, 12};
    for (int width = 1; width <= 9; ++width) {
        bitmap.SetSize(width, 3);
        EXPECT_EQ(bitmap.RowStride(), expected[width]) << "width " << width;
    }
}

TEST(MemBitmap, PixelsStartOn64ByteBoundary)
{
    for (int size = 1; size < 40; size += 3) {
        GFX_MemBitmap bitmap;
        ASSERT_TRUE(bitmap.SetSize(size, size + 1));
        ASSERT_NE(bitmap.Pixels(), nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(bitmap.Pixels()) % 64, 0u) << "size " << size;
    }
}

TEST(MemBitmap, GrowsWithHeadroomAndNeverShrinks)
{
    GFX_MemBitmap bitmap;
    EXPECT_TRUE(bitmap.SetSize(10, 10));
    EXPECT_EQ(bitmap.AllocatedBytes(), 10u * 12 * 4); // exact on first allocation

    EXPECT_TRUE(bitmap.SetSize(12, 12));
    EXPECT_EQ(bitmap.AllocatedBytes(), 12u * 12 * 4 * 5 / 4);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(bitmap.Pixels()) % 64, 0u);
    uint32_t* grownPixels = bitmap.Pixels();

    EXPECT_TRUE(bitmap.SetSize(10, 10));
    EXPECT_EQ(bitmap.AllocatedBytes(), 12u * 12 * 4 * 5 / 4);
    EXPECT_EQ(bitmap.Pixels(), grownPixels);
    EXPECT_EQ(bitmap.Width(), 10);
    EXPECT_EQ(bitmap.Height(), 10);

    EXPECT_FALSE(bitmap.SetSize(10, 10));
}

TEST(MemBitmap, GrowingKeepsTheFirstPixels)
{
    GFX_MemBitmap bitmap;
    bitmap.SetSize(4, 1);
    for (int x = 0; x < 4; ++x)
        bitmap.Pixels()[x] = 0xA0B0C000u + uint32_t(x);
    bitmap.SetSize(4, 5000);
    ASSERT_NE(bitmap.Pixels(), nullptr);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(bitmap.Pixels()[x], 0xA0B0C000u + uint32_t(x));
}

TEST(MemBitmap, EmptyOrImpossibleSizesLeaveNoPixels)
{
    GFX_MemBitmap bitmap;
    const std::pair<int, int> sizes[] = {{0, 5}, {5, 0}, {-1, 5}, {5, -3}, {INT_MIN, INT_MIN},
                                         {INT_MAX, INT_MAX}, {INT_MAX, 1}, {INT_MAX - 2, 2}, {1 << 30, 1 << 30}};
    for (const auto& size : sizes) {
        bitmap.SetSize(8, 8);
        ASSERT_NE(bitmap.Pixels(), nullptr);
        EXPECT_TRUE(bitmap.SetSize(size.first, size.second));
        EXPECT_EQ(bitmap.Width(), 0) << size.first << " x " << size.second;
        EXPECT_EQ(bitmap.Height(), 0) << size.first << " x " << size.second;
        EXPECT_EQ(bitmap.Pixels(), nullptr);
        EXPECT_EQ(bitmap.AllocatedBytes(), 0u);
        EXPECT_EQ(bitmap.RowStride(), 0);
    }
}

} // namespace

#include "IGraphicsTypes.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

TEST(IRectTest, IntersectionCountsOnlyTheFirstRectanglesRightAndBottomEdges)
{
    const IRect a(10, 10, 20, 20);
    EXPECT_TRUE(a.Meets(IRect(20, 12, 30, 18))) << "starts at A's right edge";
    EXPECT_TRUE(a.Meets(IRect(12, 20, 18, 30))) << "starts at A's bottom edge";
    EXPECT_FALSE(a.Meets(IRect(0, 12, 10, 18))) << "ends at A's left edge";
    EXPECT_FALSE(a.Meets(IRect(12, 0, 18, 10))) << "ends at A's top edge";
    EXPECT_TRUE(a.Meets(IRect(15, 15, 16, 16)));
    EXPECT_FALSE(a.Meets(IRect(21, 12, 30, 18)));
    // The order matters: seen from the other side the edges swap roles.
    EXPECT_FALSE(IRect(20, 12, 30, 18).Meets(a));
}

TEST(IRectTest, OnlyTheAllZeroRectangleIsEmpty)
{
    EXPECT_TRUE(IRect().IsEmpty());
    EXPECT_FALSE(IRect().Meets(IRect(-5, -5, 5, 5)));
    EXPECT_FALSE(IRect(-5, -5, 5, 5).Meets(IRect()));
    const IRect line(10, 0, 10, 20);   // no width, yet not empty
    EXPECT_FALSE(line.IsEmpty());
    EXPECT_TRUE(line.Meets(IRect(5, 5, 15, 15)));
    EXPECT_FALSE(line.Contains(10, 5));
}

TEST(IRectTest, ContainsExcludesTheRightAndBottomEdges)
{
    const IRect r(0, 0, 4, 3);
    EXPECT_TRUE(r.Contains(0, 0));
    EXPECT_TRUE(r.Contains(3, 2));
    EXPECT_FALSE(r.Contains(4, 2));
    EXPECT_FALSE(r.Contains(3, 3));
    EXPECT_FALSE(r.Contains(-1, 0));
}

TEST(IRectTest, UnionSkipsEmptyRectanglesAndSizesSaturate)
{
    EXPECT_EQ(IRect(0, 5, 10, 10).Union(IRect(5, 0, 20, 8)), IRect(0, 0, 20, 10));
    EXPECT_EQ(IRect().Union(IRect(5, 0, 20, 8)), IRect(5, 0, 20, 8));
    EXPECT_EQ(IRect(5, 0, 20, 8).Union(IRect()), IRect(5, 0, 20, 8));
    EXPECT_EQ(IRect(INT32_MIN, 0, INT32_MAX, 1).Width(), INT32_MAX);
}

TEST(IRgbaTest, PacksAlphaRedGreenBlueFromTheTop)
{
    EXPECT_EQ(IRgba(0x80, 0x12, 0x34, 0x56).Packed(), 0x80123456u);
    EXPECT_EQ(IRgba().Packed(), 0xFF000000u);
}

TEST(ITextStyleTest, DefaultsAndFaceNamesThatFit)
{
    ITextStyle style;
    EXPECT_STREQ(style.face, "Verdana");
    EXPECT_EQ(style.size, 12);
    EXPECT_EQ(style.colour, IRgba(255, 0, 0, 0));
    EXPECT_EQ(style.entryBackground, IRgba(255, 255, 255, 255));
    EXPECT_EQ(style.entryText, IRgba(255, 0, 0, 0));
    EXPECT_EQ(style.style, kStyleNormal);
    EXPECT_EQ(style.align, kAlignCentre);
    EXPECT_EQ(style.orientation, 0);
    EXPECT_EQ(style.quality, kQualityDefault);
    EXPECT_EQ(style.font, nullptr);

    style.SetFace(std::string(40, 'f').c_str());
    EXPECT_EQ(std::string(style.face), std::string(31, 'f'));
    style.SetFace(nullptr);
    EXPECT_STREQ(style.face, "");
}

TEST(IBitmapRefTest, FrameSizesFollowTheLayout)
{
    IBitmapRef ref;
    ref.width = 30;
    ref.height = 60;
    ref.frames = 3;
    EXPECT_EQ(ref.FrameWidth(), 30);
    EXPECT_EQ(ref.FrameHeight(), 20);
    ref.framesSideBySide = true;
    EXPECT_EQ(ref.FrameWidth(), 10);
    EXPECT_EQ(ref.FrameHeight(), 60);
    ref.frames = 0;
    EXPECT_EQ(ref.FrameWidth(), 30) << "no frames counts as one";
}

} // namespace

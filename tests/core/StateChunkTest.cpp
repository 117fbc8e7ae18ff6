#include "IStateChunk.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

TEST(StateChunk, StoresNumbersLittleEndian)
{
    IStateChunk chunk;
    ASSERT_TRUE(chunk.PutInt32(0x70666674));
    ASSERT_TRUE(chunk.PutDouble(1.0));
    ASSERT_TRUE(chunk.PutFlag(true));
    ASSERT_TRUE(chunk.PutBytes("ab", 2));
    const std::vector<uint8_t> expected = {0x74, 0x66, 0x66, 0x70, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 1, 'a', 'b'};
    ASSERT_EQ(chunk.Size(), static_cast<int32_t>(expected.size()));
    EXPECT_EQ(std::vector<uint8_t>(chunk.Data(), chunk.Data() + chunk.Size()), expected);

    int32_t i = 0;
    double d = 0;
    bool f = false;
    EXPECT_EQ(chunk.GetInt32(&i, 0), 4);
    EXPECT_EQ(i, 0x70666674);
    EXPECT_EQ(chunk.GetDouble(&d, 4), 12);
    EXPECT_EQ(d, 1.0);
    EXPECT_EQ(chunk.GetFlag(&f, 12), 13);
    EXPECT_TRUE(f);
}

TEST(StateChunk, ReadsOutsideTheDataAnswerMinusOneAndLeaveTheOutput)
{
    IStateChunk chunk;
    chunk.PutDouble(2.5);
    double d = 7.0;
    EXPECT_EQ(chunk.GetDouble(&d, 1), -1);
    EXPECT_EQ(chunk.GetDouble(&d, -1), -1);
    EXPECT_EQ(chunk.GetDouble(&d, INT_MAX), -1);
    EXPECT_EQ(chunk.GetDouble(&d, INT_MIN), -1);
    EXPECT_EQ(d, 7.0);
    int32_t i = 3;
    EXPECT_EQ(chunk.GetInt32(&i, 6), -1);
    EXPECT_EQ(i, 3);
    EXPECT_FALSE(chunk.Holds(INT_MAX - 2, 8));
    EXPECT_FALSE(chunk.Holds(0, -1));
    EXPECT_TRUE(chunk.Holds(0, 8));
}

TEST(StateChunk, RejectsBadByteCounts)
{
    IStateChunk chunk;
    EXPECT_FALSE(chunk.PutBytes(nullptr, 4));
    EXPECT_FALSE(chunk.PutBytes("x", -1));
    EXPECT_TRUE(chunk.PutBytes(nullptr, 0));
    EXPECT_EQ(chunk.Size(), 0);
    EXPECT_FALSE(chunk.Resize(-5));
    EXPECT_TRUE(chunk.Resize(3));
    EXPECT_EQ(chunk.Data()[2], 0);
}

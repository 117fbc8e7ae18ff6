#include "GFX_Utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<uint32_t> DecodeAll(const std::string& text)
{
    std::vector<uint32_t> codes;
    size_t position = 0;
    while (position < text.size())
        codes.push_back(DecodeUtf8Character(text.data(), text.size(), &position));
    return codes;
}

TEST(Utf8, DecodesEachSequenceLength)
{
    EXPECT_EQ(DecodeAll("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5z"),
              (std::vector<uint32_t>{'A', 0xE9, 0x20AC, 0x1F3B5, 'z'}));
}

TEST(Utf8, MalformedBytesComeThroughOneByOne)
{
    EXPECT_EQ(DecodeAll("\xC0\x80"), (std::vector<uint32_t>{0xC0, 0x80}));        // overlong
    EXPECT_EQ(DecodeAll("\xED\xA0\x80"), (std::vector<uint32_t>{0xED, 0xA0, 0x80})); // surrogate
    EXPECT_EQ(DecodeAll("\xF4\x90\x80\x80"), (std::vector<uint32_t>{0xF4, 0x90, 0x80, 0x80})); // > U+10FFFF
    EXPECT_EQ(DecodeAll("\xE2\x82"), (std::vector<uint32_t>{0xE2, 0x82}));        // cut short
    EXPECT_EQ(DecodeAll("\x80x"), (std::vector<uint32_t>{0x80, 'x'}));            // stray continuation
    EXPECT_EQ(DecodeAll("\xFFx"), (std::vector<uint32_t>{0xFF, 'x'}));
}

TEST(Utf8, DetectsMultiByteText)
{
    EXPECT_FALSE(ContainsMultiByteUtf8("0.33 ms", 7));
    EXPECT_FALSE(ContainsMultiByteUtf8("\xE9t\xE9", 3)); // Latin-1, not UTF-8
    EXPECT_TRUE(ContainsMultiByteUtf8("\xC3\xA9t\xC3\xA9", 6));
    EXPECT_FALSE(ContainsMultiByteUtf8("\xC3\xA9", 1)); // the length cuts the sequence
}

} // namespace

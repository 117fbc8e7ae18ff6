#include "DecimalText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

// The value read, or NaN when the text was refused.
double Read(const char* text)
{
    double value = std::numeric_limits<double>::quiet_NaN();
    return ParseDecimal(text, &value) ? value : std::numeric_limits<double>::quiet_NaN();
}

} // namespace

TEST(DecimalText, ReadsTheNumberAtTheStartInEveryLocale)
{
    EXPECT_EQ(Read("12.5"), 12.5);
    EXPECT_EQ(Read("  -3"), -3.0);
    EXPECT_EQ(Read("+4"), 4.0);
    EXPECT_EQ(Read("1e3"), 1000.0);
    EXPECT_EQ(Read("7.5 dB"), 7.5);
    EXPECT_EQ(Read("inf"), std::numeric_limits<double>::infinity());
}

TEST(DecimalText, NumbersBeyondTheRangeOfDoublesKeepTheirSideOfIt)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(Read("1e999"), inf);
    EXPECT_EQ(Read("-1e999"), -inf);
    EXPECT_EQ(Read("0.00001e400"), inf);
    EXPECT_EQ(Read(("1" + std::string(400, '0')).c_str()), inf);
    const double tiny = Read("1e-999");
    EXPECT_EQ(tiny, 0.0);
    EXPECT_FALSE(std::signbit(tiny));
    EXPECT_TRUE(std::signbit(Read("-1e-999")));
    EXPECT_EQ(Read("12345e-99999999999999999999"), 0.0);
    EXPECT_EQ(Read(("0." + std::string(400, '0') + "1").c_str()), 0.0);
}

TEST(DecimalText, TextWithoutANumberIsRefused)
{
    for (const char* text : {"", "abc", "-", ".", "e5", "nan", "-nan"})
    {
        double value = 42.0;
        EXPECT_FALSE(ParseDecimal(text, &value)) << text;
        EXPECT_EQ(value, 42.0) << text;
    }
    double value = 42.0;
    EXPECT_FALSE(ParseDecimal(nullptr, &value));
    EXPECT_FALSE(ParseDecimal("1", nullptr));
}

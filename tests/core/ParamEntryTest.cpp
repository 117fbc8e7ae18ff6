#include "IParamEntry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

IParamEntry Continuous(double def, double min, double max, double step)
{
    IParamEntry p;
    p.InitContinuous("Level", def, min, max, step, "dB");
    return p;
}

std::string Format(const IParamEntry& p, double v, bool normalized = false, bool texts = true)
{
    char text[64];
    p.FormatValueText(v, normalized, text, sizeof text, texts);
    return text;
}

} // namespace

TEST(ParamEntry, LinearMappingIsItsOwnInverseAndClamps)
{
    IParamEntry p = Continuous(0.0, 0.0, 1.0, 0.001);
    EXPECT_DOUBLE_EQ(p.ToNormalized(0.25), 0.25);
    EXPECT_DOUBLE_EQ(p.FromNormalized(0.25), 0.25);
    EXPECT_DOUBLE_EQ(p.ToNormalized(1.7), 1.0);
    EXPECT_DOUBLE_EQ(p.ToNormalized(-3.0), 0.0);
    // A range without width normalises to 0 instead of dividing zero by zero.
    IParamEntry flat = Continuous(2.0, 2.0, 2.0, 0.001);
    EXPECT_EQ(flat.ToNormalized(2.0), 0.0);
    EXPECT_EQ(flat.ToNormalized(5.0), 0.0);
}

TEST(ParamEntry, ShapeBendsTheMapping)
{
    IParamEntry p = Continuous(2.0, 2.0, 10.0, 0.01);
    p.SetShape(2.0);
    EXPECT_DOUBLE_EQ(p.FromNormalized(0.5), 2.0 + 0.25 * 8.0);
    EXPECT_NEAR(p.ToNormalized(p.FromNormalized(0.5)), 0.5, 1e-15);
}

TEST(ParamEntry, SteppedKindsRoundToTheStep)
{
    IParamEntry p = Continuous(0.0, 0.0, 3.0, 1.0);
    p.SetKind(kParamInt);
    p.SetFromNormalized(0.5);  // 1.5 rounds up
    EXPECT_EQ(p.Value(), 2.0);
    p.SetFromNormalized(1.0);
    EXPECT_EQ(p.Value(), 3.0);
}

TEST(ParamEntry, SetFromNormalizedClampsBothSidesAndRejectsNaN)
{
    IParamEntry p = Continuous(4.0, 2.0, 10.0, 0.5);
    p.SetFromNormalized(-0.5);
    EXPECT_EQ(p.Value(), 2.0);
    p.SetFromNormalized(7.0);
    EXPECT_EQ(p.Value(), 10.0);
    p.SetFromNormalized(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(p.Value(), 2.0);
    p.SetValueClamped(std::numeric_limits<double>::infinity());
    EXPECT_EQ(p.Value(), 10.0);
    EXPECT_EQ(p.ToNormalized(std::numeric_limits<double>::quiet_NaN()), 0.0);
}

TEST(ParamEntry, DisplayPrecisionCountsTheStepsDecimals)
{
    EXPECT_EQ(Continuous(0, 0, 1, 0.33333).DisplayPrecision(), 5);
    EXPECT_EQ(Continuous(0, 0, 1, 0.001).DisplayPrecision(), 3);
    EXPECT_EQ(Continuous(0, 0, 1, 0.01).DisplayPrecision(), 2);
    EXPECT_EQ(Continuous(0, 0, 1, 0.25).DisplayPrecision(), 2);
    EXPECT_EQ(Continuous(0, 0, 1, 1.0).DisplayPrecision(), 0);
    EXPECT_EQ(Continuous(0, 0, 1, 1e-9).DisplayPrecision(), 6);
}

TEST(ParamEntry, InitContinuousKeepsAKindAlreadySet)
{
    IParamEntry p;
    EXPECT_EQ(p.Kind(), kParamNone);
    p.SetKind(kParamEnum);
    p.InitContinuous("Mode", 0, 0, 3, 1, "");
    EXPECT_EQ(p.Kind(), kParamEnum);
    IParamEntry fresh = Continuous(0, 0, 1, 0.1);
    EXPECT_EQ(fresh.Kind(), kParamDouble);
    EXPECT_EQ(fresh.Value(), 0.0);
    EXPECT_STREQ(fresh.Label(), "dB");
}

TEST(ParamEntry, FormatsWithPrecisionNegationAndTruncation)
{
    IParamEntry two = Continuous(0, -100, 100, 0.01);
    EXPECT_EQ(Format(two, 12.5), "12.50");
    IParamEntry whole = Continuous(0, -100, 100, 1.0);
    EXPECT_EQ(Format(whole, 12.5), "12");
    whole.SetNegateDisplay(true);
    EXPECT_EQ(Format(whole, -12.5), "12");
    EXPECT_EQ(Format(two, 0.5, true), "0.00");
    // Absurd values stay inside the buffer and never overflow the integer conversion.
    char small[6];
    two.FormatValueText(1e300, false, small, sizeof small, true);
    EXPECT_EQ(std::string(small).size(), 5u);
    EXPECT_EQ(Format(whole, std::numeric_limits<double>::quiet_NaN()), "0");
    EXPECT_EQ(Format(whole, 1e300), "-2147483648");  // negated, saturated
}

TEST(ParamEntry, DisplayTextsMatchTheTruncatedValue)
{
    IParamEntry p = Continuous(0, 0, 3, 1.0);
    p.AddDisplayText(0, "Off");
    p.AddDisplayText(2, "Half");
    p.AddDisplayText(3, "");
    EXPECT_EQ(Format(p, 2.9), "Half");
    EXPECT_EQ(Format(p, 2.9, false, false), "2");
    EXPECT_EQ(Format(p, 1.0), "1");   // no record
    EXPECT_EQ(Format(p, 3.0), "3");   // empty record falls back to the number
    p.SetValueClamped(0.0);
    EXPECT_STREQ(p.LabelForHost(), "");
    p.SetValueClamped(1.0);
    EXPECT_STREQ(p.LabelForHost(), "dB");
}

TEST(ParamEntry, ReadingTextReversesFormatting)
{
    double real = 0.0;
    IParamEntry named = Continuous(0, 0, 3, 1.0);
    named.AddDisplayText(0, "Off");
    named.AddDisplayText(2, "Half");
    ASSERT_TRUE(named.ReadValueText("Half", &real));
    EXPECT_EQ(real, 2.0);
    EXPECT_FALSE(named.ReadValueText("half", &real)); // texts match exactly
    EXPECT_FALSE(named.ReadValueText("2", &real));    // a named parameter takes only its names

    IParamEntry negated = Continuous(0, -100, 100, 1.0);
    negated.SetNegateDisplay(true);
    ASSERT_TRUE(negated.ReadValueText(Format(negated, -12.0).c_str(), &real));
    EXPECT_EQ(real, -12.0);
    EXPECT_FALSE(negated.ReadValueText("twelve", &real));
    EXPECT_FALSE(negated.ReadValueText(nullptr, &real));
}

TEST(ParamEntry, TextsAreCutToTheirCapacity)
{
    IParamEntry p;
    std::string longName(100, 'x');
    p.InitContinuous(longName.c_str(), 0, 0, 1, 1, longName.c_str());
    EXPECT_EQ(std::string(p.Name()).size(), IParamEntry::kTextCapacity - 1);
    EXPECT_EQ(std::string(p.Label()).size(), IParamEntry::kTextCapacity - 1);
}

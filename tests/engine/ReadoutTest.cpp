// The value readouts of parameters 1 to 10 and the parameter table.
#include "ReverbParameters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

namespace P = ReverbParameters;

std::string Readout(int index, double value)
{
    char text[P::kReadoutCapacity];
    EXPECT_TRUE(P::FormatReadout(index, value, text, sizeof text)) << "index " << index;
    return text;
}

TEST(Readout, FreshInstanceShowsTheDefaults)
{
    const char* expected[] = {"0.33", "0.00", "0.85", "0.50", "  10", "3000", "0.31", "0.20", "0.50", "0.50"};
    for (int index = P::kFirstReadout; index <= P::kLastReadout; ++index)
        EXPECT_EQ(Readout(index, P::DefaultValue(index)), expected[index - P::kFirstReadout]) << "index " << index;
}

TEST(Readout, ConversionsAtTheirEnds)
{
    EXPECT_EQ(Readout(P::kMix, 1.0), "1.00");
    EXPECT_EQ(Readout(P::kFarEcho, 0.5), "0.50");
    EXPECT_EQ(Readout(P::kDiffusion, 0.0), "0.50");
    EXPECT_EQ(Readout(P::kDiffusion, 1.0), "1.00");
    EXPECT_EQ(Readout(P::kRoomSize, 0.0), "0.10");
    EXPECT_EQ(Readout(P::kRoomSize, 1.0), "1.00");
    EXPECT_EQ(Readout(P::kLowCut, 0.0), "  10");
    EXPECT_EQ(Readout(P::kLowCut, 0.5), " 100");
    EXPECT_EQ(Readout(P::kLowCut, 1.0), "1000");
    EXPECT_EQ(Readout(P::kHighCut, 0.0), "2000");
    EXPECT_EQ(Readout(P::kHighCut, 0.5), "6300");
    EXPECT_EQ(Readout(P::kHighCut, 1.0), "20000");
    EXPECT_EQ(Readout(P::kTurbRate, 0.0), "0.10");
    EXPECT_EQ(Readout(P::kTurbRate, 1.0), "2.50");
    EXPECT_EQ(Readout(P::kModRate, 0.999), "1.00");
}

TEST(Readout, ValuesOutsideTheRangeReadAsTheNearestEnd)
{
    EXPECT_EQ(Readout(P::kHighCut, 1e12), "20000");
    EXPECT_EQ(Readout(P::kLowCut, -3.0), "  10");
    EXPECT_EQ(Readout(P::kMix, std::numeric_limits<double>::quiet_NaN()), "0.00");
    EXPECT_EQ(Readout(P::kMix, -0.0), "0.00");
    EXPECT_EQ(Readout(P::kTurbRate, std::numeric_limits<double>::infinity()), "2.50");
}

TEST(Readout, ParametersWithoutReadoutWriteAnEmptyText)
{
    for (const int index : {-1, P::kInput, P::kRestoreDefault, P::kOk, P::kTurbulence, P::kAir, P::kCount}) {
        char text[8] = "junk";
        EXPECT_FALSE(P::FormatReadout(index, 0.5, text, sizeof text)) << "index " << index;
        EXPECT_STREQ(text, "") << "index " << index;
    }
}

TEST(Readout, SmallBuffersAreTruncatedAndTerminated)
{
    char text[3] = {'x', 'x', 'x'};
    EXPECT_TRUE(P::FormatReadout(P::kHighCut, 1.0, text, sizeof text));
    EXPECT_STREQ(text, "20");
    EXPECT_FALSE(P::FormatReadout(P::kMix, 0.5, text, 0));
    EXPECT_FALSE(P::FormatReadout(P::kMix, 0.5, nullptr, 10));
}

TEST(ParameterTable, NamesStepsAndDefaults)
{
    EXPECT_EQ(P::kCount, 19);
    EXPECT_STREQ(P::kTable[P::kInput].name, "Input");
    EXPECT_STREQ(P::kTable[P::kPreDelay].name, "Pre-delay");
    EXPECT_STREQ(P::kTable[P::kTurbulence].name, "Turbulence");
    EXPECT_STREQ(P::kTable[P::kAir].name, "Air");
    EXPECT_EQ(P::kTable[P::kInput].step, 0.33333);
    for (int index = P::kMix; index <= P::kTurbRate; ++index)
        EXPECT_EQ(P::kTable[index].step, 0.001);
    for (int index = P::kRestoreDefault; index < P::kCount; ++index) {
        EXPECT_EQ(P::kTable[index].step, 1.0);
        EXPECT_EQ(P::kTable[index].defaultValue, 0.0);
    }
    int sound = 0;
    for (int index = -2; index < P::kCount + 2; ++index)
        sound += P::IsSoundParameter(index) ? 1 : 0;
    EXPECT_EQ(sound, 13);
    EXPECT_EQ(P::DefaultValue(P::kCount), 0.0);
}

} // namespace

// Derived values after reset and after parameter changes: line lengths, depths, delays,
// gains, filter corners, rates and the sample-rate limits.
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>

namespace {

using namespace EngineTest;

constexpr double kTwoPi = 6.283185307179586;

void ExpectLines(const ReverbEngine& engine, const std::vector<int>& lengths, const std::vector<int>& depths)
{
    ASSERT_EQ(engine.LineCount(), static_cast<int>(lengths.size()));
    for (int i = 0; i < engine.LineCount(); ++i) {
        EXPECT_EQ(engine.LineLengthL(i), lengths[i]) << "line " << i;
        EXPECT_EQ(engine.LineLengthR(i), lengths[i]) << "line " << i;
        EXPECT_EQ(engine.ModDepthL(i), depths[i]) << "line " << i;
        EXPECT_EQ(engine.ModDepthR(i), depths[i]) << "line " << i;
    }
}

std::unique_ptr<ReverbEngine> EngineWith(double hostRate, std::initializer_list<std::pair<int, double>> params)
{
    auto engine = std::make_unique<ReverbEngine>();
    engine->SetHostSampleRate(hostRate);
    for (const auto& [index, value] : params)
        engine->SetParameterCopy(index, value);
    engine->ResetEngine();
    return engine;
}

// |H| of a biquad or first-order section at angular frequency w.
double Magnitude(double w, double b0, double b1, double b2, double a1, double a2)
{
    const std::complex<double> z1 = std::polar(1.0, -w);
    const std::complex<double> z2 = z1 * z1;
    return std::abs((b0 + b1 * z1 + b2 * z2) / (1.0 + a1 * z1 + a2 * z2));
}

// The low cut computes y = a g - y' c and outputs y - y': g (1 - z^-1) / (1 + c z^-1).
double LowCutMagnitude(const ReverbEngine& e, double hz)
{
    const double w = kTwoPi * hz / e.SampleRate();
    return Magnitude(w, e.LowCutGain(), -e.LowCutGain(), 0.0, e.LowCutCoef(), 0.0);
}

// The high cut computes s += (h - s) k: k / (1 - (1 - k) z^-1).
double HighCutMagnitude(const ReverbEngine& e, double hz)
{
    const double w = kTwoPi * hz / e.SampleRate();
    return Magnitude(w, e.HighCutCoef(), 0.0, 0.0, -(1.0 - e.HighCutCoef()), 0.0);
}

TEST(EngineSetup, ConstructionHoldsTheDefaultsAndIsSilent)
{
    auto engine = std::make_unique<ReverbEngine>();
    EXPECT_FALSE(engine->IsReady());
    EXPECT_EQ(engine->SampleRate(), 44100.0);
    EXPECT_EQ(engine->LineCount(), 8);
    EXPECT_EQ(engine->WritePos(), 0);
    const double expected[P::kCount] = {0.66, 0.33, 0, 0.708, 0.4486, 0, 0.185, 0.31, 0.2, 0.5, 0.5,
                                        0, 0, 0, 0, 0, 0, 0, 0};
    for (int index = 0; index < P::kCount; ++index)
        EXPECT_EQ(engine->ParameterCopy(index), expected[index]) << "index " << index;
}

TEST(EngineSetup, DefaultsAirOnTurbulenceOn)
{
    auto engine = MakeEngine(44100.0);
    EXPECT_TRUE(engine->IsReady());
    ExpectLines(*engine, {3532, 3532, 3007, 3007, 2560, 2560, 2179, 2179}, {524, 524, 446, 446, 380, 380, 323, 323});
    EXPECT_EQ(engine->FarEchoDelay(), 1826);
    EXPECT_EQ(engine->OutputGain(), 1.3389388562092392);
    EXPECT_NEAR(engine->RoomScale(), 0.50374, 1e-15);
}

TEST(EngineSetup, AirOffMakesEveryLineShorterByTheRatio)
{
    auto engine = EngineWith(44100.0, {{P::kAir, 1.0}});
    ExpectLines(*engine, {3532, 3259, 3007, 2774, 2559, 2361, 2178, 2009}, {251, 251, 214, 214, 182, 182, 155, 155});
}

TEST(EngineSetup, TurbulenceOffRunsSixLinesWithTheirOwnRatio)
{
    auto engine = EngineWith(44100.0, {{P::kTurbulence, 1.0}});
    ExpectLines(*engine, {3532, 3532, 2836, 2836, 2277, 2277}, {695, 695, 558, 558, 448, 448});
    EXPECT_EQ(engine->FarEchoDelay(), 1826);
}

TEST(EngineSetup, SmallestRoomAtTheLowestRate)
{
    auto engine = EngineWith(44056.0, {{P::kRoomSize, 0.0}, {P::kAir, 1.0}});
    ExpectLines(*engine, {700, 645, 595, 549, 506, 466, 430, 396}, {49, 49, 42, 42, 35, 35, 30, 30});
    EXPECT_EQ(engine->FarEchoDelay(), 362);
}

TEST(EngineSetup, LargestRoomAtTheHighestRateFillsTheLineExactly)
{
    for (const double air : {0.0, 1.0}) {
        auto engine = EngineWith(384000.0, {{P::kRoomSize, 1.0}, {P::kAir, air}});
        EXPECT_EQ(engine->LineLengthL(0), ReverbEngine::kLineCapacity);
        EXPECT_EQ(engine->LineLengthR(0), ReverbEngine::kLineCapacity);
        for (int i = 1; i < engine->LineCount(); ++i)
            EXPECT_LE(engine->LineLengthL(i), engine->LineLengthL(i - 1));
    }
}

TEST(EngineSetup, HostRatesOutsideTheSupportedRangeAreLimited)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double host;
        double used;
    } cases[] = {
        {32000.0, 44056.0}, {44055.9, 44056.0}, {44056.0, 44056.0}, {48000.0, 48000.0},
        {384000.0, 384000.0}, {500000.0, 384000.0}, {inf, 384000.0},
        {std::numeric_limits<double>::quiet_NaN(), 44056.0}, {-inf, 44056.0}, {0.0, 44056.0}, {-48000.0, 44056.0},
    };
    for (const auto& c : cases) {
        auto engine = MakeEngine(c.host);
        EXPECT_EQ(engine->SampleRate(), c.used) << "host rate " << c.host;
        EXPECT_EQ(engine->LineLengthL(0), static_cast<int>(0.50374 * 0.159 * c.used)) << "host rate " << c.host;
        EXPECT_LE(engine->LineLengthL(0), ReverbEngine::kLineCapacity);
    }
}

TEST(EngineSetup, LowRateTunesEverythingAsForTheMinimum)
{
    auto low = MakeEngine(32000.0);
    auto minimum = MakeEngine(44056.0);
    EXPECT_EQ(low->LowCutCoef(), minimum->LowCutCoef());
    EXPECT_EQ(low->HighCutCoef(), minimum->HighCutCoef());
    EXPECT_EQ(low->ShelfB0(), minimum->ShelfB0());
    EXPECT_EQ(low->FarEchoDelay(), minimum->FarEchoDelay());
    EXPECT_EQ(low->TurbStepDivisor(), minimum->TurbStepDivisor());
}

TEST(EngineSetup, SettingTheRateDoesNotReset)
{
    auto engine = MakeEngine(44100.0);
    engine->SetHostSampleRate(96000.0);
    EXPECT_EQ(engine->SampleRate(), 96000.0);
    EXPECT_EQ(engine->LineLengthL(0), 3532); // still tuned for the old rate until the next reset
    engine->ResetEngine();
    EXPECT_EQ(engine->LineLengthL(0), static_cast<int>(0.50374 * 0.159 * 96000.0));
}

TEST(EngineSetup, OutputGainKeepsTheCrossfadeEven)
{
    auto engine = MakeEngine();
    const struct {
        double mix;
        double gain;
    } cases[] = {{0.0, 1.0}, {1.0, 1.0}, {0.5, 1.4142135623730951}, {0.33, 1.3389388562092392}};
    for (const auto& c : cases) {
        engine->ApplyParameter(P::kMix, c.mix);
        EXPECT_EQ(engine->OutputGain(), c.gain) << "mix " << c.mix;
    }
}

TEST(EngineSetup, CutFiltersAreHalfPowerAtTheirCorners)
{
    for (const double rate : {44100.0, 96000.0}) {
        auto engine = MakeEngine(rate);
        const struct {
            int index;
            double value;
            double cornerHz;
        } cases[] = {{P::kLowCut, 0.0, 10.0}, {P::kLowCut, 1.0, 1000.0}, {P::kHighCut, 0.0, 2000.0},
                     {P::kHighCut, 1.0, 20000.0}, {P::kHighCut, 0.185, 3062.17}};
        for (const auto& c : cases) {
            engine->ApplyParameter(c.index, c.value);
            const double corner = c.index == P::kLowCut ? LowCutMagnitude(*engine, c.cornerHz)
                                                        : HighCutMagnitude(*engine, c.cornerHz);
            EXPECT_NEAR(corner, std::sqrt(0.5), 2e-6) << "index " << c.index << " value " << c.value;
        }
        engine->ApplyParameter(P::kLowCut, 0.0);
        EXPECT_NEAR(LowCutMagnitude(*engine, rate / 2), 1.0, 1e-12);
        engine->ApplyParameter(P::kHighCut, 0.0);
        EXPECT_NEAR(HighCutMagnitude(*engine, 0.0), 1.0, 1e-12);
        EXPECT_LT(HighCutMagnitude(*engine, 8000.0), 0.3);
    }
}

TEST(EngineSetup, DampingShelfPassesLowsAndLowersHighsBySquaredGain)
{
    auto engine = MakeEngine();
    for (const double darkness : {0.0, 0.31, 1.0}) {
        engine->ApplyParameter(P::kDarkness, darkness);
        const double A = 1.0 - 0.05 * darkness;
        EXPECT_EQ(engine->ShelfGain(), A);
        const auto& e = *engine;
        EXPECT_NEAR(Magnitude(0.0, e.ShelfB0(), e.ShelfB1(), e.ShelfB2(), e.ShelfA1(), e.ShelfA2()), 1.0, 1e-12);
        EXPECT_NEAR(Magnitude(kTwoPi / 2, e.ShelfB0(), e.ShelfB1(), e.ShelfB2(), e.ShelfA1(), e.ShelfA2()), A * A,
                    1e-12);
    }
}

TEST(EngineSetup, TurbulenceRateSpansPointOneToTwoAndAHalf)
{
    auto engine = MakeEngine(48000.0);
    engine->ApplyParameter(P::kTurbRate, 0.0);
    EXPECT_DOUBLE_EQ(engine->TurbRate(), 0.1);
    EXPECT_DOUBLE_EQ(engine->TurbStepDivisor(), 48000.0 / 0.1 / 3.0);
    engine->ApplyParameter(P::kTurbRate, 1.0);
    EXPECT_DOUBLE_EQ(engine->TurbRate(), 2.5);
    EXPECT_DOUBLE_EQ(engine->TurbStepDivisor(), 48000.0 / 2.5 / 3.0);
}

TEST(EngineSetup, ModulationSpeedDoesNotDependOnTheRate)
{
    for (const double rate : {44056.0, 44100.0, 96000.0, 384000.0}) {
        for (const double modRate : {0.0, 0.5, 1.0}) {
            auto engine = EngineWith(rate, {{P::kModRate, modRate}});
            const double expected = std::pow(9.0, modRate) * 0.00022694;
            EXPECT_NEAR(engine->ModStepMax(), expected, expected * 1e-4);
            const double afterReset = engine->ModStepMax();
            engine->ApplyParameter(P::kModRate, modRate); // the change handler's own form
            EXPECT_NEAR(engine->ModStepMax(), afterReset, afterReset * 1e-15);
        }
    }
}

TEST(EngineSetup, RoomSizeChangeAlwaysUsesTheEightLineRatio)
{
    auto engine = EngineWith(44100.0, {{P::kTurbulence, 1.0}});
    ExpectLines(*engine, {3532, 3532, 2836, 2836, 2277, 2277}, {695, 695, 558, 558, 448, 448});

    engine->ApplyParameter(P::kRoomSize, 0.4486);
    ExpectLines(*engine, {3532, 3532, 3007, 3007, 2560, 2560}, {524, 524, 446, 446, 380, 380});
    EXPECT_EQ(engine->FarEchoDelay(), 1826);

    engine->ResetEngine();
    ExpectLines(*engine, {3532, 3532, 2836, 2836, 2277, 2277}, {695, 695, 558, 558, 448, 448});
}

TEST(EngineSetup, RoomSizeChangeReadsTheCurrentAirSetting)
{
    auto engine = MakeEngine(44100.0);
    engine->SetParameterCopy(P::kAir, 1.0); // stored only: lengths keep their pairs
    ExpectLines(*engine, {3532, 3532, 3007, 3007, 2560, 2560, 2179, 2179}, {524, 524, 446, 446, 380, 380, 323, 323});
    engine->ApplyParameter(P::kRoomSize, 0.4486);
    ExpectLines(*engine, {3532, 3259, 3007, 2774, 2559, 2361, 2178, 2009}, {251, 251, 214, 214, 182, 182, 155, 155});
}

TEST(EngineSetup, RoomSizeChangeRescalesWithoutResetting)
{
    auto engine = MakeEngine(44100.0);
    auto input = NoiseStereo(1000, 1);
    Render(*engine, input);
    const std::uint32_t randomState = engine->RandomState();
    engine->ApplyParameter(P::kRoomSize, 1.0);
    EXPECT_EQ(engine->WritePos(), 1000);
    EXPECT_EQ(engine->RandomState(), randomState);
    EXPECT_EQ(engine->LineLengthL(0), static_cast<int>(1.0 * 0.159 * 44100.0));
    EXPECT_EQ(engine->FarEchoDelay(), static_cast<int>(engine->LineLengthL(0) * 45.0 / 87.0));
}

TEST(EngineSetup, TwoResetsGiveTheSameStartingState)
{
    for (const double turbulence : {0.0, 1.0}) {
        auto engine = EngineWith(48000.0, {{P::kTurbulence, turbulence}});
        auto twin = EngineWith(48000.0, {{P::kTurbulence, turbulence}});
        Render(*engine, NoiseStereo(48000, 7)); // long enough for walks to bounce and redraw
        EXPECT_NE(engine->ModOffsetL(0), twin->ModOffsetL(0));
        engine->ResetEngine();

        EXPECT_EQ(engine->RandomState(), twin->RandomState());
        for (int i = 0; i < engine->LineCount(); ++i) {
            EXPECT_EQ(engine->TurbWalkA(i), twin->TurbWalkA(i));
            EXPECT_EQ(engine->TurbWalkB(i), twin->TurbWalkB(i));
            EXPECT_EQ(engine->TurbStepA(i), twin->TurbStepA(i));
            EXPECT_EQ(engine->TurbStepB(i), twin->TurbStepB(i));
            EXPECT_EQ(engine->ModOffsetL(i), twin->ModOffsetL(i));
            EXPECT_EQ(engine->ModOffsetR(i), twin->ModOffsetR(i));
            EXPECT_EQ(engine->ModStepL(i), twin->ModStepL(i));
            EXPECT_EQ(engine->ModStepR(i), twin->ModStepR(i));
        }
        // And the sound that follows is the same.
        const auto input = NoiseStereo(4096, 9);
        const auto a = Render(*engine, input);
        const auto b = Render(*twin, input);
        EXPECT_EQ(a.left, b.left);
        EXPECT_EQ(a.right, b.right);
    }
}

TEST(EngineSetup, StartingStateLiesWithinItsBounds)
{
    auto engine = MakeEngine(44100.0);
    for (int i = 0; i < engine->LineCount(); ++i) {
        EXPECT_LE(std::fabs(engine->TurbWalkA(i)), 0.099);
        EXPECT_LE(std::fabs(engine->TurbWalkB(i)), 0.099);
        EXPECT_LE(engine->ModOffsetL(i), 0.0);
        EXPECT_GE(engine->ModOffsetL(i), -engine->ModDepthL(i));
        EXPECT_LE(std::fabs(engine->ModStepL(i)), engine->ModStepMax());
        EXPECT_GE(std::fabs(engine->ModStepL(i)), engine->ModStepMax() / 2);
    }
}

TEST(EngineSetup, ParameterCopiesAreClampedIntoRange)
{
    auto engine = MakeEngine();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        double stored;
    } cases[] = {{0.25, 0.25}, {-0.5, 0.0}, {1.5, 1.0}, {nan, 0.0}, {inf, 1.0}, {-inf, 0.0}, {-0.0, 0.0}};
    for (const auto& c : cases) {
        engine->SetParameterCopy(P::kPreDelay, c.value);
        EXPECT_EQ(engine->ParameterCopy(P::kPreDelay), c.stored) << "value " << c.value;
        EXPECT_FALSE(std::signbit(engine->ParameterCopy(P::kPreDelay)));
        engine->ApplyParameter(P::kDiffusion, c.value);
        EXPECT_EQ(engine->ParameterCopy(P::kDiffusion), c.stored) << "value " << c.value;
    }
    engine->ApplyParameter(P::kRoomSize, 1e9);
    EXPECT_EQ(engine->LineLengthL(0), static_cast<int>(0.159 * 44100.0));
}

TEST(EngineSetup, StoringACopyRecomputesNothing)
{
    auto engine = MakeEngine();
    engine->SetParameterCopy(P::kMix, 0.5);
    engine->SetParameterCopy(P::kRoomSize, 1.0);
    EXPECT_EQ(engine->ParameterCopy(P::kMix), 0.5);
    EXPECT_EQ(engine->OutputGain(), 1.3389388562092392);
    EXPECT_EQ(engine->LineLengthL(0), 3532);
    engine->ResetEngine();
    EXPECT_EQ(engine->OutputGain(), 1.4142135623730951);
    EXPECT_EQ(engine->LineLengthL(0), static_cast<int>(0.159 * 44100.0));
}

TEST(EngineSetup, RestoreDefaultCopiesWritesTheThirteenConstructionValues)
{
    auto engine = MakeEngine();
    for (int index = 0; index < P::kCount; ++index)
        engine->SetParameterCopy(index, 1.0);
    engine->RestoreDefaultCopies();
    auto fresh = std::make_unique<ReverbEngine>();
    for (int index = 0; index < P::kCount; ++index)
        EXPECT_EQ(engine->ParameterCopy(index), fresh->ParameterCopy(index)) << "index " << index;
    EXPECT_EQ(engine->LineCount(), 8); // nothing recomputed, no reset
    EXPECT_EQ(engine->LineLengthL(0), 3532);
}

TEST(EngineSetup, IndicesWithoutAnEngineCopyAreIgnored)
{
    auto engine = MakeEngine();
    Render(*engine, NoiseStereo(300, 3));
    for (const int index : {-1, P::kRestoreDefault, P::kHelp, P::kAbout, P::kOk, P::kReserved1, P::kReserved2,
                            P::kCount, 1000}) {
        engine->ApplyParameter(index, 1.0);
        engine->SetParameterCopy(index, 1.0);
        EXPECT_EQ(engine->ParameterCopy(index), 0.0) << "index " << index;
    }
    EXPECT_EQ(engine->WritePos(), 300);
    auto fresh = std::make_unique<ReverbEngine>();
    for (int index = 0; index < P::kCount; ++index)
        EXPECT_EQ(engine->ParameterCopy(index), fresh->ParameterCopy(index)) << "index " << index;
}

TEST(EngineSetup, AccessorsOutsideTheBankReadZero)
{
    auto engine = MakeEngine();
    EXPECT_EQ(engine->LineLengthL(-1), 0);
    EXPECT_EQ(engine->LineLengthR(ReverbEngine::kMaxLines), 0);
    EXPECT_EQ(engine->StageGainL(99), 0.0);
}

} // namespace
